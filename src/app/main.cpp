#include "app/AppIcon.h"
#include "app/CMainFrame.h"
#include "app/CMessageBoxPrompter.h"
#include "app/CTovoApp.h"

#include <QApplication>
#include <QElapsedTimer>
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

    // For start-up measurements: report when the shown window first goes idle, then quit.
    if (qEnvironmentVariableIsSet("TOVO_QUIT_WHEN_IDLE")) {
        QTimer::singleShot(0, &application, [&] {
            std::fprintf(stderr, "idle after %lld ms in main\n", static_cast<long long>(sinceStart.elapsed()));
            QApplication::quit();
        });
    }
    return QApplication::exec();
}
