// The test instance's side of the watch query: the query taken apart,
// expressions answered from the script in turn, errors as q's protected
// evaluation returns them, and the script lines.
#include "InstanceScript.h"
#include "InstanceWatches.h"
#include "TestInstance.h"
#include "ValueNotation.h"

#include <QTest>

class TestWatchInstance : public QObject {
    Q_OBJECT
private slots:
    void parseQuery_data();
    void parseQuery();
    void answersInTurn();
    void scriptLines_data();
    void scriptLines();
};

void TestWatchInstance::parseQuery_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QStringList>("expressions");
    QTest::newRow("one") << R"((@[value;"x";`$"!SIGNAL!",];1;0h))" << true << QStringList{"x"};
    QTest::newRow("two") << R"((@[value;"a";`$"!SIGNAL!",];@[value;"b c";`$"!SIGNAL!",];1;0h))" << true
                         << QStringList{"a", "b c"};
    QTest::newRow("escapes") << R"((@[value;"s like \"a*\"";`$"!SIGNAL!",];@[value;"a\\b";`$"!SIGNAL!",];1;0h))"
                             << true << QStringList{R"(s like "a*")", R"(a\b)"};
    QTest::newRow("no tail") << R"((@[value;"x";`$"!SIGNAL!",]))" << false << QStringList{};
    QTest::newRow("no items") << "(1;0h)" << false << QStringList{};
    QTest::newRow("other handler") << R"((@[value;"x";::];1;0h))" << false << QStringList{};
    QTest::newRow("unterminated") << R"((@[value;"x;1;0h))" << false << QStringList{};
    QTest::newRow("a query") << "1+1" << false << QStringList{};
}

void TestWatchInstance::parseQuery()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(QStringList, expressions);
    QStringList got;
    QCOMPARE(InstanceWatches::parseQuery(text, &got), ok);
    QCOMPARE(got, expressions);
}

void TestWatchInstance::answersInTurn()
{
    InstanceWatches watches;
    watches.addValue(QStringLiteral("n"), kj(1));
    watches.addValue(QStringLiteral("n"), kj(2));
    watches.addError(QStringLiteral("bad"), QStringLiteral("type"));
    const QString query = QStringLiteral(R"((@[value;"n";`$"!SIGNAL!",];@[value;"bad";`$"!SIGNAL!",];)"
                                         R"(@[value;"nosuch";`$"!SIGNAL!",];1;0h))");
    for (const char* expected : {R"((1;`!SIGNAL!type;`!SIGNAL!nosuch;1;0h))", R"((2;`!SIGNAL!type;`!SIGNAL!nosuch;1;0h))",
                                 R"((2;`!SIGNAL!type;`!SIGNAL!nosuch;1;0h))"}) {
        const KPtr reply = watches.answer(query);
        QVERIFY(reply);
        QCOMPARE(ValueNotation::format(reply.get()), QString::fromLatin1(expected));
    }
    QVERIFY(!watches.answer(QStringLiteral("1+1")));
}

void TestWatchInstance::scriptLines_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<bool>("ok");
    QTest::newRow("value and error") << "watch-value: x -> 1 2\nwatch-error: y -> type" << true;
    QTest::newRow("arrow in the expression") << "watch-value: {x -> y} -> 1" << true;
    QTest::newRow("no arrow") << "watch-value: x 1" << false;
    QTest::newRow("bad value") << "watch-value: x -> (1;" << false;
    QTest::newRow("unknown kind") << "watch-other: x -> 1" << false;
}

void TestWatchInstance::scriptLines()
{
    QFETCH(QString, script);
    QFETCH(bool, ok);
    TestInstance instance;
    InstanceScript::Settings settings;
    QString error;
    QCOMPARE(InstanceScript::apply(script, instance, settings, &error), ok);
    QCOMPARE(error.isEmpty(), ok);
    QVERIFY(InstanceScript::formatHelp().contains(QStringLiteral("watch-value:")));
}

QTEST_GUILESS_MAIN(TestWatchInstance)
#include "tst_watchinstance.moc"
