// The q colouring rules, the region list of a colouring run, occurrence
// marking, and incremental re-colouring against colouring the whole text.
#include "core/colors/CDialogFontsColors.h"
#include "editor/CHiTarget.h"
#include "editor/CLineStates.h"
#include "editor/CSyntaxHighlighting.h"
#include "editor/HighlightHtml.h"
#include "editor/QKeywords.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QtTest>

namespace {

using E = CDialogFontsColors;

// The element of every character (-1 where no region covers it); later regions win.
QList<int> elementsOf(const QString& text, const QSet<QString>* known = nullptr, int first = -1, int last = -1)
{
    CDialogFontsColors scheme;
    CSyntaxHighlighting hl(nullptr, scheme, known);
    hl.colourText(text, first, last);
    QList<int> el(text.size(), -1);
    for (const CHiRegion& r : hl.regions())
        for (int i = r.start; i <= r.end; ++i)
            el[i] = r.element;
    return el;
}

// "Element[text]" for each run of one element, "|" at line breaks; uncovered characters are left out.
QString describe(const QString& text, const QSet<QString>* known = nullptr)
{
    const QList<int> el = elementsOf(text, known);
    QStringList parts;
    int i = 0;
    while (i < text.size()) {
        if (text[i] == u'\n') {
            parts << QStringLiteral("|");
            ++i;
            continue;
        }
        int j = i + 1;
        while (j < text.size() && text[j] != u'\n' && el[j] == el[i])
            ++j;
        if (el[i] >= 0)
            parts << CDialogFontsColors::elementName(el[i]).remove(u' ') + u'[' + text.mid(i, j - i) + u']';
        i = j;
    }
    return parts.join(u' ');
}

QString readScript(const QString& name)
{
    QFile f(QDir(QStringLiteral(TOVO_EDITOR_SCRIPTS)).filePath(name));
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(f.readAll());
}

// A document kept as text plus one style per character, changed the way an
// editor changes it: edited characters lose their style until re-coloured.
struct IncrementalDoc {
    QString text;
    QList<int> styles;
    CLineStates states;

    QList<int> lineStarts() const
    {
        QList<int> starts{0};
        for (int i = 0; i < text.size(); ++i)
            if (text[i] == u'\n')
                starts << i + 1;
        return starts;
    }

    void recolour()
    {
        const QList<int> starts = lineStarts();
        QCOMPARE(states.lineCount(), starts.size());
        const char16_t* s = reinterpret_cast<const char16_t*>(text.utf16());
        states.recolour([&](int line, ScanState in) {
            const int a = starts[line];
            const int b = line + 1 < starts.size() ? starts[line + 1] - 1 : int(text.size());
            for (int i = a; i < b; ++i)
                styles[i] = -1;
            return LineColourer<char16_t>::colourLine(s + a, b - a, in, nullptr, [&](int st, int len, int el) {
                for (int i = a + st; i < a + st + len; ++i)
                    styles[i] = el;
            });
        });
    }

    void load(const QString& t)
    {
        text = t;
        styles = QList<int>(t.size(), -1);
        states.reset(int(t.count(u'\n')) + 1);
        recolour();
    }

    void edit(int pos, int removed, const QString& inserted)
    {
        const int line = int(text.left(pos).count(u'\n'));
        const int removedLines = int(text.mid(pos, removed).count(u'\n'));
        text.replace(pos, removed, inserted);
        styles.remove(pos, removed);
        styles.insert(pos, inserted.size(), -1);
        if (removedLines > 0)
            states.linesRemoved(line, removedLines);
        if (const int added = int(inserted.count(u'\n')); added > 0)
            states.linesInserted(line, added);
        else
            states.lineChanged(line);
    }
};

class RecordingTarget : public CHiTarget {
public:
    QString content;
    QStringList calls;
    QString text() const override { return content; }
    void setTextStyle(int start, int end, std::uint32_t colour, bool bold) override
    {
        calls << QStringLiteral("text %1-%2 %3 %4").arg(start).arg(end).arg(colour, 6, 16, QLatin1Char('0')).arg(bold);
    }
    void setBackground(int start, int end, std::uint32_t colour, bool reset) override
    {
        calls << QStringLiteral("bg %1-%2 %3 %4").arg(start).arg(end).arg(colour, 6, 16, QLatin1Char('0')).arg(reset);
    }
};

} // namespace

class TestTokenizer : public QObject {
    Q_OBJECT
private slots:
    void tokens_data();
    void tokens();
    void structure_data();
    void structure();
    void longTokens();
    void knownNamesAndKeywords();
    void requestedRangeOnly();
    void applyAndBold();
    void markOccurrences_data();
    void markOccurrences();
    void utf8AgreesWithUtf16();
    void incrementalMatchesWhole_data();
    void incrementalMatchesWhole();
    void typingStaysLocal();
    void html();
};

void TestTokenizer::tokens_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    auto row = [](const char* name, const char* text, const char* expected) {
        QTest::newRow(name) << QString::fromUtf8(text) << QString::fromUtf8(expected);
    };
    row("symbol", "`abc.d:e", "Symbol[`abc.d:e]");
    row("symbol list", "`a`b", "Symbol[`a`b]");
    row("dotted name", ".z.p", "Identifier[.z.p]");
    row("assignment", "x:1", "Identifier[x] Operator[:] Integer[1]");
    row("name then symbol", "a`b", "Identifier[a] Symbol[`b]");
    row("underscore operator", "_x", "Operator[_] Identifier[x]");
    row("underscore inside name", "a_b", "Identifier[a_b]");
    row("digit underscore", "1_x", "Integer[1] Operator[_] Identifier[x]");
    row("lone dot", ".", "Operator[.]");
    row("leading dot float", ".5", "Float[.5]");
    row("non-ascii", "\xc3\xa9", "Operator[\xc3\xa9]");
    row("delimiters", "(a+b)*c;", "Operator[(] Identifier[a] Operator[+] Identifier[b] Operator[)*] "
                                 "Identifier[c] Operator[;]");
    row("boolean", "101b", "Boolean[101b]");
    row("bad boolean", "12b", "ParseError[12b]");
    row("byte", "0x1f", "Byte[0x1f]");
    row("bad byte", "0x1g", "ParseError[0x1g]");
    row("real", "3.5e", "Real[3.5e]");
    row("float", "1.5f", "Float[1.5f]");
    row("plain float", "1.5", "Integer[1.5]");
    row("exponent", "1e10", "Integer[1e10]");
    row("short", "10h", "Short[10h]");
    row("long", "42j", "Long[42j]");
    row("int", "7i", "Integer[7i]");
    row("dotted int", "1.5i", "ParseError[1.5i]");
    row("timestamp null", "0Np", "Timestamp[0Np]");
    row("long infinity", "0Wj", "Long[0Wj]");
    row("float null", "0nf", "Float[0nf]");
    row("boolean null", "0Nb", "ParseError[0Nb]");
    row("minute", "12:30u", "Minute[12:30u]");
    row("bad minute", "12.30u", "ParseError[12.30u]");
    row("second", "12:30:00v", "Second[12:30:00v]");
    row("time", "12:30:00.000t", "Time[12:30:00.000t]");
    row("month", "2020.01m", "Month[2020.01m]");
    row("datetime", "2020.01.01T12:00:00.000z", "Datetime[2020.01.01T12:00:00.000z]");
    row("timespan", "0D00:00:01.000000000n", "Timespan[0D00:00:01.000000000n]");
    row("timestamp", "2020.01.01D12:00:00p", "Timestamp[2020.01.01D12:00:00p]");
    row("date literal", "2020.01.01", "Integer[2020.01.01]");
    row("date null", "0Nd", "Integer[0Nd]");
    row("impossible letter", "12a", "ParseError[12a]");
    row("single digit", "7", "Integer[7]");
    row("float nulls", "0n 0w", "Float[0n] Operator[ ] Float[0w]");
    row("int nulls", "0N 0W", "Integer[0N] Operator[ ] Integer[0W]");
    row("file prefix", "0:x", "Operator[0:] Identifier[x]");
    row("binary prefix", "1:`a", "Operator[1:] Symbol[`a]");
    row("dynamic load prefix", "2:f", "Operator[2:] Identifier[f]");
}

void TestTokenizer::tokens()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(describe(text), expected);
}

void TestTokenizer::structure_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    auto row = [](const char* name, const char* text, const char* expected) {
        QTest::newRow(name) << QString::fromUtf8(text) << QString::fromUtf8(expected);
    };
    row("escaped quote in string", "x:\"a\\\"b\"", "Identifier[x] Operator[:] String[\"a\\\"b\"]");
    row("string ending in two backslashes", "x:\"ab\\\\\" c", "Identifier[x] Operator[:] String[\"ab\\\\\"] "
                                                            "Operator[ ] Identifier[c]");
    row("string over lines", "\"a\nb\" c", "String[\"a] | String[b\"] Operator[ ] Identifier[c]");
    row("unterminated string", "x:\"abc\ny", "Identifier[x] Operator[:] String[\"abc] | String[y]");
    row("line comment", "a:1 / note", "Identifier[a] Operator[:] Integer[1] Comment[/ note]");
    row("tab comment", "a\t/c", "Identifier[a] Comment[/c]");
    row("slash in code", "a:b/c", "Identifier[a] Operator[:] Identifier[b] Operator[/] Identifier[c]");
    row("over adverb", "+/ x", "Operator[+/ ] Identifier[x]");
    row("comment hides quote", "a / \"x\nb", "Identifier[a] Comment[/ \"x] | Identifier[b]");
    row("comment line", "/x \"q\nb", "Comment[/x \"q] | Identifier[b]");
    row("comment after string", "\"a\" / c", "String[\"a\"] Comment[/ c]");
    row("block comment", "/\n\"q\\\n\\\nx", "Comment[/] | Comment[\"q\\] | Comment[\\] | Identifier[x]");
    row("unclosed block comment", "a\n/\nb", "Identifier[a] | Comment[/] | Comment[b]");
    row("tail comment", "a\n\\\nb:\"x", "Identifier[a] | Comment[\\] | Comment[b:\"x]");
    row("command", "\\l file.q", "Command[\\l file.q]");
    row("command after blank", " \\l file.q", "Operator[ \\] Identifier[l] Operator[ ] Identifier[file.q]");
    row("command then string", "\\cd \"x\"", "Command[\\cd ] String[\"x\"]");
    row("blank line", "a\n   \nb", "Identifier[a] | | Identifier[b]");
    row("slash with blank after", "/ \nb", "Comment[/ ] | Identifier[b]");
    row("string then slash", "\"a\"/b", "String[\"a\"] Operator[/] Identifier[b]");
}

void TestTokenizer::structure()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(describe(text), expected);
}

void TestTokenizer::longTokens()
{
    // Tokens that split again and again, long enough to exhaust the stack of a recursive classifier.
    const int n = 400000;
    const QList<int> colons = elementsOf(QString(n, u':'));
    QCOMPARE(colons.count(int(E::Operator)), n);
    const QList<int> prefixes = elementsOf(QStringLiteral("0:").repeated(n / 2) + u'1');
    QCOMPARE(prefixes.count(int(E::Operator)), n);
    QCOMPARE(prefixes.last(), int(E::Integer));
    const QList<int> names = elementsOf(QStringLiteral("a:").repeated(n / 2));
    QCOMPARE(names.count(int(E::Identifier)), n / 2);
    QCOMPARE(names.count(int(E::Operator)), n / 2);
    const QList<int> underscores = elementsOf(QStringLiteral("1_").repeated(n / 2));
    QCOMPARE(underscores.count(int(E::Integer)), n / 2);
}

void TestTokenizer::knownNamesAndKeywords()
{
    QCOMPARE(QKeywords::list().count(u','), 178); // 177 words
    QVERIFY(QKeywords::contains(u"aj0"));
    QVERIFY(!QKeywords::contains(u"Select"));
    const QSet<QString> known{QStringLiteral(".trd.gen"), QStringLiteral("select")};
    QCOMPARE(describe(QStringLiteral("select .trd.gen .trd.x"), &known),
             QStringLiteral("Keyword[select] Operator[ ] Recognizedglobal[.trd.gen] Operator[ ] Identifier[.trd.x]"));
}

void TestTokenizer::requestedRangeOnly()
{
    const QString text = QStringLiteral("a:1\nb:\"s\"\nc:3");
    const QList<int> whole = elementsOf(text);
    // Second line only: it is coloured as in the whole run, the other lines not at all.
    const QList<int> part = elementsOf(text, nullptr, 4, 8);
    for (int i = 0; i < text.size(); ++i)
        QCOMPARE(part[i], i >= 4 && i <= 8 ? whole[i] : -1);
    // A range that starts inside a string still knows it is one.
    QCOMPARE(elementsOf(text, nullptr, 7, 7)[7], int(E::String));
    // A range inside a token colours the whole token.
    const QList<int> inToken = elementsOf(QStringLiteral("select x"), nullptr, 2, 2);
    QCOMPARE(inToken, (QList<int>{E::Keyword, E::Keyword, E::Keyword, E::Keyword, E::Keyword, E::Keyword, -1, -1}));
}

void TestTokenizer::applyAndBold()
{
    CDialogFontsColors scheme;
    scheme.setColor(E::Keyword, 0x123456);
    RecordingTarget target;
    target.content = QStringLiteral("select x");
    {
        CSyntaxHighlighting hl(&target, scheme);
        hl.colour();
        QCOMPARE(hl.regions().size(), 3);
        // The destructor applies what is left.
    }
    QCOMPARE(target.calls, (QStringList{QStringLiteral("text 0-5 123456 1"), QStringLiteral("text 6-6 000000 0"),
                                        QStringLiteral("text 7-7 00a0b4 0")}));
    scheme.setKeywordsAreBold(false);
    target.calls.clear();
    CSyntaxHighlighting hl(&target, scheme);
    hl.colour(0, 0);
    hl.apply();
    QVERIFY(hl.regions().isEmpty());
    QCOMPARE(target.calls, QStringList{QStringLiteral("text 0-5 123456 0")}); // the whole token
}

void TestTokenizer::markOccurrences_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("word");
    QTest::addColumn<bool>("caseSensitive");
    QTest::addColumn<bool>("wholeWord");
    QTest::addColumn<QList<int>>("expected");
    QTest::newRow("substring") << "x:max x" << "x" << true << false << QList<int>{0, 4, 6};
    QTest::newRow("whole word") << "x:max x" << "x" << true << true << QList<int>{0, 6};
    QTest::newRow("symbol and call") << "f[`f;f]" << "f" << true << true << QList<int>{0, 3, 5};
    QTest::newRow("case-insensitive") << "Abc abc" << "ABC" << false << false << QList<int>{0, 4};
    QTest::newRow("case-sensitive") << "Abc abc" << "abc" << true << false << QList<int>{4};
}

void TestTokenizer::markOccurrences()
{
    QFETCH(QString, text);
    QFETCH(QString, word);
    QFETCH(bool, caseSensitive);
    QFETCH(bool, wholeWord);
    QFETCH(QList<int>, expected);
    QCOMPARE(CSyntaxHighlighting::findOccurrences(text, word, caseSensitive, wholeWord), expected);

    CDialogFontsColors scheme;
    RecordingTarget target;
    target.content = text;
    CSyntaxHighlighting hl(&target, scheme);
    // Only occurrences overlapping the range are painted; the first of them is returned.
    const int first = hl.markOccurrences(word, 0xABCDEF, 1, -1, caseSensitive, wholeWord);
    QStringList painted;
    int firstExpected = -1;
    for (int pos : expected) {
        if (pos + word.size() - 1 < 1)
            continue;
        if (firstExpected < 0)
            firstExpected = pos;
        painted << QStringLiteral("bg %1-%2 abcdef 0").arg(pos).arg(pos + word.size() - 1);
    }
    QCOMPARE(target.calls, painted);
    QCOMPARE(first, firstExpected);
}

void TestTokenizer::utf8AgreesWithUtf16()
{
    const QString text = readScript(QStringLiteral("feed.q"));
    QVERIFY(!text.isEmpty());
    const QList<int> wide = elementsOf(text);
    const QByteArray bytes = text.toUtf8();
    // Colour the bytes line by line and map every character's first byte back.
    QList<int> narrow;
    ScanState state = ScanState::Code;
    QList<int> byteEl(bytes.size(), -1);
    int start = 0;
    while (start <= bytes.size()) {
        int end = int(bytes.indexOf('\n', start));
        if (end < 0)
            end = int(bytes.size());
        state = LineColourer<char>::colourLine(bytes.constData() + start, end - start, state, nullptr,
                                               [&](int a, int len, int el) {
                                                   for (int i = start + a; i < start + a + len; ++i)
                                                       byteEl[i] = el;
                                               });
        start = end + 1;
    }
    for (int i = 0; i < bytes.size(); ++i)
        if ((uchar(bytes[i]) & 0xC0) != 0x80)
            narrow << byteEl[i];
    QCOMPARE(narrow.size(), text.size());
    QCOMPARE(narrow, wide);
}

void TestTokenizer::incrementalMatchesWhole_data()
{
    QTest::addColumn<QString>("script");
    QTest::newRow("trades") << "trades.q";
    QTest::newRow("feed") << "feed.q";
    QTest::newRow("utils") << "utils.q";
}

void TestTokenizer::incrementalMatchesWhole()
{
    QFETCH(QString, script);
    const QString original = readScript(script);
    QVERIFY(!original.isEmpty());
    // Pieces that open and close strings and comments as well as ordinary text.
    const QStringList pieces{QStringLiteral("\""), QStringLiteral("/"), QStringLiteral("\\"), QStringLiteral("\n"),
                             QStringLiteral("\n/\n"), QStringLiteral("\n\\\n"), QStringLiteral(" /"),
                             QStringLiteral("x"), QStringLiteral("`a"), QStringLiteral("12:30u"),
                             QStringLiteral("\\\""), QStringLiteral("select"), QStringLiteral("\t"),
                             QStringLiteral("\"s\"\n")};
    QRandomGenerator rng(20240229u + quint32(qHash(script)));
    IncrementalDoc doc;
    doc.load(original);
    QCOMPARE(doc.styles, elementsOf(doc.text));
    for (int step = 0; step < 400; ++step) {
        const int pos = int(rng.bounded(quint32(doc.text.size() + 1)));
        const int removed = rng.bounded(3) == 0 ? int(rng.bounded(quint32(std::min<qsizetype>(40, doc.text.size() - pos) + 1))) : 0;
        const QString inserted = rng.bounded(4) == 0 ? QString() : pieces[int(rng.bounded(quint32(pieces.size())))];
        doc.edit(pos, removed, inserted);
        // Several edits between colouring runs, as while typing quickly.
        if (rng.bounded(3) != 0)
            continue;
        doc.recolour();
        if (QTest::currentTestFailed())
            return;
        const QList<int> whole = elementsOf(doc.text);
        if (doc.styles != whole) {
            int at = 0;
            while (doc.styles[at] == whole[at])
                ++at;
            QFAIL(qPrintable(QStringLiteral("step %1: differs at %2 near \"%3\"")
                                 .arg(step).arg(at).arg(doc.text.mid(std::max(0, at - 20), 40))));
        }
    }
}

void TestTokenizer::typingStaysLocal()
{
    IncrementalDoc doc;
    doc.load(readScript(QStringLiteral("trades.q")));
    const int lines = doc.states.lineCount();
    QVERIFY(lines > 40);
    const int pos = int(doc.text.indexOf(QStringLiteral("vwap:{")));
    const int line = int(doc.text.left(pos).count(u'\n'));
    int coloured = 0;
    auto recolourCount = [&] {
        const QList<int> starts = doc.lineStarts();
        const char16_t* s = reinterpret_cast<const char16_t*>(doc.text.utf16());
        coloured = 0;
        return doc.states.recolour([&](int l, ScanState in) {
            ++coloured;
            const int a = starts[l];
            const int b = l + 1 < starts.size() ? starts[l + 1] - 1 : int(doc.text.size());
            return LineColourer<char16_t>::colourLine(s + a, b - a, in, nullptr, [](int, int, int) {});
        });
    };
    // An ordinary character re-colours its own line only.
    doc.edit(pos, 0, QStringLiteral("x"));
    CLineStates::Range r = recolourCount();
    QCOMPARE(r.first, line);
    QCOMPARE(r.last, line);
    QCOMPARE(coloured, 1);
    // A double quote re-colours from its line to where the strings pair up again.
    doc.edit(pos, 0, QStringLiteral("\""));
    r = recolourCount();
    QCOMPARE(r.first, line);
    QVERIFY(r.last > line + 5);
}

void TestTokenizer::html()
{
    CDialogFontsColors scheme;
    const QString html = highlightHtml(QStringLiteral("x:\"<a>\" / c"), scheme);
    QVERIFY(html.startsWith(QStringLiteral("<pre style=\"background-color:#ffffff;color:#000000\">")));
    QVERIFY(html.contains(QStringLiteral("<span class=\"identifier\" style=\"color:#b4a000\">x</span>")));
    QVERIFY(html.contains(QStringLiteral("<span class=\"string\" style=\"color:#14c800\">&quot;&lt;a&gt;&quot;</span>")));
    QVERIFY(html.contains(QStringLiteral("<span class=\"comment\" style=\"color:#808080\">/ c</span>")));
}

QTEST_GUILESS_MAIN(TestTokenizer)
#include "tst_tokenizer.moc"
