// Timing harness: a query whose reply is an N-row table (long, float, symbol,
// timestamp), answered by the scripted instance on loopback, run through the
// real main window. Reports the time from the run to the grid's first paint,
// the reply's wire size, and the process memory above idle (peak while the
// reply arrives, and once it is shown).
// Usage: QT_QPA_PLATFORM=offscreen replygrid_timing [rows...]   (default 1000000 5000000)
#include "ScriptedPrompter.h"
#include "TempHome.h"
#include "TestInstance.h"
#include "app/CMainFrame.h"
#include "app/CQueryLink.h"
#include "app/CTovoApp.h"
#include "connect/ProcessMemory.h"
#include "results/COutputWnd.h"
#include "results/grid/CKTableRenderer.h"
#include "results/grid/COutputTable.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {
K table(J rows)
{
    K names = ktn(KS, 4);
    const char* n[] = {"id", "price", "sym", "time"};
    for (int i = 0; i < 4; ++i)
        kS(names)[i] = ss(n[i]);
    K id = ktn(KJ, rows), price = ktn(KF, rows), sym = ktn(KS, rows), time = ktn(KP, rows);
    S syms[200];
    for (int i = 0; i < 200; ++i)
        syms[i] = ss(QByteArray("s").append(QByteArray::number(i)).constData());
    for (J i = 0; i < rows; ++i) {
        kJ(id)[i] = i;
        kF(price)[i] = 100 + (i % 1000) * 0.01;
        kS(sym)[i] = syms[i % 200];
        kJ(time)[i] = 800000000000000LL + i * 1000000LL;
    }
    return xT(xD(names, knk(4, id, price, sym, time)));
}
} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QList<J> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.append(QByteArray(argv[i]).toLongLong());
    if (sizes.isEmpty())
        sizes = {1000000, 5000000};

    for (J rows : sizes) {
        TestInstance instance;
        K reply = table(rows);
        KPtr wire(b9(3, reply));
        const double wireMB = double(wire->n) / 1e6;
        instance.on(QStringLiteral("t"), reply);
        if (!instance.start())
            return 1;
        TempHome home;
        ScriptedPrompter prompter;
        CTovoApp app(CommandLine(QStringLiteral("--homedir:%1 --server:127.0.0.1:%2").arg(home.path()).arg(instance.port())),
                     prompter, home.store());
        if (!app.initInstance())
            return 1;
        QApplication::processEvents();
        auto* grid = app.mainFrame()->outputWnd()->findChild<COutputTable*>();
        const std::int64_t idle = ProcessMemory::workingSet();
        std::int64_t peak = idle;
        QTimer sampler;
        QObject::connect(&sampler, &QTimer::timeout, [&] { peak = std::max(peak, ProcessMemory::workingSet()); });
        sampler.start(5);

        QElapsedTimer clock;
        clock.start();
        app.queryLink()->run(QStringLiteral("t"), false);
        while (!grid->renderer()->shownValue() && clock.elapsed() < 60000)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        grid->viewport()->repaint();
        const qint64 onScreen = clock.elapsed();
        peak = std::max(peak, ProcessMemory::workingSet());
        const std::int64_t shown = ProcessMemory::workingSet();
        const bool lastRowReachable = grid->model()->rowCount() == rows;
        if (!lastRowReachable)
            std::printf("console: %s\n", qPrintable(app.mainFrame()->outputWnd()->consoleText().right(300)));
        std::printf("%lld rows: wire %.1f MB; on screen %lld ms after the run; memory above idle: peak %.1f MB "
                    "(%.2fx wire), shown %.1f MB (%.2fx wire); all rows reachable: %s\n",
                    rows, wireMB, onScreen, double(peak - idle) / 1e6, double(peak - idle) / 1e6 / wireMB,
                    double(shown - idle) / 1e6, double(shown - idle) / 1e6 / wireMB, lastRowReachable ? "yes" : "no");
        std::fflush(stdout);
    }
    return 0;
}
