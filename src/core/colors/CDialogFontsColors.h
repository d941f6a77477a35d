// The live colour scheme and fonts: 40 colour elements (colour references
// 0x00BBGGRR), five fonts and KeywordsAreBold. Every window reads it; the
// "Fonts && Colors" settings page edits it.
#pragma once

#include "core/colors/LogFont.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>

class Prompter;
class SettingsStore;

class CDialogFontsColors {
public:
    using ColorRef = std::uint32_t;

    enum Element {
        Background = 0,
        BracketsBackground,
        BracketsContentBackground,
        MarkedTextBackground,
        Default,
        Whitespace,
        Operator,
        Comment,
        String,
        System,
        Command,
        Integer,
        Short,
        Long,
        Byte,
        Real,
        Float,
        Boolean,
        Symbol,
        Identifier,
        Keyword,
        RecognizedGlobal,
        Time,
        Month,
        Second,
        Minute,
        Date,
        Datetime,
        Timespan,
        Timestamp,
        ParseError,
        OddRowsBackground,
        EvenRowsBackground,
        KeyOddRowsBackground,
        KeyEvenRowsBackground,
        BreakpointBackground,
        CurrentLineBackground,
        ChangedValue,
        InactiveWatch,
        UndefinedErrorWatch,
        ElementCount
    };
    enum FontId { SourceFont = 0, ResultFont, ConsoleFont, GridFont, TreesFont, FontCount };

    CDialogFontsColors();

    static QString elementName(int element);
    static ColorRef defaultColor(int element);
    // "Colors - Syntax", "Colors - Table", "Colors - Debugger" or "Colors - Watch".
    static QString elementGroup(int element);
    // -1 when no element has that name (compared without regard to case).
    static int elementByName(QStringView name);
    static QString fontName(int font);        // "Source Font" …
    static QString fontDescription(int font); // "Specifies the default font for …"
    static QString fontSettingName(int font); // "Font #0" …

    ColorRef color(int element) const;
    void setColor(int element, ColorRef color);
    const LogFont& font(int font) const;
    void setFont(int font, const LogFont& value);
    const LogFont& defaultFont(int font) const;
    // The window layer supplies the platform's fonts; until then built-in ones are used.
    void setDefaultFonts(const std::array<LogFont, FontCount>& fonts);

    bool keywordsAreBold() const { return m_keywordsAreBold; }
    void setKeywordsAreBold(bool bold) { m_keywordsAreBold = bold; }
    bool keywordsAreBoldAtLoad() const { return m_keywordsAreBoldAtLoad; }

    // Set by any change made on the settings page; the settings dialog clears it.
    bool isModified() const { return m_modified; }
    void setModified(bool modified) { m_modified = modified; }

    void load(const SettingsStore& store);
    void save(SettingsStore& store) const;

    // One "Name:#rrggbb" line per element, in element order.
    QByteArray exportText() const;
    // Written whole or not at all; false with *error set on failure.
    bool exportToFile(const QString& path, QString* error) const;
    // Applies every recognised line; returns how many colours were set and marks
    // the scheme modified.
    int importText(const QByteArray& text);
    bool importFromFile(const QString& path, QString* error);
    // Asks for confirmation; Yes puts every colour back to its default (fonts stay).
    bool resetToDefault(Prompter& prompter);

private:
    std::array<ColorRef, ElementCount> m_colors{};
    std::array<LogFont, FontCount> m_fonts;
    std::array<LogFont, FontCount> m_defaultFonts;
    bool m_keywordsAreBold = true;
    bool m_keywordsAreBoldAtLoad = true;
    bool m_modified = false;
};
