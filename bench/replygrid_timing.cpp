// Timing harness: a query whose reply is an N-row table (long, float, symbol,
// timestamp), answered on loopback by tovo-test-instance running as its own
// process, run through the real main window. For each size a fresh copy of
// this program measures its own process only: the time from the run to the
// grid's first paint, and the memory above idle at its peak (sampled every
// millisecond on a thread while the reply arrives and is shown) and once the
// reply is shown and the window has settled; the longest stall of the
// window's event loop from the run until the window has settled (the
// longest a typed key would have waited: the gap between ticks of a 1 ms
// timer; on a loaded machine that includes waits for a core) and the most
// processor time one event took on the window's thread (which does not), and,
// as the baseline from the same run, decoding the same message
// from memory (d9) on this thread. It also checks that the last row can be
// scrolled to.
// Usage: QT_QPA_PLATFORM=offscreen replygrid_timing [rows...]   (default 1000000 5000000)
#include "GeneratedTable.h"
#include "ScriptedPrompter.h"
#include "TempHome.h"
#include "app/CMainFrame.h"
#include "app/CQueryLink.h"
#include "app/CTovoApp.h"
#include "connect/ProcessMemory.h"
#include "results/COutputWnd.h"
#include "results/grid/CKTableRenderer.h"
#include "results/grid/COutputTable.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include <time.h>

namespace {

// Processor time of the calling thread, in microseconds.
qint64 threadCpuMicros()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

// Times every outermost event delivery on the window's thread in processor time.
class TimedApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override
    {
        if (m_depth++ > 0 || !m_timing) {
            const bool done = QApplication::notify(receiver, event);
            --m_depth;
            return done;
        }
        const qint64 start = threadCpuMicros();
        const bool done = QApplication::notify(receiver, event);
        m_longest = std::max(m_longest, threadCpuMicros() - start);
        --m_depth;
        return done;
    }
    void startTiming()
    {
        m_timing = true;
        m_longest = 0;
    }
    qint64 stopTiming()
    {
        m_timing = false;
        return m_longest;
    }

private:
    int m_depth = 0;
    bool m_timing = false;
    qint64 m_longest = 0;
};

constexpr int kSettleMs = 500; // events processed after the first paint before "held" is read

// The instance program: next to this one, else where the build put it.
QString instanceProgram()
{
    const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("tovo-test-instance"));
    return QFile::exists(beside) ? beside : QStringLiteral(TOVO_INSTANCE);
}

// Starts the instance with a script answering "t" with the table; its port, or 0.
int startInstance(QProcess& process, const QTemporaryDir& dir, long long rows)
{
    const QString script = dir.filePath(QStringLiteral("reply.script"));
    QFile file(script);
    if (!file.open(QIODevice::WriteOnly) || file.write(QByteArray("query: t\ntable-rows: ") + QByteArray::number(rows) + "\n") < 0)
        return 0;
    file.close();
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(instanceProgram(), {script});
    if (!process.waitForStarted(10000))
        return 0;
    const QRegularExpression listening(QStringLiteral("listening on 127\\.0\\.0\\.1:(\\d+)"));
    QByteArray out;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 60000 && process.state() == QProcess::Running) {
        process.waitForReadyRead(100);
        out += process.readAllStandardOutput();
        const auto match = listening.match(QString::fromLatin1(out));
        if (match.hasMatch())
            return match.captured(1).toInt();
    }
    return 0;
}

void stopInstance(QProcess& process)
{
    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(5000);
    }
}

// Peak working set, sampled every millisecond until stopped.
class PeakSampler {
public:
    PeakSampler() : m_peak(ProcessMemory::workingSet())
    {
        m_thread = std::thread([this] {
            while (!m_stop) {
                note();
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        });
    }
    ~PeakSampler() { stop(); }
    void note()
    {
        const std::int64_t now = ProcessMemory::workingSet();
        std::int64_t seen = m_peak.load();
        while (now > seen && !m_peak.compare_exchange_weak(seen, now)) {
        }
    }
    std::int64_t stop()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        note();
        return m_peak;
    }

private:
    std::atomic<std::int64_t> m_peak;
    std::atomic<bool> m_stop {false};
    std::thread m_thread;
};

// Bytes the items of a value take (its decoded size, headers aside).
double itemBytes(K x)
{
    if (!x)
        return 0;
    if (x->t == XT)
        return itemBytes(x->k);
    if (x->t == 0 || x->t == XD) {
        double sum = double(x->n) * 8;
        for (J i = 0; i < x->n; ++i)
            sum += itemBytes(kK(x)[i]);
        return sum;
    }
    return x->t > 0 && x->t < 20 ? double(x->n) * double(kItemSize(x->t)) : 0;
}

void processEventsFor(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
}

// One size, measured in this process: prints one result line; 0 on success.
int measure(long long rows)
{
    QTemporaryDir dir;
    QProcess instance;
    const int port = startInstance(instance, dir, rows);
    if (!port) {
        std::fprintf(stderr, "replygrid_timing: tovo-test-instance did not start (%s)\n", qPrintable(instanceProgram()));
        return 1;
    }
    int status = 1;
    {
        TempHome home;
        ScriptedPrompter prompter;
        CTovoApp app(CommandLine(QStringLiteral("--homedir:%1 --server:127.0.0.1:%2").arg(home.path()).arg(port)),
                     prompter, home.store());
        if (!app.initInstance())
            return 1;
        auto* grid = app.mainFrame()->outputWnd()->findChild<COutputTable*>();
        processEventsFor(300);
        const std::int64_t idle = ProcessMemory::workingSet();

        PeakSampler sampler;
        // The event loop's longest stall: the widest gap between ticks.
        QTimer ticks;
        ticks.setTimerType(Qt::PreciseTimer);
        ticks.setInterval(1);
        QElapsedTimer sinceTick;
        qint64 stall = 0;
        QObject::connect(&ticks, &QTimer::timeout, [&] {
            stall = std::max(stall, sinceTick.restart());
        });
        sinceTick.start();
        ticks.start();
        auto* timed = static_cast<TimedApplication*>(QCoreApplication::instance());
        timed->startTiming();
        QElapsedTimer clock;
        clock.start();
        app.queryLink()->run(QStringLiteral("t"), false);
        while (!grid->renderer()->shownValue() && clock.elapsed() < 60000)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        grid->viewport()->repaint();
        const qint64 onScreen = clock.elapsed();
        processEventsFor(kSettleMs);
        ticks.stop();
        const double longestEventMs = double(timed->stopTiming()) / 1000;
        const std::int64_t held = ProcessMemory::workingSet();
        const std::int64_t peak = sampler.stop();

        // Every row reachable: scrolled to the end, the last row shown is the last value row.
        grid->scrollToBottom();
        QApplication::processEvents();
        int lastShown = -1;
        for (int y = grid->viewport()->height() - 1; y >= 0 && lastShown < 0; --y)
            lastShown = grid->displayRow(grid->indexAt(QPoint(1, y)));
        const bool reachable = grid->renderer()->rowCount() == rows
            && (rows == 0 || (grid->verticalScrollBar()->value() == grid->verticalScrollBar()->maximum()
                              && lastShown == rows - 1
                              && grid->renderer()->cellText(lastShown, grid->renderer()->hasNumberColumn() ? 1 : 0)
                                  == QString::number(rows - 1)));
        if (!reachable)
            std::fprintf(stderr, "console: %s\n", qPrintable(app.mainFrame()->outputWnd()->consoleText().right(300)));

        stopInstance(instance);
        // The wire size, worked out only now so that it costs the figures nothing.
        KPtr table = GeneratedTable::make(rows);
        KPtr wire(b9(3, table.get()));
        const double wireMB = double(wire->n) / 1e6;
        QElapsedTimer decodeClock;
        decodeClock.start();
        KPtr decoded(d9(wire.get()));
        const qint64 decodeMs = decodeClock.elapsed();
        const double peakMB = double(peak - idle) / 1e6, heldMB = double(held - idle) / 1e6;
        const double valueMB = itemBytes(grid->renderer()->shownValue()) / 1e6;
        std::printf("| %9lld | %7.1f | %9lld | %9lld | %8lld | %12.1f | %7.1f | %8.2fx | %7.1f | %8.2fx | %9.2fx | %-18s |\n", rows,
                    wireMB, onScreen, decodeMs, stall, longestEventMs, peakMB, peakMB / wireMB, heldMB, heldMB / wireMB, valueMB / wireMB,
                    reachable ? "yes" : "NO");
        std::fflush(stdout);
        status = reachable ? 0 : 1;
    }
    return status;
}

} // namespace

int main(int argc, char* argv[])
{
    TimedApplication application(argc, argv);
    const QStringList args = application.arguments().mid(1);
    if (args.size() == 2 && args[0] == QLatin1String("--one"))
        return measure(args[1].toLongLong());

    QList<long long> sizes;
    for (const QString& a : args)
        sizes.append(a.toLongLong());
    if (sizes.isEmpty())
        sizes = {1000000, 5000000};
    // value/wire: what the decoded value itself takes; held above it is the window's own cost.
    // decode ms: the baseline, d9 of the same message from memory; stall ms: the longest the window's event loop
    // did not run from the run until the window settled; event cpu ms: the most processor time one event took there.
    std::printf("| rows      | wire MB | screen ms | decode ms | stall ms | event cpu ms | peak MB | peak/wire | held MB | held/wire | value/wire | last row reachable |\n");
    std::printf("|-----------|---------|-----------|-----------|----------|--------------|---------|-----------|---------|-----------|------------|--------------------|\n");
    std::fflush(stdout);
    int status = 0;
    for (long long rows : sizes) {
        // Each size in a fresh process, so that one size's freed memory is not the next one's idle.
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--one"), QString::number(rows)});
        if (!child.waitForStarted() || !child.waitForFinished(300000) || child.exitCode() != 0)
            status = 1;
    }
    return status;
}
