// Reading one IPC message from tovo-cli's standard input, raw or as hex text.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace MessageInput {
// Reads all of in; with hex, the text may hold blanks, line breaks and a
// leading 0x. False with error when the input is no message.
bool read(std::istream& in, bool hex, std::vector<char>& bytes, std::string& error);
std::string toHex(const std::vector<char>& bytes);
} // namespace MessageInput
