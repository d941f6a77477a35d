#include "app/AppIcon.h"
#include "app/CMainFrame.h"
#include "app/CMessageBoxPrompter.h"
#include "app/CTovoApp.h"
#include "connect/ProcessMemory.h"

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QEvent>
#include <QTimer>

#include <cstdio>
#include <cstring>

namespace {

const char kUsage[] =
    "usage: tovo [--profile:NAME] [--homedir:PATH] [--server:HOST:PORT] [--async] [--demo] [files...]\n"
    "  --profile:NAME      keep settings and window layout under their own profile\n"
    "  --homedir:PATH      the folder of Servers.cfg, query logs and Tovo's other files\n"
    "  --server:HOST:PORT  connect to that instance at start\n"
    "  --async             enable asynchronous querying\n"
    "  --demo              start the bundled demo instance, connect to it, open demo.q\n"
    "  --help, --version   print this text or the version and exit\n";

// --help and --version are answered before any window system is touched, so
// they work without a display.
bool answeredAlone(int argc, char* argv[], int* exitCode)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            *exitCode = 0;
            return true;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("tovo %s\n", TOVO_VERSION);
            *exitCode = 0;
            return true;
        }
    }
    return false;
}

} // namespace

namespace {

// For start-up measurements: tells on stderr when the main window is first
// painted (wall clock in nanoseconds, and milliseconds since main began),
// then, after a second of idling, the resident memory, and quits.
class FirstPaintReport : public QObject {
public:
    FirstPaintReport(QWidget* window, const QElapsedTimer& sinceMain)
        : QObject(window), m_sinceMain(sinceMain)
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !m_painted) {
            m_painted = true;
            // Posted: runs once this paint (and the flush after it) is done.
            QTimer::singleShot(0, this, [this] {
                std::fprintf(stderr, "painted at %lld ns, %lld ms in main\n",
                             static_cast<long long>(QDateTime::currentMSecsSinceEpoch()) * 1000000LL,
                             static_cast<long long>(m_sinceMain.elapsed()));
                QTimer::singleShot(1000, this, [] {
                    std::fprintf(stderr, "resident %lld bytes\n", static_cast<long long>(ProcessMemory::workingSet()));
                    QApplication::quit();
                });
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    const QElapsedTimer& m_sinceMain;
    bool m_painted = false;
};

} // namespace

int main(int argc, char* argv[])
{
    int exitCode = 0;
    if (answeredAlone(argc, argv, &exitCode))
        return exitCode;
    QElapsedTimer sinceStart;
    sinceStart.start();
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Velmar"));
    QApplication::setApplicationName(QStringLiteral("Tovo"));
    QApplication::setApplicationVersion(QStringLiteral(TOVO_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("com.velmar.Tovo"));
    QApplication::setWindowIcon(AppIcon::icon());

    CMessageBoxPrompter prompter;
    CTovoApp app(CommandLine::fromArguments(QApplication::arguments()), prompter);
    // The package's demo beside the program, or else the build tree's.
    app.setDemoFiles(DemoFiles::locate(QApplication::applicationDirPath(), QStringLiteral(TOVO_BUILD_DEMO_PROGRAM),
                                       QStringLiteral(TOVO_SOURCE_DEMO_DIR)));
    if (!app.initInstance())
        return 1;
    prompter.setParent(app.mainFrame());
    QObject::connect(&application, &QApplication::aboutToQuit, &app, &CTovoApp::exitInstance);

    if (qEnvironmentVariableIsSet("TOVO_REPORT_FIRST_PAINT"))
        new FirstPaintReport(app.mainFrame(), sinceStart);
    // For start-up measurements: report when the shown window first goes idle, then quit.
    if (qEnvironmentVariableIsSet("TOVO_QUIT_WHEN_IDLE")) {
        QTimer::singleShot(0, &application, [&] {
            std::fprintf(stderr, "idle after %lld ms in main\n", static_cast<long long>(sinceStart.elapsed()));
            QApplication::quit();
        });
    }
    return QApplication::exec();
}
