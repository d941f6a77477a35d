#include "MessageInput.h"

#include <cctype>
#include <istream>
#include <iterator>

namespace MessageInput {

bool read(std::istream& in, bool hex, std::vector<char>& bytes, std::string& error)
{
    std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    bytes.clear();
    if (!hex) {
        bytes.assign(raw.begin(), raw.end());
    } else {
        std::string digits;
        for (std::size_t i = 0; i < raw.size(); ++i) {
            const unsigned char c = static_cast<unsigned char>(raw[i]);
            if (std::isspace(c))
                continue;
            if (c == '0' && i + 1 < raw.size() && (raw[i + 1] == 'x' || raw[i + 1] == 'X') && digits.empty()) {
                ++i;
                continue;
            }
            if (!std::isxdigit(c)) {
                error = "not a hex digit: " + std::string(1, static_cast<char>(c));
                return false;
            }
            digits.push_back(static_cast<char>(c));
        }
        if (digits.size() % 2) {
            error = "odd number of hex digits";
            return false;
        }
        for (std::size_t i = 0; i < digits.size(); i += 2)
            bytes.push_back(static_cast<char>(std::stoi(digits.substr(i, 2), nullptr, 16)));
    }
    if (bytes.empty()) {
        error = "no message on standard input";
        return false;
    }
    return true;
}

std::string toHex(const std::vector<char>& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string text = "0x";
    text.reserve(2 + bytes.size() * 2);
    for (char b : bytes) {
        const unsigned char u = static_cast<unsigned char>(b);
        text.push_back(digits[u >> 4]);
        text.push_back(digits[u & 15]);
    }
    return text;
}

} // namespace MessageInput
