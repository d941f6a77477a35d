#include "TestInstance.h"
#include "core/settings/CDlgQSettings.h"
#include "query/QueryComposer.h"

#include "kdb/KPtr.h"

#include <QTest>

using Mode = ComposedQuery::Mode;

namespace {
QString charText(K x)
{
    return x && x->t == KC ? QString::fromUtf8(kC(x), static_cast<qsizetype>(x->n)) : QStringLiteral("<not text>");
}
} // namespace

class TestComposer : public QObject {
    Q_OBJECT
private slots:
    void compose_data();
    void compose();
    void defaultsMatchTheStoredDefaults();
    void sendsExactly_data();
    void sendsExactly();
    void asyncReplyIsTheNextMessage();
    void lostConnectionGivesNull();
};

void TestComposer::compose_data()
{
    QTest::addColumn<bool>("wrapFlag");
    QTest::addColumn<QString>("syncLambda");
    QTest::addColumn<bool>("asyncAllowed");
    QTest::addColumn<bool>("asyncQuerying");
    QTest::addColumn<QString>("sendback");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("lambda");
    const QString sendbackDefault = QueryComposer::defaultAsyncSendbackLambda();
    QTest::newRow("plain") << false << "{x}" << false << false << "" << int(Mode::Plain) << "";
    QTest::newRow("wrapped") << true << "{value x}" << false << false << "" << int(Mode::Wrapped) << "{value x}";
    QTest::newRow("wrap with empty lambda is plain") << true << "" << false << false << "" << int(Mode::Plain) << "";
    QTest::newRow("async without --async is sync") << true << "{w x}" << false << true << "{a x}" << int(Mode::Wrapped)
                                                   << "{w x}";
    QTest::newRow("async ignores the wrap flag") << true << "{w x}" << true << true << "{a x}" << int(Mode::Async)
                                                 << "{a x}";
    QTest::newRow("empty send-back takes the default") << false << "" << true << true << "" << int(Mode::Async)
                                                       << sendbackDefault;
}

void TestComposer::compose()
{
    QFETCH(bool, wrapFlag);
    QFETCH(QString, syncLambda);
    QFETCH(bool, asyncAllowed);
    QFETCH(bool, asyncQuerying);
    QFETCH(QString, sendback);
    QFETCH(int, mode);
    QFETCH(QString, lambda);
    CDlgQSettings q;
    q.asyncAllowed = asyncAllowed;
    q.AsyncQuerying = asyncQuerying;
    CDlgEditorSettings e;
    e.SyncLambda = syncLambda;
    e.AsyncSendbackLambda = sendback;
    const ComposedQuery c = QueryComposer::compose(QStringLiteral("til 3"), wrapFlag, q, e);
    QCOMPARE(int(c.mode), mode);
    QCOMPARE(QString::fromUtf8(c.lambda), lambda);
    QCOMPARE(c.query, QByteArray("til 3"));
}

void TestComposer::defaultsMatchTheStoredDefaults()
{
    // The exact one-line q texts; a changed character changes what instances run.
    QCOMPARE(QueryComposer::defaultSyncLambda(),
             QStringLiteral("{r:z sublist value x;$[(y*1000000) >= -22!r; r; '\"Result exceeds \",string[y],\" MB, "
                            "adjust or turn off wrap lambda or hold SHIFT while querying\"]}[; 200; 1024]"));
    QCOMPARE(QueryComposer::defaultAsyncSendbackLambda(),
             QStringLiteral("{neg[.z.w] {$[(::)~x;\"Async success\";x]} {@[{-8!x;x};x;{\"Async - Result can't be "
                            "IPCed: '\",x}]} @[value;x;{\"Async error: '\",x}]}"));
    QCOMPARE(CDlgEditorSettings().SyncLambda, QueryComposer::defaultSyncLambda());
    QVERIFY(!QueryComposer::wrapRequested(CDlgEditorSettings(), false));
    CDlgEditorSettings wrap;
    wrap.WrapSyncQueries = true;
    QVERIFY(QueryComposer::wrapRequested(wrap, false));
    QVERIFY(!QueryComposer::wrapRequested(wrap, true));
}

void TestComposer::sendsExactly_data()
{
    QTest::addColumn<bool>("wrap");
    QTest::newRow("plain") << false;
    QTest::newRow("wrapped") << true;
}

// What reaches the instance, byte for byte in value: the query as UTF-8, or
// the general list (lambda; query).
void TestComposer::sendsExactly()
{
    QFETCH(bool, wrap);
    const QString query = QStringLiteral("`sym$\"\u00e9t\u00e9\"");
    TestInstance inst;
    inst.onPattern(".*", kj(42));
    QVERIFY(inst.start());
    const int h = khpunc("127.0.0.1", inst.port(), "", 2000, 0);
    QVERIFY(h > 0);
    CDlgQSettings q;
    CDlgEditorSettings e;
    const ComposedQuery c = QueryComposer::compose(query, wrap, q, e);
    KPtr reply(QueryComposer::send(h, c));
    kclose(h);
    QVERIFY(reply);
    QCOMPARE(reply->j, 42);
    const QList<ReceivedMessage> got = inst.received();
    QCOMPARE(got.size(), 1);
    QCOMPARE(got[0].type, 1);
    K v = got[0].value.get();
    if (!wrap) {
        QCOMPARE(charText(v), query);
        QVERIFY(got[0].bytes.contains(query.toUtf8()));
        return;
    }
    QCOMPARE(int(v->t), 0);
    QCOMPARE(v->n, 2);
    QCOMPARE(charText(kK(v)[0]), QueryComposer::defaultSyncLambda());
    QCOMPARE(charText(kK(v)[1]), query);
}

void TestComposer::asyncReplyIsTheNextMessage()
{
    TestInstance inst;
    inst.on(QueryComposer::defaultAsyncSendbackLambda(), ka(KUNARY)).thenPublish(kp("Async success"));
    QVERIFY(inst.start());
    const int h = khpunc("127.0.0.1", inst.port(), "", 2000, 0);
    QVERIFY(h > 0);
    CDlgQSettings q;
    q.asyncAllowed = true;
    q.AsyncQuerying = true;
    CDlgEditorSettings e;
    e.AsyncSendbackLambda.clear();
    KPtr reply(QueryComposer::send(h, QueryComposer::compose(QStringLiteral("::"), true, q, e)));
    kclose(h);
    QVERIFY(reply);
    QCOMPARE(charText(reply.get()), QStringLiteral("Async success"));
    const QList<ReceivedMessage> got = inst.received();
    QCOMPARE(got.size(), 1);
    QCOMPARE(got[0].type, 0); // sent asynchronously
    QCOMPARE(charText(kK(got[0].value.get())[1]), QStringLiteral("::"));
}

void TestComposer::lostConnectionGivesNull()
{
    TestInstance inst;
    inst.drop(QStringLiteral("x"));
    QVERIFY(inst.start());
    const int h = khpunc("127.0.0.1", inst.port(), "", 2000, 0);
    QVERIFY(h > 0);
    KPtr reply(QueryComposer::send(h, QueryComposer::compose(QStringLiteral("x"), false, {}, {})));
    kclose(h);
    QVERIFY(!reply);
}

QTEST_GUILESS_MAIN(TestComposer)
#include "tst_composer.moc"
