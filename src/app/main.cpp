#include "app/CMainFrame.h"
#include "app/CMessageBoxPrompter.h"
#include "app/CTovoApp.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>

int main(int argc, char* argv[])
{
    QElapsedTimer sinceStart;
    sinceStart.start();
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Velmar"));
    QApplication::setApplicationName(QStringLiteral("Tovo"));
    QApplication::setApplicationVersion(QStringLiteral(TOVO_VERSION));

    CMessageBoxPrompter prompter;
    CTovoApp app(CommandLine::fromArguments(QApplication::arguments()), prompter);
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
