// The text rules of the source view's commands.
#include "editor/EditorText.h"

#include <QtTest>

class TestEditorText : public QObject {
    Q_OBJECT
private slots:
    void executeLine_data();
    void executeLine();
    void executeSelection();
    void indentBlock();
    void unindentAtCaret();
    void wordAndIdentifier_data();
    void wordAndIdentifier();
    void brackets_data();
    void brackets();
    void copyForms();
};

void TestEditorText::executeLine_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QString>("sent");
    QTest::newRow("second line") << "a:1\nb:2" << 5 << "b:2";
    QTest::newRow("caret at line end") << "a:1\nb:2" << 3 << "a:1";
    QTest::newRow("blanks trimmed") << "  x+1  \ny" << 0 << "x+1";
    QTest::newRow("only blanks") << "a\n   \nb" << 3 << "";
    QTest::newRow("vertical tab") << QString("a\x0b" "b") << 0 << "a b";
    QTest::newRow("single line") << "til 3" << 2 << "til 3";
}

void TestEditorText::executeLine()
{
    QFETCH(QString, text);
    QFETCH(int, caret);
    QFETCH(QString, sent);
    QCOMPARE(EditorText::executeLine(text, caret), sent);
}

void TestEditorText::executeSelection()
{
    bool nothing = false;
    QCOMPARE(EditorText::executeSelection(QStringLiteral(" a:1\r\nb:2\n"), QString(), false, &nothing),
             QStringLiteral("a:1\nb:2"));
    QVERIFY(!nothing);
    QCOMPARE(EditorText::executeSelection(QString(), QStringLiteral("x\ry"), true, &nothing), QStringLiteral("x\ny"));
    QVERIFY(!nothing);
    QCOMPARE(EditorText::executeSelection(QString(), QStringLiteral("x"), false, &nothing), QString());
    QVERIFY(nothing);
}

void TestEditorText::indentBlock()
{
    QCOMPARE(EditorText::indentBlock(QStringLiteral("a\n b\n"), 4, false), QStringLiteral("    a\n     b\n    "));
    QCOMPARE(EditorText::indentBlock(QStringLiteral("      a\n  b\nc\n\tx"), 4, true),
             QStringLiteral("  a\nb\nc\n\tx"));
}

void TestEditorText::unindentAtCaret()
{
    QCOMPARE(EditorText::unindentAtCaret(QStringLiteral("x\n      y"), 8, 4), 4);
    QCOMPARE(EditorText::unindentAtCaret(QStringLiteral("x\n  y"), 4, 4), 2);
    QCOMPARE(EditorText::unindentAtCaret(QStringLiteral("x\n  y  "), 7, 4), 0);
}

void TestEditorText::wordAndIdentifier_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("pos");
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("identifier");
    QTest::newRow("name in call") << "f[.trd.gen;1]" << 4 << ".trd.gen" << ".trd.gen";
    QTest::newRow("symbol") << "x:`abc" << 4 << "abc" << "abc";
    QTest::newRow("leading digits") << "12abc+1" << 1 << "12abc" << "abc";
    QTest::newRow("underscores") << "__x" << 0 << "__x" << "x";
    QTest::newRow("dot digit") << ".5x" << 1 << ".5x" << "x";
    QTest::newRow("dot underscore then name") << "._1.a" << 2 << "._1.a" << ".a";
    QTest::newRow("nothing") << "a + b" << 2 << "" << "";
}

void TestEditorText::wordAndIdentifier()
{
    QFETCH(QString, text);
    QFETCH(int, pos);
    QFETCH(QString, word);
    QFETCH(QString, identifier);
    QCOMPARE(EditorText::wordAt(text, pos), word);
    QCOMPARE(EditorText::identifierOf(word), identifier);
}

void TestEditorText::brackets_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("caret");
    QTest::addColumn<int>("bracket");
    QTest::addColumn<int>("partner");
    QTest::newRow("after last paren") << QByteArray("(a[1])") << 6 << 5 << 0;
    QTest::newRow("before square") << QByteArray("(a[1])") << 2 << 2 << 4;
    QTest::newRow("other kinds ignored") << QByteArray("{[}]") << 0 << 0 << 2;
    QTest::newRow("unmatched") << QByteArray("((a)") << 0 << -1 << -1;
    QTest::newRow("none near") << QByteArray("a+b") << 1 << -1 << -1;
}

void TestEditorText::brackets()
{
    QFETCH(QByteArray, text);
    QFETCH(int, caret);
    QFETCH(int, bracket);
    QFETCH(int, partner);
    const int at = EditorText::bracketNearCaret(text, caret);
    QCOMPARE(at, bracket);
    if (at >= 0)
        QCOMPARE(EditorText::matchingBracket(text, at), partner);
}

void TestEditorText::copyForms()
{
    QCOMPARE(EditorText::copyAsString(QStringLiteral(" a\"b\\c \n")), QStringLiteral("\"a\\\"b\\\\c\""));
    QCOMPARE(EditorText::copyAsUrl(QStringLiteral("til 3\n"), QStringLiteral("`:myhost:5001")),
             QStringLiteral("http://myhost:5001?til%203"));
    QCOMPARE(EditorText::copyAsUrl(QStringLiteral("a=b%|"), QStringLiteral("`:h:5001:user:pw")),
             QStringLiteral("http://h:5001?a%3Db%25%7C"));
    QCOMPARE(EditorText::copyAsUrl(QStringLiteral("x"), QStringLiteral("`:h")), QStringLiteral("http://h?x"));
}

QTEST_GUILESS_MAIN(TestEditorText)
#include "tst_editortext.moc"
