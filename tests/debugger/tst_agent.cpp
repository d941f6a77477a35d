// The debugger agent script: the resource is the source file byte for byte,
// it reads cleanly under Tovo's own q colouring, it keeps the shape a single
// query needs, it defines every name the debugger window uses and every
// .z.deb name it refers to, and tovo-cli prints it unchanged.
#include "core/colors/CDialogFontsColors.h"
#include "debugger/DebugAgent.h"
#include "editor/CSyntaxHighlighting.h"
#include "editor/CTovoDoc.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QtTest>

namespace {

QByteArray sourceFile()
{
    QFile f(QStringLiteral(TOVO_AGENT_SOURCE));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The agent text with strings and comments blanked out (same length), as
// the q colouring sees them.
struct Scan {
    QString text;            // as the colouring reads it (CR line ends)
    QString code;            // strings and comments replaced by blanks
    QList<CHiRegion> errors; // Parse Error regions
    QList<CHiRegion> strings;
};

Scan scan()
{
    Scan s;
    s.text = CTovoDoc::decodeFile(DebugAgent::script());
    s.text.replace(QStringLiteral("\r\n"), QStringLiteral("\r")).replace(u'\n', u'\r');
    const CDialogFontsColors scheme;
    CSyntaxHighlighting hl(nullptr, scheme);
    hl.colourText(s.text);
    s.code = s.text;
    for (const CHiRegion& r : hl.regions()) {
        if (r.element == CDialogFontsColors::ParseError)
            s.errors << r;
        if (r.element == CDialogFontsColors::String)
            s.strings << r;
        if (r.element == CDialogFontsColors::String || r.element == CDialogFontsColors::Comment)
            for (int i = r.start; i <= r.end && i < s.code.size(); ++i)
                if (s.code[i] != u'\r')
                    s.code[i] = u' ';
    }
    return s;
}

int lineOf(const QString& text, int pos)
{
    return int(text.left(pos).count(u'\r')) + 1;
}

QStringList lines()
{
    return QString::fromUtf8(DebugAgent::script()).split(u'\n');
}

} // namespace

class TestAgent : public QObject {
    Q_OBJECT
private slots:
    void resourceIsTheSource();
    void colouringFindsNoParseError();
    void stringsCloseAndBracketsBalance();
    void everyLineBelongsToOneQuery();
    void definesWhatTheWindowUses_data();
    void definesWhatTheWindowUses();
    void definesEveryNameItRefersTo();
    void cliPrintsTheScriptUnchanged();
};

void TestAgent::resourceIsTheSource()
{
    const QByteArray script = DebugAgent::script();
    QVERIFY(script.size() > 10000);
    QCOMPARE(script, sourceFile());
}

void TestAgent::colouringFindsNoParseError()
{
    const Scan s = scan();
    QStringList where;
    for (const CHiRegion& r : s.errors)
        where << QStringLiteral("line %1: %2").arg(lineOf(s.text, r.start)).arg(s.text.mid(r.start, r.end - r.start + 1));
    QVERIFY2(where.isEmpty(), qPrintable(where.join(u'\n')));
}

void TestAgent::stringsCloseAndBracketsBalance()
{
    const Scan s = scan();
    QVERIFY(!s.strings.isEmpty());
    for (const CHiRegion& r : s.strings) {
        QVERIFY2(r.end > r.start && s.text[r.end] == u'"' && !s.text.mid(r.start, r.end - r.start).contains(u'\r'),
                 qPrintable(QStringLiteral("string at line %1 does not close on its line").arg(lineOf(s.text, r.start))));
    }
    // Every bracket outside strings and comments closes, in order.
    const QString open = QStringLiteral("([{"), close = QStringLiteral(")]}");
    QList<int> stack;
    for (int i = 0; i < s.code.size(); ++i) {
        const QChar c = s.code[i];
        if (open.contains(c)) {
            stack << i;
        } else if (close.contains(c)) {
            QVERIFY2(!stack.isEmpty(), qPrintable(QStringLiteral("unopened %1 at line %2").arg(c).arg(lineOf(s.text, i))));
            const int o = stack.takeLast();
            QVERIFY2(open.indexOf(s.code[o]) == close.indexOf(c),
                     qPrintable(QStringLiteral("%1 at line %2 closed by %3 at line %4")
                                    .arg(s.code[o]).arg(lineOf(s.text, o)).arg(c).arg(lineOf(s.text, i))));
        }
    }
    QVERIFY2(stack.isEmpty(), qPrintable(QStringLiteral("unclosed bracket at line %1").arg(stack.isEmpty() ? 0 : lineOf(s.text, stack.last()))));
}

void TestAgent::everyLineBelongsToOneQuery()
{
    // Sent as one query, a line that continues a definition starts with a
    // blank; every other line is empty, a comment or a .z.deb assignment,
    // and no definition is still open when the next one starts.
    const QStringList all = lines();
    int depth = 0;
    for (int i = 0; i < all.size(); ++i) {
        const QString& line = all[i];
        const bool top = line.startsWith(QStringLiteral(".z.deb."));
        QVERIFY2(line.isEmpty() || line.startsWith(u'/') || top || line.startsWith(u' '),
                 qPrintable(QStringLiteral("line %1: %2").arg(i + 1).arg(line)));
        if (top)
            QVERIFY2(depth == 0, qPrintable(QStringLiteral("line %1 starts inside an open definition").arg(i + 1)));
        if (!line.startsWith(u'/'))
            depth += int(line.count(u'{')) - int(line.count(u'}'));
    }
    QCOMPARE(depth, 0);
    QVERIFY(!QString::fromUtf8(DebugAgent::script()).contains(u'\t'));
}

void TestAgent::definesWhatTheWindowUses_data()
{
    QTest::addColumn<QString>("name");
    // Entry points, then the globals the window's state query reads.
    for (const char* n : {"i", "r", "cont", "s", "l", "next", "ef", "ba", "bd", "bs", "bc", "rfn", "pf", "f", "pl", "ps",
                          "psn", "st", "sti", "c", "n", "a", "bps", "e", "timeout", "na", "state", "stprev", "bpsf",
                          "stTime", "noadv", "pc", "O", "exstr", "fmap", "adv", "unary", "u", "binary", "b", "exec1",
                          "apply", "excp", "each", "over", "eachp", "eachr"})
        QTest::newRow(n) << QString::fromLatin1(n);
}

void TestAgent::definesWhatTheWindowUses()
{
    QFETCH(QString, name);
    const QRegularExpression def(QStringLiteral("(^|[;\\s\\[])\\.z\\.deb\\.%1:").arg(QRegularExpression::escape(name)),
                                 QRegularExpression::MultilineOption);
    QVERIFY2(def.match(scan().code).hasMatch(), qPrintable(QStringLiteral(".z.deb.%1 is never assigned").arg(name)));
}

void TestAgent::definesEveryNameItRefersTo()
{
    const QString code = scan().code;
    QSet<QString> assigned, used;
    static const QRegularExpression name(QStringLiteral("\\.z\\.deb\\.([A-Za-z][A-Za-z0-9]*)(\\[[^\\]]*\\])?\\s*([-+,]?:)?"));
    for (auto it = name.globalMatch(code); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        used << m.captured(1);
        if (!m.captured(3).isEmpty() && m.captured(3) != QStringLiteral("::"))
            assigned << m.captured(1);
    }
    QStringList missing;
    for (const QString& n : used)
        if (!assigned.contains(n))
            missing << n;
    missing.sort();
    QVERIFY2(missing.isEmpty(), qPrintable(QStringLiteral("used but never assigned: ") + missing.join(u' ')));
}

void TestAgent::cliPrintsTheScriptUnchanged()
{
#ifdef TOVO_CLI
    QProcess p;
    p.start(QStringLiteral(TOVO_CLI), {QStringLiteral("agent")});
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), 0);
    QCOMPARE(p.readAllStandardOutput(), sourceFile());

    p.start(QStringLiteral(TOVO_CLI), {QStringLiteral("agent"), QStringLiteral("extra")});
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), 2);
    QVERIFY(p.readAllStandardError().startsWith("usage: tovo-cli agent"));
#else
    QSKIP("tovo-cli is not part of this build");
#endif
}

QTEST_GUILESS_MAIN(TestAgent)
#include "tst_agent.moc"
