#include "editor/FontConv.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace {
constexpr std::uint8_t kFixedPitch = 0x01;
constexpr std::uint8_t kFamilyModern = 0x30;
} // namespace

qreal FontConv::screenDpiY()
{
    const QScreen* screen = qobject_cast<QGuiApplication*>(QCoreApplication::instance())
        ? QGuiApplication::primaryScreen()
        : nullptr;
    const qreal dpi = screen ? screen->logicalDotsPerInchY() : 0.0;
    return dpi > 0 ? dpi : 96.0;
}

QFont FontConv::toQFont(const LogFont& lf, qreal dpiY)
{
    QFont font;
    if (!lf.faceName.isEmpty())
        font.setFamily(lf.faceName);
    const int height = lf.height == std::numeric_limits<std::int32_t>::min() ? 0 : std::abs(lf.height);
    if (height > 0)
        font.setPointSizeF(std::max<qreal>(1.0, height * 72.0 / dpiY));
    font.setWeight(lf.weight > 400 ? QFont::Bold : QFont::Normal);
    font.setItalic(lf.italic != 0);
    font.setUnderline(lf.underline != 0);
    font.setStrikeOut(lf.strikeOut != 0);
    if ((lf.pitchAndFamily & 0x03) == kFixedPitch || (lf.pitchAndFamily & 0xF0) == kFamilyModern) {
        // Falls back to a fixed-pitch face where the named one is missing.
        font.setStyleHint(QFont::TypeWriter);
        font.setFixedPitch(true);
    }
    return font;
}

LogFont FontConv::fromQFont(const QFont& font, const LogFont& base, qreal dpiY)
{
    LogFont lf = base;
    const qreal points = font.pointSizeF() > 0 ? font.pointSizeF() : font.pixelSize() * 72.0 / dpiY;
    lf.height = -static_cast<std::int32_t>(std::lround(points * dpiY / 72.0));
    lf.width = 0;
    lf.weight = font.bold() ? LogFont::Bold : LogFont::Normal;
    lf.italic = font.italic() ? 1 : 0;
    lf.underline = font.underline() ? 1 : 0;
    lf.strikeOut = font.strikeOut() ? 1 : 0;
    lf.faceName = font.family().left(LogFont::FaceSize - 1);
    if (font.fixedPitch())
        lf.pitchAndFamily = kFixedPitch | kFamilyModern;
    return lf;
}

std::array<LogFont, CDialogFontsColors::FontCount> FontConv::platformDefaults()
{
    const QFont general = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    LogFont ui = fromQFont(general);
    LogFont source = ui;
    source.faceName = QStringLiteral("Consolas");
    source.pitchAndFamily = kFixedPitch | kFamilyModern;
    return {source, source, ui, ui, ui};
}
