#include "core/colors/LogFont.h"

#include <QtEndian>

#include <algorithm>

namespace {
constexpr int kFaceOffset = 28;

void putInt(char* p, std::int32_t v) { qToLittleEndian<std::int32_t>(v, p); }
std::int32_t getInt(const char* p) { return qFromLittleEndian<std::int32_t>(p); }
} // namespace

QByteArray LogFont::toBytes() const
{
    QByteArray out(RecordSize, '\0');
    char* p = out.data();
    putInt(p + 0, height);
    putInt(p + 4, width);
    putInt(p + 8, escapement);
    putInt(p + 12, orientation);
    putInt(p + 16, weight);
    const std::uint8_t flags[8] = {italic, underline, strikeOut, charSet,
                                   outPrecision, clipPrecision, quality, pitchAndFamily};
    for (int i = 0; i < 8; ++i)
        p[20 + i] = static_cast<char>(flags[i]);
    const int n = std::min<int>(faceName.size(), FaceSize - 1);
    for (int i = 0; i < n; ++i)
        qToLittleEndian<std::uint16_t>(faceName.at(i).unicode(), p + kFaceOffset + 2 * i);
    return out;
}

bool LogFont::fromBytes(const QByteArray& bytes)
{
    if (bytes.size() != RecordSize)
        return false;
    const char* p = bytes.constData();
    height = getInt(p + 0);
    width = getInt(p + 4);
    escapement = getInt(p + 8);
    orientation = getInt(p + 12);
    weight = getInt(p + 16);
    std::uint8_t* flags[8] = {&italic, &underline, &strikeOut, &charSet,
                              &outPrecision, &clipPrecision, &quality, &pitchAndFamily};
    for (int i = 0; i < 8; ++i)
        *flags[i] = static_cast<std::uint8_t>(p[20 + i]);
    // The face name ends at its terminator; a record without one is cut at 31 units.
    QString face;
    for (int i = 0; i < FaceSize - 1; ++i) {
        const char16_t c = qFromLittleEndian<std::uint16_t>(p + kFaceOffset + 2 * i);
        if (c == 0)
            break;
        face.append(QChar(c));
    }
    faceName = face;
    return true;
}
