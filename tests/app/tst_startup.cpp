#include "ScriptedPrompter.h"
#include "TempHome.h"
#include "app/CMainFrame.h"
#include "app/CTovoApp.h"
#include "app/CChildFrame.h"
#include "app/CDocumentArea.h"

#include <QFile>

#include <QTest>

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void firstStartUpgradesOnce();
    void homeFolder();
    void geometryIsRemembered();
    void documentsAreReopened();
    void commandLineFiles();
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

namespace {
QString writeFile(const TempHome& home, const QString& name, const QByteArray& text)
{
    QFile f(home.filePath(name));
    f.open(QIODevice::WriteOnly);
    f.write(text);
    return f.fileName();
}
} // namespace

void TestStartup::documentsAreReopened()
{
    TempHome home;
    ScriptedPrompter prompter;
    const QString a = writeFile(home, QStringLiteral("a.q"), "a:1");
    const QString b = writeFile(home, QStringLiteral("b.q"), "b:2");
    {
        CTovoApp app(CommandLine(), prompter, home.store());
        QVERIFY(app.initInstance());
        QVERIFY(app.mainFrame()->openDocument(a));
        QVERIFY(app.mainFrame()->openDocument(b));
        QCOMPARE(app.mainFrame()->openDocument(a), app.mainFrame()->documentArea()->documents().at(1));
        app.exitInstance();
    }
    QFile::remove(b);
    prompter.expectInform(QStringLiteral("Failed to open document."), Prompter::Icon::Warning);
    CTovoApp app(CommandLine(), prompter, home.store());
    QVERIFY(app.initInstance());
    const QList<CChildFrame*> docs = app.mainFrame()->documentArea()->documents();
    QCOMPARE(docs.size(), 1); // the file that went away is left out
    QCOMPARE(docs.first()->title(), QStringLiteral("a.q"));
}

void TestStartup::commandLineFiles()
{
    TempHome home;
    ScriptedPrompter prompter;
    const QString a = writeFile(home, QStringLiteral("c.q"), "c:3");
    CTovoApp app(CommandLine::fromArguments({QStringLiteral("tovo"), a}), prompter, home.store());
    QVERIFY(app.initInstance());
    QCOMPARE(app.mainFrame()->activeDocument()->title(), QStringLiteral("c.q"));
    prompter.expectInform(QStringLiteral("Failed to open document."), Prompter::Icon::Warning);
    CTovoApp missing(CommandLine::fromArguments({QStringLiteral("tovo"), home.filePath(QStringLiteral("none.q"))}),
                     prompter, home.store());
    QVERIFY(!missing.initInstance());
    QCOMPARE(prompter.pending(), 0);
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
