// A font as the settings store keeps it: the 92-byte Windows LOGFONTW record
// (little-endian), so stored values stay interchangeable with the Windows build.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

struct LogFont {
    static constexpr int RecordSize = 92;
    static constexpr int FaceSize = 32; // UTF-16 units, terminator included
    static constexpr int Normal = 400;
    static constexpr int Bold = 700;

    std::int32_t height = 0; // negative: character height in logical units
    std::int32_t width = 0;
    std::int32_t escapement = 0;
    std::int32_t orientation = 0;
    std::int32_t weight = Normal;
    std::uint8_t italic = 0;
    std::uint8_t underline = 0;
    std::uint8_t strikeOut = 0;
    std::uint8_t charSet = 1; // DEFAULT_CHARSET
    std::uint8_t outPrecision = 0;
    std::uint8_t clipPrecision = 0;
    std::uint8_t quality = 0;
    std::uint8_t pitchAndFamily = 0;
    QString faceName; // at most 31 units are kept

    QByteArray toBytes() const;
    // False (and *this unchanged) unless bytes is exactly one record.
    bool fromBytes(const QByteArray& bytes);

    bool operator==(const LogFont& other) const = default;
};
