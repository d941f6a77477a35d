#include "TerminalText.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

void appendHex(std::string& out, unsigned char c)
{
    static const char digits[] = "0123456789abcdef";
    out += "\\x";
    out += digits[c >> 4];
    out += digits[c & 15];
}

bool isControl(unsigned char c) { return (c < 0x20 && c != '\n' && c != '\t') || c == 0x7f; }

} // namespace

std::string TerminalText::escape(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (isControl(c)) {
            appendHex(out, c);
        } else if (c == 0xc2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80
                   && static_cast<unsigned char>(text[i + 1]) <= 0x9f) {
            // A C1 control (CSI 0x9b among them) in UTF-8.
            appendHex(out, c);
            appendHex(out, static_cast<unsigned char>(text[++i]));
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

bool TerminalText::isTerminal(std::FILE* stream)
{
#ifdef _WIN32
    return _isatty(_fileno(stream)) != 0;
#else
    return ::isatty(::fileno(stream)) != 0;
#endif
}

// Escapes on the way to the original buffer. A 0xc2 is held back until the
// next byte shows whether it starts a C1 control.
class TerminalText::Filter::Buffer : public std::streambuf {
public:
    explicit Buffer(std::streambuf* target) : m_target(target) {}
    ~Buffer() override { flushHeld(); }

protected:
    int_type overflow(int_type ch) override
    {
        if (traits_type::eq_int_type(ch, traits_type::eof()))
            return sync() == 0 ? traits_type::not_eof(ch) : traits_type::eof();
        const auto c = static_cast<unsigned char>(traits_type::to_char_type(ch));
        std::string text;
        if (m_held) {
            m_held = false;
            text += '\xc2';
        }
        if (c == 0xc2) {
            // The held byte (if any) starts no C1 control: it goes as it is.
            m_held = true;
        } else {
            text += static_cast<char>(c);
        }
        const std::string out = escape(text);
        return m_target->sputn(out.data(), static_cast<std::streamsize>(out.size()))
                == static_cast<std::streamsize>(out.size())
            ? ch
            : traits_type::eof();
    }
    int sync() override
    {
        flushHeld();
        return m_target->pubsync();
    }

private:
    void flushHeld()
    {
        if (m_held) {
            m_held = false;
            m_target->sputc('\xc2');
        }
    }

    std::streambuf* m_target;
    bool m_held = false;
};

TerminalText::Filter::Filter(std::ostream& os)
    : m_os(os), m_previous(os.rdbuf()), m_buffer(std::make_unique<Buffer>(m_previous))
{
    m_os.rdbuf(m_buffer.get());
}

TerminalText::Filter::~Filter()
{
    m_os.flush();
    m_os.rdbuf(m_previous);
}
