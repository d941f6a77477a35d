// Searching and replacing in a plain text with the Find box's options.
#include "editor/TextFinder.h"

#include <QtTest>

namespace {

TextFinder::Options opts(const QString& what, bool wholeWord = false, bool matchCase = false, bool down = true)
{
    TextFinder::Options o;
    o.what = what;
    o.wholeWord = wholeWord;
    o.matchCase = matchCase;
    o.down = down;
    return o;
}

} // namespace

class TestTextFinder : public QObject {
    Q_OBJECT
private slots:
    void find_data();
    void find();
    void replaceAll_data();
    void replaceAll();
    void utf8Length_data();
    void utf8Length();
};

void TestTextFinder::find_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("what");
    QTest::addColumn<bool>("wholeWord");
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<bool>("down");
    QTest::addColumn<int>("selStart");
    QTest::addColumn<int>("selEnd");
    QTest::addColumn<bool>("wrap");
    QTest::addColumn<int>("pos");
    QTest::addColumn<bool>("wrapped");
    const QString aba = QStringLiteral("a b a");
    QTest::newRow("down from the start") << aba << "a" << false << false << true << 0 << 0 << true << 0 << false;
    QTest::newRow("down past the selection") << aba << "a" << false << false << true << 0 << 1 << true << 4 << false;
    QTest::newRow("down wraps to the start") << aba << "a" << false << false << true << 4 << 5 << true << 0 << true;
    QTest::newRow("down without wrap stops") << aba << "a" << false << false << true << 4 << 5 << false << -1 << false;
    QTest::newRow("up before the selection") << aba << "a" << false << false << false << 4 << 5 << true << 0 << false;
    QTest::newRow("up wraps to the end") << aba << "a" << false << false << false << 0 << 1 << true << 4 << true;
    QTest::newRow("up at the start without wrap") << aba << "a" << false << false << false << 0 << 0 << false << -1
                                                  << false;
    QTest::newRow("up from a selected match finds the one before")
        << "ab ab ab" << "ab" << false << false << false << 6 << 8 << false << 3 << false;
    QTest::newRow("case ignored") << "Max max" << "MAX" << false << false << true << 0 << 0 << true << 0 << false;
    QTest::newRow("case matched") << "Max max" << "max" << false << true << true << 0 << 0 << true << 4 << false;
    QTest::newRow("case ignored, Cyrillic") << QStringLiteral("x ПРИВЕТ") << QStringLiteral("привет") << false
                                            << false << true << 0 << 0 << true << 2 << false;
    QTest::newRow("substring inside a word") << "max" << "x" << false << false << true << 0 << 0 << true << 2
                                             << false;
    QTest::newRow("whole word skips inside words") << "max x" << "x" << true << false << true << 0 << 0 << true << 4
                                                   << false;
    QTest::newRow("whole word: underscore is a word character")
        << "a_x x" << "x" << true << false << true << 0 << 0 << true << 4 << false;
    QTest::newRow("whole word: digit is a word character")
        << "x1 x" << "x" << true << false << true << 0 << 0 << true << 3 << false;
    QTest::newRow("whole word up skips inside words")
        << "x max" << "x" << true << false << false << 5 << 5 << true << 0 << false;
    QTest::newRow("whole word at both ends") << "x" << "x" << true << false << true << 0 << 0 << true << 0 << false;
    QTest::newRow("whole word never") << "max" << "x" << true << false << true << 0 << 0 << true << -1 << false;
    QTest::newRow("not found") << aba << "c" << false << false << true << 0 << 0 << true << -1 << false;
    QTest::newRow("nothing to find") << aba << "" << false << false << true << 0 << 0 << true << -1 << false;
    QTest::newRow("longer than the text") << "ab" << "abc" << false << false << false << 2 << 2 << true << -1
                                          << false;
}

void TestTextFinder::find()
{
    QFETCH(QString, text);
    QFETCH(QString, what);
    QFETCH(bool, wholeWord);
    QFETCH(bool, matchCase);
    QFETCH(bool, down);
    QFETCH(int, selStart);
    QFETCH(int, selEnd);
    QFETCH(bool, wrap);
    QFETCH(int, pos);
    QFETCH(bool, wrapped);
    const TextFinder::Hit hit = TextFinder::find(text, selStart, selEnd, opts(what, wholeWord, matchCase, down), wrap);
    QCOMPARE(int(hit.pos), pos);
    QCOMPARE(hit.wrapped, wrapped);
}

void TestTextFinder::replaceAll_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("what");
    QTest::addColumn<QString>("with");
    QTest::addColumn<bool>("wholeWord");
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<QString>("result");
    QTest::addColumn<int>("count");
    QTest::newRow("every occurrence") << "a+a*a" << "a" << "bb" << false << false << "bb+bb*bb" << 3;
    QTest::newRow("replacement holds the text") << "aa" << "a" << "aa" << false << false << "aaaa" << 2;
    QTest::newRow("occurrences do not overlap") << "aaa" << "aa" << "b" << false << false << "ba" << 1;
    QTest::newRow("whole words only") << "x max x" << "x" << "y" << true << false << "y max y" << 2;
    QTest::newRow("case ignored") << "Ab ab" << "ab" << "c" << false << false << "c c" << 2;
    QTest::newRow("case matched") << "Ab ab" << "ab" << "c" << false << true << "Ab c" << 1;
    QTest::newRow("removing") << "a, b, c" << ", " << "" << false << false << "abc" << 2;
    QTest::newRow("none") << "abc" << "x" << "y" << false << false << "abc" << 0;
}

void TestTextFinder::replaceAll()
{
    QFETCH(QString, text);
    QFETCH(QString, what);
    QFETCH(QString, with);
    QFETCH(bool, wholeWord);
    QFETCH(bool, matchCase);
    QFETCH(QString, result);
    QFETCH(int, count);
    TextFinder::Options o = opts(what, wholeWord, matchCase);
    o.with = with;
    int replaced = -1;
    QCOMPARE(TextFinder::replaceAll(text, o, &replaced), result);
    QCOMPARE(replaced, count);
}

void TestTextFinder::utf8Length_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QString();
    QTest::newRow("ASCII") << QStringLiteral("til 10");
    QTest::newRow("two-byte") << QStringLiteral("é-ü");
    QTest::newRow("three-byte") << QStringLiteral("€ привет 中文");
    QTest::newRow("surrogate pair") << QStringLiteral("a\U0001F600b");
}

void TestTextFinder::utf8Length()
{
    QFETCH(QString, text);
    QCOMPARE(TextFinder::utf8Length(text), text.toUtf8().size());
}

QTEST_GUILESS_MAIN(TestTextFinder)
#include "tst_textfinder.moc"
