#include "app/CMessageBoxPrompter.h"
#include "app/CTovoApp.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Velmar"));
    QApplication::setApplicationName(QStringLiteral("Tovo"));

    CMessageBoxPrompter prompter;
    CTovoApp app(CommandLine::fromArguments(QApplication::arguments()), prompter);
    if (!app.initInstance())
        return 1;
    QObject::connect(&application, &QApplication::aboutToQuit, &app, &CTovoApp::exitInstance);
    return QApplication::exec();
}
