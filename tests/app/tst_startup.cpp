#include "ScriptedPrompter.h"
#include "TempHome.h"
#include "app/CMainFrame.h"
#include "app/CTovoApp.h"

#include <QTest>

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void firstStartUpgradesOnce();
    void homeFolder();
    void geometryIsRemembered();
};

void TestStartup::firstStartUpgradesOnce()
{
    TempHome home;
    ScriptedPrompter prompter;
    {
        CTovoApp app(CommandLine(), prompter, home.store());
        QVERIFY(app.initInstance());
        QVERIFY(app.mainFrame()->isVisible());
        QCOMPARE(app.store().version(), 119);
        QCOMPARE(app.store().readInt(QStringLiteral("ConnectTimeoutSec"), -1), 10);
        app.store().writeInt(QStringLiteral("ConnectTimeoutSec"), 0);
        app.exitInstance();
    }
    CTovoApp again(CommandLine(), prompter, home.store());
    QVERIFY(again.initInstance());
    QCOMPARE(again.store().readInt(QStringLiteral("ConnectTimeoutSec"), -1), 0);
}

void TestStartup::homeFolder()
{
    TempHome home;
    ScriptedPrompter prompter;
    CTovoApp app(CommandLine(QStringLiteral("--homedir:") + home.path()), prompter, home.store());
    QVERIFY(app.initInstance());
    QCOMPARE(app.GetHomeFilePath(QStringLiteral("Servers.cfg")), home.path() + QStringLiteral("/Servers.cfg"));

    CTovoApp plain(CommandLine(), prompter, home.store());
    QVERIFY(plain.initInstance());
    QVERIFY(!plain.home().path().isEmpty());
}

void TestStartup::geometryIsRemembered()
{
    TempHome home;
    ScriptedPrompter prompter;
    QSize size;
    {
        CTovoApp app(CommandLine(QStringLiteral("--profile:geo")), prompter, home.store(QStringLiteral("geo")));
        QVERIFY(app.initInstance());
        app.mainFrame()->resize(777, 555);
        size = app.mainFrame()->size();
        app.mainFrame()->close();
        app.exitInstance();
    }
    CTovoApp app(CommandLine(QStringLiteral("--profile:geo")), prompter, home.store(QStringLiteral("geo")));
    QVERIFY(app.initInstance());
    QCOMPARE(app.mainFrame()->size(), size);
    // Another profile keeps its own layout.
    CTovoApp other(CommandLine(), prompter, home.store());
    QVERIFY(other.initInstance());
    QVERIFY(other.mainFrame()->size() != size);
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
