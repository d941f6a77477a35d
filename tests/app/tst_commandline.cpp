#include "app/CommandLine.h"

#include <QTest>

class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
    void options_data();
    void options();
    void files();
};

void TestCommandLine::options_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("profile");
    QTest::addColumn<QString>("homedir");
    QTest::addColumn<QString>("server");
    QTest::addColumn<bool>("async");
    QTest::addColumn<bool>("dummy");

    QTest::newRow("none") << "" << "" << "" << "" << false << false;
    QTest::newRow("profile") << "--profile:test" << "test" << "" << "" << false << false;
    QTest::newRow("all, any order") << "--async --server:myhost:5001 --homedir:/h --profile:p"
                                    << "p" << "/h" << "myhost:5001" << true << false;
    QTest::newRow("quoted value") << "--profile:\"prod\"" << "prod" << "" << "" << false << false;
    QTest::newRow("quoted value cut at blank") << "--homedir:\"C:\\My Files\"" << "" << "C:\\My" << "" << false
                                               << false;
    QTest::newRow("single dash") << "-profile:x" << "" << "" << "" << false << false;
    QTest::newRow("letter case") << "--Profile:x --ASYNC" << "" << "" << "" << false << false;
    QTest::newRow("no blank before") << "x--profile:x" << "" << "" << "" << false << false;
    QTest::newRow("first occurrence wins") << "--profile:a --profile:b" << "a" << "" << "" << false << false;
    QTest::newRow("empty value") << "--profile: --server:" << "" << "" << "" << false << false;
    QTest::newRow("unknown options ignored") << "--frobnicate:1 --server:h:1 --verbose" << "" << "" << "h:1"
                                             << false << false;
    QTest::newRow("async needs blank before") << "x--async" << "" << "" << "" << false << false;
    QTest::newRow("async prefix matches") << "--asyncx" << "" << "" << "" << true << false;
    QTest::newRow("dummyfileview anywhere") << "x--dummyfileview" << "" << "" << "" << false << true;
    QTest::newRow("server with credentials") << "--server:`h:5001:u:p" << "" << "" << "`h:5001:u:p" << false
                                             << false;
}

void TestCommandLine::options()
{
    QFETCH(QString, line);
    QFETCH(QString, profile);
    QFETCH(QString, homedir);
    QFETCH(QString, server);
    QFETCH(bool, async);
    QFETCH(bool, dummy);
    const CommandLine c(line);
    QCOMPARE(c.profile(), profile);
    QCOMPARE(c.homeDir(), homedir);
    QCOMPARE(c.server(), server);
    QCOMPARE(c.async(), async);
    QCOMPARE(c.dummyFileView(), dummy);
}

void TestCommandLine::files()
{
    qputenv("TOVO_CL_HOME", "/tmp/home");
    const CommandLine c = CommandLine::fromArguments(
        {QStringLiteral("tovo"), QStringLiteral("--homedir:%TOVO_CL_HOME%/x"), QStringLiteral("my script.q"),
         QStringLiteral("--async"), QStringLiteral("b.k")});
    QCOMPARE(c.homeDir(), QStringLiteral("/tmp/home/x"));
    QCOMPARE(c.files(), (QStringList{QStringLiteral("my script.q"), QStringLiteral("b.k")}));
    QVERIFY(c.async());
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
