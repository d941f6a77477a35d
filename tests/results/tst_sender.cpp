// Sending a value to an instance: the exact message the instance receives
// (the set function, the name and the value) over a session of its own.
#include "../core/KValues.h"

#include "TestInstance.h"

#include "results/ResultSender.h"

#include "kdb/Serializer.h"

#include <QSignalSpy>
#include <QTest>

using namespace kv;

class TestSender : public QObject {
    Q_OBJECT
private slots:
    void setsTheNamedGlobal();
    void unreachableServer();
};

void TestSender::setsTheNamedGlobal()
{
    TestInstance instance;
    instance.onPattern(QStringLiteral(".*"), ktn(0, 0)); // (::) is what set answers; any reply will do
    QVERIFY(instance.start());
    KPtr t(table(syms({"a"}), knk(1, longs(0, 3))));
    ResultSender* sender = ResultSender::send(SessionContext {}, QStringLiteral("`127.0.0.1:%1").arg(instance.port()),
                                              QStringLiteral(".tovo.test"), t.get(), this);
    QSignalSpy finished(sender, &ResultSender::finished);
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished.at(0).at(0).toBool(), true);
    const QList<ReceivedMessage> received = instance.received();
    QCOMPARE(received.size(), 1);
    QCOMPARE(received[0].type, 1);
    QCOMPARE(received[0].text, QStringLiteral("{(`$x) set y}"));
    K message = received[0].value.get();
    QVERIFY(message && message->t == 0 && message->n == 3);
    QCOMPARE(QByteArray(kC(kK(message)[1]), int(kK(message)[1]->n)), QByteArray(".tovo.test"));
    std::vector<char> sent, expected;
    std::string error;
    QVERIFY(kdb::Serializer::serialize(kK(message)[2], 0, sent, error));
    QVERIFY(kdb::Serializer::serialize(t.get(), 0, expected, error));
    QVERIFY(sent == expected);
    QTRY_COMPARE(instance.clientCount(), 0); // the session is released
}

void TestSender::unreachableServer()
{
    TestInstance instance;
    QVERIFY(instance.start());
    const int port = instance.port();
    instance.stop();
    KPtr v(longs(0, 1));
    ResultSender* sender = ResultSender::send(SessionContext {}, QStringLiteral("`127.0.0.1:%1").arg(port),
                                              QStringLiteral("x"), v.get(), this);
    QSignalSpy finished(sender, &ResultSender::finished);
    QVERIFY(finished.wait(20000));
    QCOMPARE(finished.at(0).at(0).toBool(), false);
}

QTEST_GUILESS_MAIN(TestSender)
#include "tst_sender.moc"
