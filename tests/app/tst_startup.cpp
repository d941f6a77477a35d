#include "ScriptedPrompter.h"
#include "TempHome.h"
#include "app/CMainFrame.h"
#include "app/CFrameStatusBar.h"
#include "app/CTovoApp.h"
#include "app/CChildFrame.h"
#include "app/CDocumentArea.h"

#include <QFile>

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void firstStartUpgradesOnce();
    void homeFolder();
    void geometryIsRemembered();
    void documentsAreReopened();
    void commandLineFiles();
    void missingHomeFolder();
    void hugeGeometryIsClamped();
    void fifoAmongDocumentsIsSkipped();
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

void TestStartup::missingHomeFolder()
{
    TempHome home;
    ScriptedPrompter prompter; // no question, no message: nothing is planned
    const QString made = home.filePath(QStringLiteral("new/home"));
    {
        CTovoApp app(CommandLine(QStringLiteral("--homedir:") + made), prompter, home.store());
        QVERIFY(app.initInstance());
        QVERIFY(QFileInfo(made).isDir());
        QCOMPARE(QFile::permissions(made) & (QFileDevice::ReadOther | QFileDevice::ReadGroup), QFileDevice::Permissions());
        QVERIFY(app.mainFrame()->frameStatusBar()->paneText(CFrameStatusBar::Message).isEmpty());
    }
    // A home folder that cannot be made (under a regular file): said once in the status bar.
    QFile blocker(home.filePath(QStringLiteral("file")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString impossible = home.filePath(QStringLiteral("file/home"));
    CTovoApp app(CommandLine(QStringLiteral("--homedir:") + impossible), prompter, home.store());
    QVERIFY(app.initInstance());
    const QString status = app.mainFrame()->frameStatusBar()->paneText(CFrameStatusBar::Message);
    QVERIFY2(status.startsWith(QStringLiteral("Home folder ") + QDir::toNativeSeparators(impossible)
                               + QStringLiteral(" is not available")),
             qPrintable(status));
    QCOMPARE(prompter.asked().size(), 0);
}

void TestStartup::hugeGeometryIsClamped()
{
    TempHome home;
    ScriptedPrompter prompter;
    {
        CTovoApp app(CommandLine(), prompter, home.store());
        QVERIFY(app.initInstance());
        app.mainFrame()->setGeometry(30000, 30000, 32767, 32767);
        app.mainFrame()->close();
        app.exitInstance();
    }
    CTovoApp app(CommandLine(), prompter, home.store());
    QVERIFY(app.initInstance());
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect frame = app.mainFrame()->geometry();
    // On the screen, and no larger than it unless the window cannot be smaller
    // (the test platform's screen is smaller than the window's minimum).
    const QSize minimum = app.mainFrame()->minimumSizeHint().expandedTo(app.mainFrame()->minimumSize());
    const QString where = QStringLiteral("%1,%2 %3x%4").arg(frame.x()).arg(frame.y()).arg(frame.width()).arg(frame.height());
    QVERIFY2(screen.contains(frame.topLeft()), qPrintable(where));
    QVERIFY2(frame.width() <= qMax(screen.width(), minimum.width()), qPrintable(where));
    QVERIFY2(frame.height() <= qMax(screen.height(), minimum.height()), qPrintable(where));
}

void TestStartup::fifoAmongDocumentsIsSkipped()
{
#ifdef Q_OS_WIN
    QSKIP("FIFOs are POSIX");
#else
    TempHome home;
    ScriptedPrompter prompter;
    const QString a = writeFile(home, QStringLiteral("a.q"), "a:1");
    const QString b = writeFile(home, QStringLiteral("b.q"), "b:2");
    {
        CTovoApp app(CommandLine(), prompter, home.store());
        QVERIFY(app.initInstance());
        QVERIFY(app.mainFrame()->openDocument(a));
        QVERIFY(app.mainFrame()->openDocument(b));
        app.exitInstance();
    }
    // b.q is now a FIFO: opening it would wait for a writer for ever.
    QVERIFY(QFile::remove(b));
    QCOMPARE(::mkfifo(QFile::encodeName(b).constData(), 0600), 0);
    CTovoApp app(CommandLine(), prompter, home.store());
    QVERIFY(app.initInstance());
    const QList<CChildFrame*> docs = app.mainFrame()->documentArea()->documents();
    QCOMPARE(docs.size(), 1);
    QCOMPARE(docs.first()->title(), QStringLiteral("a.q"));
    // Opened by name it is refused with the usual message, without blocking.
    prompter.expectInform(QStringLiteral("Failed to open document."), Prompter::Icon::Warning);
    QVERIFY(!app.mainFrame()->openDocument(b));
    QCOMPARE(prompter.pending(), 0);
#endif
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
