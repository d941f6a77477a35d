#include "core/colors/CDialogFontsColors.h"

#include "core/Prompter.h"
#include "core/settings/KeptSettings.h"
#include "core/settings/SettingsStore.h"

#include <QFile>
#include <QSaveFile>

namespace {

struct ElementInfo {
    const char* name;
    CDialogFontsColors::ColorRef def;
    const char* group;
};

constexpr const char* kSyntax = "Colors - Syntax";
constexpr const char* kTable = "Colors - Table";
constexpr const char* kDebugger = "Colors - Debugger";
constexpr const char* kWatch = "Colors - Watch";

constexpr ElementInfo kElements[CDialogFontsColors::ElementCount] = {
    {"Background", 0xFFFFFF, kSyntax},
    {"Brackets background", 0xCFCFCF, kSyntax},
    {"Brackets content background", 0xEFEFEF, kSyntax},
    {"Marked text background", 0xDEFFDE, kSyntax},
    {"Default", 0x000000, kSyntax},
    {"Whitespace", 0x000000, kSyntax},
    {"Operator", 0x000000, kSyntax},
    {"Comment", 0x808080, kSyntax},
    {"String", 0x00C814, kSyntax},
    {"System", 0x00B4F0, kSyntax},
    {"Command", 0x00B4F0, kSyntax},
    {"Integer", 0xFF6833, kSyntax},
    {"Short", 0xFF6833, kSyntax},
    {"Long", 0xFF6833, kSyntax},
    {"Byte", 0xFF6833, kSyntax},
    {"Real", 0xFF6833, kSyntax},
    {"Float", 0xFF6833, kSyntax},
    {"Boolean", 0xFFCC33, kSyntax},
    {"Symbol", 0x8600B3, kSyntax},
    {"Identifier", 0x00A0B4, kSyntax},
    {"Keyword", 0xFF0000, kSyntax},
    {"Recognized global", 0xFF00FF, kSyntax},
    {"Time", 0xB88A00, kSyntax},
    {"Month", 0xB88A00, kSyntax},
    {"Second", 0xB88A00, kSyntax},
    {"Minute", 0xB88A00, kSyntax},
    {"Date", 0xB88A00, kSyntax},
    {"Datetime", 0xB88A00, kSyntax},
    {"Timespan", 0xB88A00, kSyntax},
    {"Timestamp", 0xB88A00, kSyntax},
    {"Parse Error", 0x0000FF, kSyntax},
    {"Odd rows background", 0xFFDBDE, kTable},
    {"Even rows background", 0xFFFFFF, kTable},
    {"Key odd rows background", 0xDEFFDE, kTable},
    {"Key even rows background", 0xDEFFDE, kTable},
    {"Breakpoint background", 0xDEDEFF, kDebugger},
    {"Current line background", 0xDEFFDE, kDebugger},
    {"Changed value", 0x0000FF, kWatch},
    {"Inactive watch", 0x969696, kWatch},
    {"Undefined/Error watch", 0x000096, kWatch},
};

struct FontInfo {
    const char* name;
    const char* description;
};

constexpr FontInfo kFonts[CDialogFontsColors::FontCount] = {
    {"Source Font", "Specifies the default font for the source windows"},
    {"Result Font", "Specifies the default font for the result window"},
    {"Console Font", "Specifies the default font for the console window"},
    {"Grid Font", "Specifies the default font for the grid window"},
    {"Trees Font", "Specifies the default font for the tree controls"},
};

bool validElement(int e) { return e >= 0 && e < CDialogFontsColors::ElementCount; }
bool validFont(int f) { return f >= 0 && f < CDialogFontsColors::FontCount; }

// Windows' own defaults, used until the window layer supplies the platform's.
std::array<LogFont, CDialogFontsColors::FontCount> builtInFonts()
{
    LogFont source;
    source.height = -11;
    source.pitchAndFamily = 0x31; // FIXED_PITCH | FF_MODERN
    source.faceName = QStringLiteral("Consolas");
    LogFont ui;
    ui.height = -12;
    ui.faceName = QStringLiteral("Segoe UI");
    return {source, source, ui, ui, ui};
}

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

// Two hexadecimal digits; -1 when either is not one.
int hexPair(QStringView s)
{
    const int hi = hexDigit(s[0]);
    const int lo = hexDigit(s[1]);
    return hi < 0 || lo < 0 ? -1 : hi * 16 + lo;
}

} // namespace

CDialogFontsColors::CDialogFontsColors()
    : m_fonts(builtInFonts())
    , m_defaultFonts(builtInFonts())
{
    for (int e = 0; e < ElementCount; ++e)
        m_colors[e] = kElements[e].def;
}

QString CDialogFontsColors::elementName(int element)
{
    return validElement(element) ? QString::fromLatin1(kElements[element].name) : QString();
}

CDialogFontsColors::ColorRef CDialogFontsColors::defaultColor(int element)
{
    return validElement(element) ? kElements[element].def : 0;
}

QString CDialogFontsColors::elementGroup(int element)
{
    return validElement(element) ? QString::fromLatin1(kElements[element].group) : QString();
}

int CDialogFontsColors::elementByName(QStringView name)
{
    for (int e = 0; e < ElementCount; ++e) {
        if (name.compare(QLatin1StringView(kElements[e].name), Qt::CaseInsensitive) == 0)
            return e;
    }
    return -1;
}

QString CDialogFontsColors::fontName(int font)
{
    return validFont(font) ? QString::fromLatin1(kFonts[font].name) : QString();
}

QString CDialogFontsColors::fontDescription(int font)
{
    return validFont(font) ? QString::fromLatin1(kFonts[font].description) : QString();
}

QString CDialogFontsColors::fontSettingName(int font) { return QStringLiteral("Font #%1").arg(font); }

CDialogFontsColors::ColorRef CDialogFontsColors::color(int element) const
{
    return validElement(element) ? m_colors[element] : 0;
}

void CDialogFontsColors::setColor(int element, ColorRef color)
{
    if (validElement(element))
        m_colors[element] = color & 0xFFFFFF;
}

const LogFont& CDialogFontsColors::font(int font) const { return m_fonts[validFont(font) ? font : 0]; }

void CDialogFontsColors::setFont(int font, const LogFont& value)
{
    if (validFont(font))
        m_fonts[font] = value;
}

const LogFont& CDialogFontsColors::defaultFont(int font) const
{
    return m_defaultFonts[validFont(font) ? font : 0];
}

void CDialogFontsColors::setDefaultFonts(const std::array<LogFont, FontCount>& fonts) { m_defaultFonts = fonts; }

void CDialogFontsColors::load(const SettingsStore& store)
{
    for (int e = 0; e < ElementCount; ++e)
        m_colors[e] = static_cast<ColorRef>(store.readInt(elementName(e), static_cast<int>(kElements[e].def))) & 0xFFFFFF;
    for (int f = 0; f < FontCount; ++f) {
        // A missing or malformed record takes the default.
        LogFont font;
        m_fonts[f] = font.fromBytes(store.readBytes(fontSettingName(f))) ? font : m_defaultFonts[f];
    }
    m_keywordsAreBold = store.readInt(QLatin1StringView(kept::KeywordsAreBold.name), kept::KeywordsAreBold.def) != 0;
    m_keywordsAreBoldAtLoad = m_keywordsAreBold;
}

void CDialogFontsColors::save(SettingsStore& store) const
{
    for (int e = 0; e < ElementCount; ++e)
        store.writeInt(elementName(e), static_cast<int>(m_colors[e]));
    for (int f = 0; f < FontCount; ++f)
        store.writeBytes(fontSettingName(f), m_fonts[f].toBytes());
    store.writeInt(QLatin1StringView(kept::KeywordsAreBold.name), m_keywordsAreBold ? 1 : 0);
}

QByteArray CDialogFontsColors::exportText() const
{
    QByteArray out;
    for (int e = 0; e < ElementCount; ++e) {
        const ColorRef c = m_colors[e];
        out += QStringLiteral("%1:#%2%3%4\n")
                   .arg(elementName(e))
                   .arg(c & 0xFF, 2, 16, QLatin1Char('0'))
                   .arg((c >> 8) & 0xFF, 2, 16, QLatin1Char('0'))
                   .arg((c >> 16) & 0xFF, 2, 16, QLatin1Char('0'))
                   .toUtf8();
    }
    return out;
}

bool CDialogFontsColors::exportToFile(const QString& path, QString* error) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(exportText()) < 0 || !file.flush() || !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

int CDialogFontsColors::importText(const QByteArray& text)
{
    int applied = 0;
    const QString all = QString::fromUtf8(text);
    for (QStringView line : QStringView(all).split(u'\n')) {
        const qsizetype colon = line.indexOf(u':');
        if (colon < 0)
            continue;
        const int element = elementByName(line.left(colon).trimmed());
        if (element < 0)
            continue;
        QStringView value = line.mid(colon + 1);
        auto trimChar = [](QChar c) { return c.isSpace() || c == u'#'; };
        while (!value.isEmpty() && trimChar(value.front()))
            value = value.mid(1);
        while (!value.isEmpty() && trimChar(value.back()))
            value.chop(1);
        if (value.size() <= 5)
            continue;
        // Anything that is not hexadecimal leaves the element as it was.
        const int r = hexPair(value.mid(0, 2));
        const int g = hexPair(value.mid(2, 2));
        const int b = hexPair(value.mid(4, 2));
        if (r < 0 || g < 0 || b < 0)
            continue;
        m_colors[element] = static_cast<ColorRef>(r | (g << 8) | (b << 16));
        ++applied;
    }
    m_modified = true;
    return applied;
}

bool CDialogFontsColors::importFromFile(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    importText(file.readAll());
    return true;
}

bool CDialogFontsColors::resetToDefault(Prompter& prompter)
{
    const auto answer = prompter.ask(
        QStringLiteral("You are about to Reset your current color schema to default.\n Are you sure?"),
        QStringLiteral("Confirmation"), Prompter::Buttons::YesNo, Prompter::Icon::Warning, Prompter::Answer::No);
    if (answer != Prompter::Answer::Yes)
        return false;
    for (int e = 0; e < ElementCount; ++e)
        m_colors[e] = kElements[e].def;
    m_modified = true;
    return true;
}
