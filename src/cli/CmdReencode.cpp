// tovo-cli reencode [--hex]: reads one IPC message (compressed or not) and
// writes the plain serialisation of its value as a whole message.
#include "CliCommands.h"
#include "MessageInput.h"

#include "kdb/KPtr.h"
#include "kdb/MessageCodec.h"
#include "kdb/MessageHeader.h"

#include <ostream>

namespace {

int run(const std::vector<std::string>& args, CliIo& io)
{
    const bool hex = args.size() == 1 && args[0] == "--hex";
    if (!args.empty() && !hex) {
        io.err << "usage: tovo-cli reencode [--hex] < message\n";
        return 2;
    }
    std::vector<char> bytes;
    std::string error;
    if (!MessageInput::read(io.in, hex, bytes, error)) {
        io.err << "tovo-cli reencode: " << error << "\n";
        return 1;
    }
    KPtr value(kdb::MessageCodec::tryDecode(bytes.data(), bytes.size(), error));
    if (!value) {
        io.err << "tovo-cli reencode: " << error << "\n";
        return 1;
    }
    // Keep the message type of the input; never compress the output.
    std::vector<char> out;
    if (!kdb::MessageCodec::encode(value.get(), static_cast<unsigned char>(bytes[1]), kdb::CapLarge, true, out, error)) {
        io.err << "tovo-cli reencode: " << error << "\n";
        return 1;
    }
    if (hex)
        io.out << MessageInput::toHex(out) << "\n";
    else
        io.out.write(out.data(), static_cast<std::streamsize>(out.size()));
    return 0;
}

const CliRegistration registration({"reencode", "[--hex] < message   write the value again as a plain message", run});

} // namespace
