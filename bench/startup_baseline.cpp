// The start-up baseline for bench/startup.sh: the least a Qt Widgets program
// does to put a window on the screen (an application object, a main window
// with a menu bar, an edit box and a status bar, shown), measured the same
// way as tovo under TOVO_REPORT_FIRST_PAINT: the wall clock when the window's
// first paint is done, then the resident memory a second later.
#include "connect/ProcessMemory.h"

#include <QApplication>
#include <QDateTime>
#include <QEvent>
#include <QMainWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTimer>

#include <cstdio>

namespace {

class PaintWatch : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !m_painted) {
            m_painted = true;
            QTimer::singleShot(0, this, [] {
                std::fprintf(stderr, "painted at %lld ns\n",
                             static_cast<long long>(QDateTime::currentMSecsSinceEpoch()) * 1000000LL);
                QTimer::singleShot(1000, [] {
                    std::fprintf(stderr, "resident %lld bytes\n", static_cast<long long>(ProcessMemory::workingSet()));
                    QApplication::quit();
                });
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_painted = false;
};

} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QMainWindow window;
    window.menuBar()->addMenu(QStringLiteral("&File"))->addAction(QStringLiteral("E&xit"));
    window.setCentralWidget(new QPlainTextEdit);
    window.statusBar()->showMessage(QStringLiteral("Ready"));
    PaintWatch watch;
    window.installEventFilter(&watch);
    window.resize(1200, 800);
    window.show();
    return QApplication::exec();
}
