// tovo-cli decode [--hex]: prints the value of one IPC message read from stdin.
#include "CliCommands.h"
#include "MessageInput.h"
#include "ValueText.h"

#include "kdb/KPtr.h"
#include "kdb/MessageCodec.h"

#include <ostream>

namespace {

int run(const std::vector<std::string>& args, CliIo& io)
{
    const bool hex = args.size() == 1 && args[0] == "--hex";
    if (!args.empty() && !hex) {
        io.err << "usage: tovo-cli decode [--hex] < message\n";
        return 2;
    }
    std::vector<char> bytes;
    std::string error;
    if (!MessageInput::read(io.in, hex, bytes, error)) {
        io.err << "tovo-cli decode: " << error << "\n";
        return 1;
    }
    // A message that carries a q error is a value too; only malformed bytes fail.
    KPtr value(kdb::MessageCodec::tryDecode(bytes.data(), bytes.size(), error));
    if (!value) {
        io.err << "tovo-cli decode: " << error << "\n";
        return 1;
    }
    io.out << valueText(value.get()) << "\n";
    return 0;
}

const CliRegistration registration({"decode", "[--hex] < message   print the value of one IPC message", run});

} // namespace
