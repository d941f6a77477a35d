// Text from servers and files shown on a terminal: control characters (escape
// sequences among them) are written as visible escapes so that a reply cannot
// drive the user's terminal. Line feeds and tabs pass.
#pragma once

#include <cstdio>
#include <memory>
#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>

class TerminalText {
public:
    // "\x1b" for ESC, "\x7f" for DEL, "\xc2\x9b" for a C1 control in UTF-8.
    static std::string escape(std::string_view text);
    // Whether the stream is a terminal (platform code).
    static bool isTerminal(std::FILE* stream);

    // Makes os escape everything written to it from now on, until the
    // returned guard goes.
    class Filter {
    public:
        explicit Filter(std::ostream& os);
        ~Filter();
        Filter(const Filter&) = delete;
        Filter& operator=(const Filter&) = delete;

    private:
        class Buffer;
        std::ostream& m_os;
        std::streambuf* m_previous;
        std::unique_ptr<Buffer> m_buffer;
    };
};
