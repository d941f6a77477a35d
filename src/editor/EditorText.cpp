#include "editor/EditorText.h"

#include <QStringList>

namespace {

const QString kWordStops = QStringLiteral(" \n\r\t`{}[]!@#$%^&*()+-=/?\\|~<>'\":;,");

QString trimChars(const QString& s, const QString& chars)
{
    qsizetype a = 0;
    qsizetype b = s.size();
    while (a < b && chars.contains(s[a]))
        ++a;
    while (b > a && chars.contains(s[b - 1]))
        --b;
    return s.mid(a, b - a);
}

bool isDigitOrUnderscore(QChar c) { return c == u'_' || (c >= u'0' && c <= u'9'); }

} // namespace

QString EditorText::executeLine(const QString& text, int caret)
{
    caret = std::clamp(caret, 0, int(text.size()));
    const qsizetype start = caret > 0 ? text.lastIndexOf(u'\n', caret - 1) + 1 : 0;
    qsizetype end = text.indexOf(u'\n', caret);
    if (end < 0)
        end = text.size();
    QString line = text.mid(start, end - start).trimmed();
    line.replace(QChar(11), u' ');
    return line;
}

QString EditorText::executeSelection(const QString& selection, const QString& whole, bool executeAll,
                                     bool* nothingSelected)
{
    if (nothingSelected)
        *nothingSelected = selection.isEmpty() && !executeAll;
    QString text = !selection.isEmpty() ? selection : executeAll ? whole : QString();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    text.replace(QChar(11), u' ');
    return text.trimmed();
}

QString EditorText::indentBlock(const QString& block, int spaces, bool unindent)
{
    QStringList lines = block.split(u'\n');
    for (QString& line : lines) {
        if (!unindent) {
            line.prepend(QString(spaces, u' '));
            continue;
        }
        int n = 0;
        while (n < spaces && n < line.size() && line[n] == u' ')
            ++n;
        line.remove(0, n);
    }
    return lines.join(u'\n');
}

int EditorText::unindentAtCaret(const QString& text, int caret, int spaces)
{
    caret = std::clamp(caret, 0, int(text.size()));
    const int start = caret > 0 ? int(text.lastIndexOf(u'\n', caret - 1)) + 1 : 0;
    for (int i = start; i < caret; ++i) {
        if (!text[i].isSpace())
            return 0;
    }
    return std::min(spaces, caret - start);
}

QString EditorText::wordAt(const QString& text, int pos)
{
    pos = std::clamp(pos, 0, int(text.size()));
    int a = pos;
    while (a > 0 && pos - a < 1000 && !kWordStops.contains(text[a - 1]))
        --a;
    int b = pos;
    while (b < text.size() && b - pos < 1000 && !kWordStops.contains(text[b]))
        ++b;
    return trimChars(text.mid(a, b - a), kWordStops);
}

QString EditorText::identifierOf(const QString& word)
{
    QString id = word;
    qsizetype n = 0;
    while (n < id.size() && isDigitOrUnderscore(id[n]))
        ++n;
    id.remove(0, n);
    while (id.size() >= 2 && id[0] == u'.' && isDigitOrUnderscore(id[1])) {
        n = 1;
        while (n < id.size() && isDigitOrUnderscore(id[n]))
            ++n;
        id.remove(0, n);
    }
    return id;
}

int EditorText::matchingBracket(QByteArrayView text, int pos)
{
    if (pos < 0 || pos >= text.size())
        return -1;
    static constexpr char open[] = "([{";
    static constexpr char close[] = ")]}";
    const char c = text[pos];
    for (int k = 0; k < 3; ++k) {
        int depth = 0;
        if (c == open[k]) {
            for (qsizetype i = pos; i < text.size(); ++i) {
                if (text[i] == c)
                    ++depth;
                else if (text[i] == close[k] && --depth == 0)
                    return static_cast<int>(i);
            }
            return -1;
        }
        if (c == close[k]) {
            for (qsizetype i = pos; i >= 0; --i) {
                if (text[i] == c)
                    ++depth;
                else if (text[i] == open[k] && --depth == 0)
                    return static_cast<int>(i);
            }
            return -1;
        }
    }
    return -1;
}

int EditorText::bracketNearCaret(QByteArrayView text, int caret)
{
    if (matchingBracket(text, caret) >= 0)
        return caret;
    if (matchingBracket(text, caret - 1) >= 0)
        return caret - 1;
    return -1;
}

QString EditorText::copyAsString(const QString& selection)
{
    QString s = trimChars(selection, QStringLiteral(" \t\r\n"));
    s.replace(u'\\', QStringLiteral("\\\\"));
    s.replace(u'"', QStringLiteral("\\\""));
    return u'"' + s + u'"';
}

QString EditorText::copyAsUrl(const QString& selection, const QString& serverText)
{
    QString s = trimChars(selection, QStringLiteral(" \t\r\n"));
    // The percent sign goes first so that inserted ones are not escaped again.
    QList<char16_t> escape;
    for (QChar c : QStringLiteral("%=\"<>\\^[]`+$,@:;/!#?&'"))
        escape << c.unicode();
    for (char16_t c = 1; c <= 32; ++c)
        escape << c;
    for (char16_t c = 124; c <= 255; ++c)
        escape << c;
    for (char16_t c : escape)
        s.replace(QChar(c), QStringLiteral("%%1").arg(int(c), 2, 16, QLatin1Char('0')).toUpper());
    // `:host:port:… — the host after the leading backquote and colons, then the port.
    QString sym = serverText;
    while (!sym.isEmpty() && (sym[0] == u'`' || sym[0] == u':'))
        sym.remove(0, 1);
    const QStringList parts = sym.split(u':');
    QString url = QStringLiteral("http://") + parts.value(0);
    if (parts.size() > 1 && !parts[1].isEmpty())
        url += u':' + parts[1];
    return url + u'?' + s;
}
