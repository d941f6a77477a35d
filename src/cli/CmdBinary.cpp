// tovo-cli binary save FILE [--hex] < message: writes the value of one IPC
// message as a binary result file. tovo-cli binary load FILE: prints the
// value of a binary result file as console text.
#include "CliCommands.h"
#include "MessageInput.h"
#include "ValueText.h"

#include "kdb/KPtr.h"
#include "kdb/MessageCodec.h"
#include "results/binary/BinaryResultFile.h"

#include <ostream>

namespace {

const char* const kUsage = "usage: tovo-cli binary save FILE [--hex] < message | tovo-cli binary load FILE\n";

int run(const std::vector<std::string>& args, CliIo& io)
{
    const bool save = args.size() >= 2 && args[0] == "save" && (args.size() == 2 || (args.size() == 3 && args[2] == "--hex"));
    const bool load = args.size() == 2 && args[0] == "load";
    if (!save && !load) {
        io.err << kUsage;
        return 2;
    }
    const QString path = QString::fromLocal8Bit(args[1].c_str());
    if (load) {
        BinaryResultFile::Loaded loaded = BinaryResultFile::load(path);
        KPtr value(loaded.value);
        if (!value) {
            io.err << "tovo-cli binary: " << BinaryResultFile::refusedText().toStdString() << " ("
                   << loaded.error.toStdString() << ")\n";
            return 1;
        }
        io.out << valueText(value.get()) << "\n";
        return 0;
    }
    std::vector<char> bytes;
    std::string error;
    if (!MessageInput::read(io.in, args.size() == 3, bytes, error)) {
        io.err << "tovo-cli binary: " << error << "\n";
        return 1;
    }
    KPtr value(kdb::MessageCodec::tryDecode(bytes.data(), bytes.size(), error));
    if (!value) {
        io.err << "tovo-cli binary: " << error << "\n";
        return 1;
    }
    QString failure;
    if (!BinaryResultFile::save(path, value.get(), &failure)) {
        io.err << "tovo-cli binary: cannot save " << args[1] << ": " << failure.toStdString() << "\n";
        return 1;
    }
    return 0;
}

const CliRegistration registration({"binary", "save FILE [--hex] < message | load FILE   binary result files", run});

} // namespace
