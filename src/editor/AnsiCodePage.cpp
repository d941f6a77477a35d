#include "editor/AnsiCodePage.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace {

#ifndef _WIN32
// Windows-1252 at 0x80..0x9F; 0 where the code page has no character.
constexpr char16_t kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

int toByte(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return c;
    if (c < 0xA0 && kHigh[c - 0x80] == 0)
        return c; // the five unassigned bytes map to themselves
    for (int i = 0; i < 32; ++i) {
        if (kHigh[i] == c && c != 0)
            return 0x80 + i;
    }
    return -1;
}
#endif

} // namespace

QByteArray AnsiCodePage::encode(const QString& text, bool* lossless)
{
#ifdef _WIN32
    QStringEncoder enc(QStringConverter::System);
    QByteArray out = enc.encode(text);
    if (lossless)
        *lossless = decode(out) == text;
    return out;
#else
    QByteArray out;
    out.reserve(text.size());
    bool all = true;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        int b = toByte(c);
        if (b < 0) {
            all = false;
            b = '?';
            // One "?" for a character outside the basic plane, as for any other.
            if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
                ++i;
        }
        out.append(static_cast<char>(b));
    }
    if (lossless)
        *lossless = all;
    return out;
#endif
}

QString AnsiCodePage::decode(const QByteArray& bytes)
{
#ifdef _WIN32
    QStringDecoder dec(QStringConverter::System);
    return dec.decode(bytes);
#else
    QString out;
    out.reserve(bytes.size());
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        // Bytes without a character keep their value, as Windows maps them.
        out.append(QChar(b >= 0x80 && b < 0xA0 && kHigh[b - 0x80] ? kHigh[b - 0x80] : char16_t(b)));
    }
    return out;
#endif
}

bool AnsiCodePage::canHold(const QString& text)
{
    bool lossless = true;
    encode(text, &lossless);
    return lossless;
}
