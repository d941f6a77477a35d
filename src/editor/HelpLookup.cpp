#include "editor/HelpLookup.h"

#include "core/settings/SettingsTable.h"
#include "editor/QKeywords.h"

QString HelpLookup::defaultHelpUrl() { return QStringLiteral(TOVO_DEFAULT_HELP_URL); }

QString HelpLookup::address(const QString& wordIn, bool selection, const QString& identifier, const QString& helpUrl,
                            const QString& altHelpUrl)
{
    static const QString trimmed = QStringLiteral(" \n\r\t`{}[]!@#$%^&*()_+-=/?\\|~<>'\":;,");
    QString word = wordIn;
    qsizetype from = 0, to = word.size();
    while (from < to && trimmed.contains(word.at(from)))
        ++from;
    while (to > from && trimmed.contains(word.at(to - 1)))
        --to;
    word = word.mid(from, to - from);
    if (const qsizetype blank = word.lastIndexOf(QLatin1Char(' ')); blank >= 0)
        word = word.mid(blank + 1);
    if (const qsizetype tick = word.lastIndexOf(QLatin1Char('`')); tick >= 0)
        word = word.left(tick);
    QString base = helpUrl.isEmpty() ? defaultHelpUrl() : helpUrl;
    const QString alt = altHelpUrl.trimmed();
    if (!alt.isEmpty() && !QKeywords::list().contains(QLatin1Char(',') + word + QLatin1Char(','))) {
        base = alt;
        if (!selection)
            word = identifier;
    }
    QString address = base + word;
    while (address.endsWith(QLatin1Char('/')))
        address.chop(1);
    return address;
}
