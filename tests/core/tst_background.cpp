#include "core/background/Background.h"
#include "core/background/SerialQueue.h"

#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace {
// A gate a work waits at until the test opens it.
class Gate {
public:
    void open()
    {
        {
            std::lock_guard lock(m_mutex);
            m_open = true;
        }
        m_wake.notify_all();
    }
    void pass()
    {
        ++m_waiting;
        std::unique_lock lock(m_mutex);
        m_wake.wait(lock, [this] { return m_open; });
    }
    // A work stands at the gate.
    bool reached() const { return m_waiting.load() > 0; }

private:
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_open = false;
    std::atomic<int> m_waiting{0};
};

// Counts the results that reached their context.
struct Tally {
    std::atomic<int> delivered{0};
};
} // namespace

class TestBackground : public QObject {
    Q_OBJECT
private slots:
    void resultComesBackOnTheContextThread();
    void resultDroppedWhenContextGoes();
    void contextDestroyedAsResultsArrive();
    void cancelDropsResultAndInterruptsOnce();
    void cancelledWorkSeesItsFlag();
    void reportArrivesBeforeTheResult();
    void serialQueueRunsInOrderWithoutOverlap();
    void serialQueueDestroyedWhileBusyDoesNotWait();
    void serialQueueCancelAllDropsQueued();
    // Last: shutting down is for the whole process.
    void shutdownAbandonsStuckWorkAndDropsItsResult();
};

void TestBackground::resultComesBackOnTheContextThread()
{
    QObject context;
    QThread* workerThread = nullptr;
    QThread* doneThread = nullptr;
    int value = 0;
    bool voidDone = false;
    Background::run(&context, [&workerThread] {
        workerThread = QThread::currentThread();
        return 42;
    }, [&](int v) {
        doneThread = QThread::currentThread();
        value = v;
    });
    Background::run(&context, [] {}, [&] { voidDone = true; });
    QTRY_COMPARE(value, 42);
    QTRY_VERIFY(voidDone);
    QCOMPARE(doneThread, QThread::currentThread());
    QVERIFY(workerThread != nullptr);
    QVERIFY(workerThread != QThread::currentThread());
}

void TestBackground::resultDroppedWhenContextGoes()
{
    auto context = std::make_unique<QObject>();
    Gate gate;
    bool called = false;
    const BackgroundTask task = Background::run(context.get(), [&gate] {
        gate.pass();
        return std::make_shared<int>(7); // freed with the dropped result
    }, [&called](std::shared_ptr<int>) { called = true; });
    QTRY_VERIFY(gate.reached());
    context.reset();
    gate.open();
    QTRY_VERIFY(task.isFinished());
    // A marker posted after the dropped result: when it arrives, the result would have too.
    QObject marker;
    bool markerSeen = false;
    Background::run(&marker, [] {}, [&markerSeen] { markerSeen = true; });
    QTRY_VERIFY(markerSeen);
    QCoreApplication::processEvents();
    QVERIFY(!called);
}

void TestBackground::contextDestroyedAsResultsArrive()
{
    // Contexts die while their results are being posted from the workers;
    // under the thread sanitizer this shows any post racing a destruction.
    auto tally = std::make_shared<Tally>();
    std::vector<BackgroundTask> tasks;
    for (int round = 0; round < 200; ++round) {
        auto context = std::make_unique<QObject>();
        tasks.push_back(Background::run(context.get(), [round] { return round; },
                                        [tally](int) { ++tally->delivered; }));
        if (round % 3 != 0)
            QThread::yieldCurrentThread();
        context.reset();
    }
    QTRY_VERIFY(std::all_of(tasks.begin(), tasks.end(), [](const BackgroundTask& t) { return t.isFinished(); }));
    QCoreApplication::processEvents();
    QCOMPARE(tally->delivered.load(), 0);
}

void TestBackground::cancelDropsResultAndInterruptsOnce()
{
    QObject context;
    Gate gate;
    bool called = false;
    std::atomic<int> interrupts{0};
    const BackgroundTask task = Background::run(&context, [&gate] {
        gate.pass();
        return 1;
    }, [&called](int) { called = true; });
    task.onCancel([&interrupts, &gate] {
        ++interrupts;
        gate.open(); // what a closed socket does to a blocked read
    });
    QTRY_VERIFY(gate.reached());
    task.cancel();
    task.cancel();
    QVERIFY(task.isCancelled());
    QCOMPARE(interrupts.load(), 1);
    QTRY_VERIFY(task.isFinished());
    QObject marker;
    bool markerSeen = false;
    Background::run(&marker, [] {}, [&markerSeen] { markerSeen = true; });
    QTRY_VERIFY(markerSeen);
    QVERIFY(!called);
    // An interrupt set after the cancel runs at once.
    std::atomic<int> late{0};
    task.onCancel([&late] { ++late; });
    QCOMPARE(late.load(), 1);
}

void TestBackground::cancelledWorkSeesItsFlag()
{
    QObject context;
    std::atomic<bool> started{false};
    std::atomic<bool> sawCancel{false};
    const BackgroundTask task = Background::run(&context, [&] {
        started = true;
        while (!Background::cancelled())
            QThread::yieldCurrentThread();
        sawCancel = true;
    }, [] {});
    QTRY_VERIFY(started.load());
    QVERIFY(!Background::cancelled()); // not a worker
    task.cancel();
    QTRY_VERIFY(task.isFinished());
    QVERIFY(sawCancel.load());
}

void TestBackground::reportArrivesBeforeTheResult()
{
    QObject context;
    QStringList seen;
    Background::run(&context, [&seen] {
        Background::report([&seen] { seen << QStringLiteral("progress"); });
        return QStringLiteral("result");
    }, [&seen](const QString& text) { seen << text; });
    QTRY_COMPARE(seen.size(), 2);
    QCOMPARE(seen, (QStringList{QStringLiteral("progress"), QStringLiteral("result")}));
}

void TestBackground::serialQueueRunsInOrderWithoutOverlap()
{
    QObject context;
    SerialQueue queue;
    std::atomic<int> inside{0};
    std::atomic<bool> overlapped{false};
    QList<int> results;
    for (int i = 0; i < 20; ++i) {
        queue.post(&context, [&, i] {
            if (++inside > 1)
                overlapped = true;
            QThread::yieldCurrentThread();
            --inside;
            return i;
        }, [&results](int i) { results << i; });
    }
    QTRY_COMPARE(results.size(), 20);
    QVERIFY(!overlapped.load());
    for (int i = 0; i < 20; ++i)
        QCOMPARE(results.at(i), i);
    QTRY_VERIFY(!queue.isBusy());
}

void TestBackground::serialQueueDestroyedWhileBusyDoesNotWait()
{
    QObject context;
    auto gate = std::make_shared<Gate>();
    bool called = false;
    BackgroundTask running;
    {
        SerialQueue queue;
        running = queue.post(&context, [gate] {
            gate->pass();
            return 1;
        }, [&called](int) { called = true; });
        queue.post(&context, [] { return 2; }, [&called](int) { called = true; });
        QTRY_VERIFY(gate->reached());
        QVERIFY(queue.isBusy());
    } // returns with the work still standing at the gate
    QVERIFY(!running.isFinished());
    QVERIFY(running.isCancelled());
    gate->open();
    QTRY_VERIFY(running.isFinished());
    QObject marker;
    bool markerSeen = false;
    Background::run(&marker, [] {}, [&markerSeen] { markerSeen = true; });
    QTRY_VERIFY(markerSeen);
    QVERIFY(!called);
}

void TestBackground::serialQueueCancelAllDropsQueued()
{
    QObject context;
    SerialQueue queue;
    Gate gate;
    QList<int> results;
    std::atomic<int> ran{0};
    queue.post(&context, [&] {
        ++ran;
        gate.pass();
        return 1;
    }, [&results](int v) { results << v; });
    const BackgroundTask second = queue.post(&context, [&ran] {
        ++ran;
        return 2;
    }, [&results](int v) { results << v; });
    QTRY_VERIFY(gate.reached());
    queue.cancelAll();
    gate.open();
    QTRY_VERIFY(!queue.isBusy());
    // Work posted after the cancel runs as usual.
    queue.post(&context, [] { return 3; }, [&results](int v) { results << v; });
    QTRY_COMPARE(results, QList<int>{3});
    QCOMPARE(ran.load(), 1);
    QVERIFY(second.isCancelled());
}

void TestBackground::shutdownAbandonsStuckWorkAndDropsItsResult()
{
    QObject context;
    // Never opened by the interrupt: like a resolver lookup that cannot be cancelled.
    auto gate = std::make_shared<Gate>();
    bool called = false;
    const BackgroundTask stuck = Background::run(&context, [gate] {
        gate->pass();
        return 1;
    }, [&called](int) { called = true; });
    QTRY_VERIFY(gate->reached());
    QCOMPARE(Background::shutdown(std::chrono::milliseconds(50)), 1);
    QVERIFY(Background::isShutDown());
    QVERIFY(stuck.isCancelled());
    // New work is refused.
    std::atomic<bool> ranAfter{false};
    const BackgroundTask after = Background::run(&context, [&ranAfter] { ranAfter = true; }, [&called] { called = true; });
    QVERIFY(after.isCancelled());
    gate->open();
    QTRY_VERIFY(stuck.isFinished());
    QCoreApplication::processEvents();
    QVERIFY(!called);
    QVERIFY(!ranAfter.load());
}

QTEST_GUILESS_MAIN(TestBackground)
#include "tst_background.moc"
