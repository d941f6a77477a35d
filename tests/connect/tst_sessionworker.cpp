#include "TestInstance.h"
#include "connect/SessionWorker.h"

#include "kdb/Socket.h"
#include "kdb/k.h"

#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <atomic>
#include <memory>
#include <mutex>

namespace {
// A connect with no time-out: only a cancel or an interrupt ends it against
// a silent instance.
int connectForever(int port) { return khpunc("127.0.0.1", port, "", 0, 0); }
} // namespace

class TestSessionWorker : public QObject {
    Q_OBJECT
private slots:
    void runsInOrderAndReportsOnOwnersThread();
    void resultOfGoneContextIsDropped();
    void cancelEndsConnectToSilentInstance();
    void taskFlagCancelsThatTaskOnly();
    void destructionCancelsRunningAndDropsQueued();
    void interruptWakesBlockedQuery();
    void posterOutlivesWorker();
};

void TestSessionWorker::runsInOrderAndReportsOnOwnersThread()
{
    const int before = SessionWorker::liveThreads();
    auto worker = std::make_unique<SessionWorker>();
    QCOMPARE(SessionWorker::liveThreads(), before + 1);
    QList<int> reported;
    std::atomic<int> order{0};
    QSet<QThread*> threads;
    std::mutex threadsMutex;
    for (int i = 0; i < 5; ++i) {
        worker->post(
            this,
            [&, i] {
                {
                    std::lock_guard lock(threadsMutex);
                    threads.insert(QThread::currentThread());
                }
                return order++ == i ? i : -1;
            },
            [&](int result) {
                QCOMPARE(QThread::currentThread(), thread());
                reported << result;
            });
    }
    bool voidDone = false;
    worker->post(this, [] {}, [&] { voidDone = true; });
    QTRY_VERIFY(voidDone);
    QCOMPARE(reported, QList<int>({0, 1, 2, 3, 4}));
    QCOMPARE(threads.size(), 1);
    QVERIFY(!threads.contains(QThread::currentThread()));
    QTRY_VERIFY(!worker->isBusy());
    worker.reset();
    QCOMPARE(SessionWorker::liveThreads(), before);
}

void TestSessionWorker::resultOfGoneContextIsDropped()
{
    SessionWorker worker;
    auto context = std::make_unique<QObject>();
    std::atomic<bool> release{false};
    bool called = false;
    worker.post(context.get(), [&] {
        while (!release)
            QThread::yieldCurrentThread();
        return 1;
    }, [&](int) { called = true; });
    context.reset();
    release = true;
    bool after = false;
    worker.post(this, [] {}, [&] { after = true; });
    QTRY_VERIFY(after);
    QVERIFY(!called);
}

void TestSessionWorker::cancelEndsConnectToSilentInstance()
{
    TestInstance inst;
    inst.setSilent(true);
    QVERIFY(inst.start());
    SessionWorker worker;
    int result = 1;
    bool done = false;
    worker.post(this, [port = inst.port()] { return connectForever(port); }, [&](int r) {
        result = r;
        done = true;
    });
    QSignalSpy login(inst.events(), &InstanceEvents::handshakeReceived);
    QVERIFY(login.wait(10000));
    QVERIFY(worker.isBusy());
    worker.cancel();
    QTRY_VERIFY_WITH_TIMEOUT(done, 10000);
    QVERIFY(result <= 0);
    // The worker takes further tasks after a cancel.
    bool next = false;
    worker.post(this, [] { return 2; }, [&](int r) { next = r == 2; });
    QTRY_VERIFY(next);
}

void TestSessionWorker::taskFlagCancelsThatTaskOnly()
{
    // A task waits on a silent instance; a second is queued behind it. The
    // second's own flag must leave the first waiting, and the second starts
    // cancelled; the first's flag ends the first.
    TestInstance inst;
    inst.setSilent(true);
    QVERIFY(inst.start());
    SessionWorker worker;
    bool firstDone = false, secondDone = false, secondSawCancel = false;
    SessionWorker::CancelFlag first = worker.post(this, [port = inst.port()] { return connectForever(port); },
                                                  [&](int) { firstDone = true; });
    SessionWorker::CancelFlag second = worker.post(this, [] { return kdb::CancelScope::cancelled(); }, [&](bool c) {
        secondSawCancel = c;
        secondDone = true;
    });
    QSignalSpy login(inst.events(), &InstanceEvents::handshakeReceived);
    QVERIFY(login.wait(10000));
    second->store(true);
    QTest::qWait(300);
    QVERIFY(!firstDone);
    first->store(true);
    QTRY_VERIFY_WITH_TIMEOUT(firstDone && secondDone, 10000);
    QVERIFY(secondSawCancel);
}

void TestSessionWorker::destructionCancelsRunningAndDropsQueued()
{
    TestInstance inst;
    inst.setSilent(true);
    QVERIFY(inst.start());
    const int before = SessionWorker::liveThreads();
    auto worker = std::make_unique<SessionWorker>();
    std::atomic<bool> queuedRan{false};
    worker->post(this, [port = inst.port()] { return connectForever(port); }, [](int) {});
    worker->post([&] { queuedRan = true; });
    QSignalSpy login(inst.events(), &InstanceEvents::handshakeReceived);
    QVERIFY(login.wait(10000));
    worker.reset(); // returns once the connect gave up
    QVERIFY(!queuedRan);
    QCOMPARE(SessionWorker::liveThreads(), before);
}

void TestSessionWorker::interruptWakesBlockedQuery()
{
    TestInstance inst;
    inst.on("hang", kj(1)).neverAnswer();
    QVERIFY(inst.start());
    const int handle = khpunc("127.0.0.1", inst.port(), "", 5000, 0);
    QVERIFY(handle > 0);
    auto worker = std::make_unique<SessionWorker>();
    worker->setInterrupt([handle] { kclose(handle); });
    std::atomic<bool> gotNull{false};
    worker->post([&, handle] {
        K r = k(handle, "hang", K(nullptr));
        gotNull = r == nullptr;
        if (r)
            r0(r);
    });
    QSignalSpy received(inst.events(), &InstanceEvents::messageReceived);
    QVERIFY(received.wait(10000));
    worker.reset();
    QVERIFY(gotNull);
}

void TestSessionWorker::posterOutlivesWorker()
{
    SessionWorker::Poster poster;
    std::atomic<bool> freed{false};
    {
        SessionWorker worker;
        poster = worker.poster();
        std::atomic<bool> release{false};
        worker.post([&] {
            while (!release)
                QThread::yieldCurrentThread();
        });
        // A release of memory posted behind a busy task still runs when the
        // worker goes.
        QVERIFY(poster.post([&] { freed = true; }));
        QVERIFY(!poster.isWorkerThread());
        release = true;
    }
    QVERIFY(freed);
    QVERIFY(!poster.post([] {}));
}

QTEST_GUILESS_MAIN(TestSessionWorker)
#include "tst_sessionworker.moc"
