// The text KRender builds: UTF-8 bytes plus the count of UTF-16 units, since
// lengths (the maximum length, the room left) are measured in characters as
// the console shows them while the bytes are cheaper to build.
#pragma once

#include <QString>

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

class RenderBuffer {
public:
    struct Mark {
        std::size_t bytes = 0;
        long long extra = 0; // UTF-8 bytes beyond the UTF-16 units so far
    };

    void clear()
    {
        m_bytes.clear();
        m_extra = 0;
    }
    Mark mark() const { return {m_bytes.size(), m_extra}; }
    // Characters (UTF-16 units) written since m.
    long long lengthSince(const Mark& m) const
    {
        return static_cast<long long>(m_bytes.size() - m.bytes) - (m_extra - m.extra);
    }

    void append(char c) { m_bytes.push_back(c); }
    // Text known to be ASCII.
    void append(std::string_view ascii) { m_bytes.append(ascii); }
    void append(const char* ascii, std::size_t n) { m_bytes.append(ascii, n); }
    void appendUtf8(std::string_view text)
    {
        m_bytes.append(text);
        m_extra += extraBytes(text);
    }
    // One byte taken as a Latin-1 character.
    void appendLatin1(unsigned char c)
    {
        if (c < 0x80) {
            m_bytes.push_back(static_cast<char>(c));
        } else {
            m_bytes.push_back(static_cast<char>(0xC0 | (c >> 6)));
            m_bytes.push_back(static_cast<char>(0x80 | (c & 0x3F)));
            ++m_extra;
        }
    }
    void appendQString(const QString& text) { appendUtf8(text.toStdString()); }

    // Edits of ASCII text only, so the unit count stays right.
    void insertAscii(std::size_t at, std::string_view ascii)
    {
        // Moved by hand: GCC 12 at -O3 takes std::string::insert for an
        // overlapping copy (-Wrestrict).
        const std::size_t old = m_bytes.size();
        if (at > old || ascii.empty())
            return;
        m_bytes.resize(old + ascii.size());
        char* data = m_bytes.data();
        std::memmove(data + at + ascii.size(), data + at, old - at);
        std::memcpy(data + at, ascii.data(), ascii.size());
    }
    void eraseAscii(std::size_t at, std::size_t n) { m_bytes.erase(at, n); }

    std::string& bytes() { return m_bytes; }
    const std::string& bytes() const { return m_bytes; }
    std::size_t size() const { return m_bytes.size(); }

    static long long extraBytes(std::string_view text)
    {
        long long extra = 0;
        for (unsigned char c : text) {
            if ((c & 0xC0) == 0x80)
                ++extra;       // continuation byte: no unit of its own
            else if (c >= 0xF0)
                --extra;       // four-byte sequence: a surrogate pair
        }
        return extra;
    }
    void addExtra(long long extra) { m_extra += extra; }

private:
    std::string m_bytes;
    long long m_extra = 0;
};
