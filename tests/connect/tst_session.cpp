#include "ScriptedPrompter.h"
#include "TempHome.h"
#include "TestInstance.h"
#include "connect/AuthPlugins.h"
#include "connect/CQHelper.h"
#include "connect/CredentialCache.h"
#include "connect/SessionWorker.h"
#include "core/settings/CDlgQSettings.h"
#include "core/values/KRender.h"

#include "kdb/KPtr.h"

#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>

using A = Prompter::Answer;
using B = Prompter::Buttons;
using Ic = Prompter::Icon;

namespace {
const QString notSupportingTls =
    QStringLiteral("This instance is not supporting TLS, do you want to turn off TLS and try re-connecting?");
const QString onlyTls =
    QStringLiteral("This instance only supports TLS connections, do you want to turn on TLS and try re-connecting?");

// One test's settings, prompter, plug-ins and cache, and a record of every
// call to the client library's connect.
struct Env {
    TempHome home;
    std::unique_ptr<SettingsStore> store = home.store();
    CDlgQSettings q;
    ScriptedPrompter prompter;
    AuthPlugins plugins;
    CredentialCache cache;
    struct Call {
        QByteArray host;
        int port;
        QByteArray credentials;
        int timeoutMs;
        int capability;
    };
    QList<Call> calls;
    QList<int> scripted; // results given instead of the library's, first first

    // recordCalls false: the session calls khpunc itself, as in the application.
    SessionContext context(bool recordCalls = true)
    {
        SessionContext c;
        c.q = &q;
        c.store = store.get();
        c.prompter = &prompter;
        c.plugins = &plugins;
        c.cache = &cache;
        if (recordCalls)
            c.connectCall = [this](const QByteArray& host, int port, const QByteArray& credentials, int timeoutMs,
                               int capability) {
            calls.append({host, port, credentials, timeoutMs, capability});
            if (!scripted.isEmpty())
                return scripted.takeFirst();
            return khpunc(host.constData(), port, credentials.constData(), timeoutMs, capability);
        };
        return c;
    }
    void installPlugins()
    {
        for (const char* built : {TOVO_AUTHTEST_PLUGIN, TOVO_AUTHNOPROC_PLUGIN})
            QVERIFY(QFile::copy(built, home.filePath(QFileInfo(built).fileName())));
        // A library whose name does not match is not a plug-in.
        QVERIFY(QFile::copy(TOVO_AUTHTEST_PLUGIN, home.filePath("other.so")));
        plugins.scan(home.path());
    }
};

// Opens through the blocking call or through the asynchronous one (the
// result waited for here, with the event loop running).
int openThrough(CQHelper& session, const QString& symbol, bool async)
{
    if (!async)
        return session.open(symbol);
    int result = 1 << 30;
    QObject context;
    session.openAsync(symbol, &context, [&](int r) { result = r; });
    if (!QTest::qWaitFor([&] { return result != 1 << 30; }, 30000))
        return -100;
    return result;
}

void addModes()
{
    QTest::addColumn<bool>("async");
    QTest::newRow("blocking") << false;
    QTest::newRow("async") << true;
}

QString symbolFor(const TestInstance& inst, const QString& credentials = QStringLiteral(":"))
{
    return QStringLiteral("`:127.0.0.1:%1:%2").arg(inst.port()).arg(credentials);
}

// The kdb+ logins an instance saw, without the TLS ClientHellos it took for logins.
QList<ReceivedHandshake> loginsOf(const TestInstance& inst)
{
    QList<ReceivedHandshake> logins;
    for (const ReceivedHandshake& hs : inst.handshakes())
        if (!hs.tlsHello)
            logins.append(hs);
    return logins;
}

void trust(const TestInstance& inst)
{
    kdb::TlsClientSettings tls;
    tls.caCertFile = inst.certificateFile().toStdString();
    kdb::setTlsClientSettings(tls);
}

QString sslInfoText(const CDlgQSettings& q)
{
    KPtr info(ee(sslInfo(nullptr)));
    return renderConsole(info.get(), RenderOptions::from(q));
}

int closedPort()
{
    TestInstance probe;
    if (!probe.start())
        return 0;
    const int port = probe.port();
    probe.stop();
    return port;
}
} // namespace

class TestSession : public QObject {
    Q_OBJECT
private slots:
    void cleanup();
    void connectResults_data() { addModes(); }
    void connectResults();
    void unreachablePortAsksNothing();
    void timeOut();
    void ownsAndBorrows();
    void credentialResolution_data();
    void credentialResolution();
    void pluginScan();
    void pluginErrors_data();
    void pluginErrors();
    void pluginLongCredentials();
    void cacheRetry_data() { addModes(); }
    void cacheRetry();
    void asyncCancelKeepsSession_data();
    void asyncCancelKeepsSession();
    void tlsQuestions_data();
    void tlsQuestions();
    void tlsOnAgainstTlsInstance();
    void tlsSetupFailureShowsSslInfo();
    void emptyHostIsLocalhost();
};

void TestSession::cleanup()
{
    qunsetenv("TOVO_AUTHTEST_REPLY");
    kdb::setTlsClientSettings(kdb::TlsClientSettings{});
}

void TestSession::connectResults()
{
    QFETCH(bool, async);
    TestInstance inst;
    inst.setCredentials({"u:p"});
    QVERIFY(inst.start());
    Env env;
    CQHelper session(env.context());
    QCOMPARE(openThrough(session, symbolFor(inst, "u:x"), async), 0); // wrong credentials
    QCOMPARE(session.handle(), -1);
    const int h = openThrough(session, symbolFor(inst, "u:p"), async);
    QVERIFY(h > 0);
    QCOMPARE(session.handle(), h);
    QCOMPARE(env.calls.last().timeoutMs, 5000);
    QCOMPARE(env.calls.last().capability, 0);
    // A refused reconnect keeps the open handle; a new one replaces it.
    QCOMPARE(openThrough(session, symbolFor(inst, "u:y"), async), 0);
    QCOMPARE(session.handle(), h);
    QVERIFY(inst.clientCount() == 1 || QTest::qWaitFor([&] { return inst.clientCount() == 1; }));
    const int h2 = openThrough(session, symbolFor(inst, "u:p"), async);
    QVERIFY(h2 > 0);
    QVERIFY(QTest::qWaitFor([&] { return inst.clientCount() == 1; }));
    session.close();
    QCOMPARE(session.handle(), -1);
    QVERIFY(QTest::qWaitFor([&] { return inst.clientCount() == 0; }));
}

void TestSession::unreachablePortAsksNothing()
{
    const int port = closedPort();
    QVERIFY(port > 0);
    for (bool tls : {true, false}) {
        Env env;
        env.q.EnableTLS = tls;
        CQHelper session(env.context());
        QCOMPARE(session.open(QStringLiteral("`:127.0.0.1:%1::").arg(port)), -1);
        QVERIFY(env.calls.isEmpty()); // the library is not called
        QVERIFY(env.prompter.asked().isEmpty());
    }
}

void TestSession::timeOut()
{
    TestInstance inst;
    inst.setSilent(true);
    QVERIFY(inst.start());
    Env env;
    env.store->writeInt("ConnectTimeoutSec", 1);
    CQHelper session(env.context());
    QCOMPARE(session.open(symbolFor(inst)), -2);
    QCOMPARE(env.calls.last().timeoutMs, 1000);
}

void TestSession::ownsAndBorrows()
{
    TestInstance inst;
    inst.on("1+1", kj(2));
    QVERIFY(inst.start());
    Env env;
    auto owner = std::make_unique<CQHelper>(env.context());
    const int h = owner->open(symbolFor(inst));
    QVERIFY(h > 0);
    {
        CQHelper borrower = CQHelper::borrowing(h);
        QVERIFY(!borrower.ownsHandle());
        borrower.close();
    }
    // The borrower's close and end left the handle working.
    KPtr reply(k(h, "1+1", static_cast<K>(nullptr)));
    QVERIFY(reply);
    QCOMPARE(reply->j, 2);
    owner.reset();
    QVERIFY(QTest::qWaitFor([&] { return inst.clientCount() == 0; }));
}

void TestSession::credentialResolution_data()
{
    QTest::addColumn<QString>("credentials"); // of the symbol
    QTest::addColumn<QString>("defUser");
    QTest::addColumn<QString>("defPass");
    QTest::addColumn<QString>("authMethod");
    QTest::addColumn<QString>("sent");
    QTest::newRow("given") << "u:p" << "du" << "dp" << "clear text" << "u:p";
    QTest::newRow("user only given") << "u" << "du" << "dp" << "clear text" << "u";
    QTest::newRow("none: defaults") << ":" << "du" << "dp" << "clear text" << "du:dp";
    QTest::newRow("none, no symbol colons") << "" << "du" << "dp" << "clear text" << "du:dp";
    QTest::newRow("default user only") << ":" << "du" << "" << "clear text" << "du";
    QTest::newRow("default password only") << ":" << "" << "dp" << "clear text" << "";
    QTest::newRow("password only, clear text") << ":pw" << "du" << "dp" << "clear text" << "du:dp";
    QTest::newRow("password only, plug-in") << ":pw" << "du" << "dp" << "testauth" << "plug:pw";
    QTest::newRow("plug-in gets the defaults") << ":" << "du" << "dp" << "testauth" << "plug:du:dp";
    QTest::newRow("method named in the input") << ":testauth?tok" << "" << "" << "clear text" << "plug:testauth?tok";
    QTest::newRow("unknown method falls back") << ":nosuch?tok" << "du" << "" << "clear text" << "du";
}

void TestSession::credentialResolution()
{
    QFETCH(QString, credentials);
    QFETCH(QString, defUser);
    QFETCH(QString, defPass);
    QFETCH(QString, authMethod);
    QFETCH(QString, sent);
    TestInstance inst;
    QVERIFY(inst.start());
    Env env;
    env.installPlugins();
    env.q.DefUser = defUser;
    env.q.DefPass = defPass;
    env.q.AuthMethod = authMethod;
    CQHelper session(env.context());
    QVERIFY(session.open(symbolFor(inst, credentials)) > 0);
    QCOMPARE(inst.handshakes().size(), 1);
    QCOMPARE(QString::fromLatin1(inst.handshakes()[0].credentials), sent);
}

void TestSession::pluginScan()
{
    Env env;
    env.installPlugins();
    QCOMPARE(env.plugins.methodNames(), QStringList({"noproc", "testauth"}));
    QCOMPARE(QFileInfo(env.plugins.pathOf("testauth")).fileName(), QFileInfo(TOVO_AUTHTEST_PLUGIN).fileName());
}

void TestSession::pluginErrors_data()
{
    QTest::addColumn<QString>("method");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("message");
    QTest::newRow("ERROR:") << "testauth" << QByteArray("ERROR: token expired")
                            << "Selected Auth method returned ERROR: token expired";
    QTest::newRow("error:") << "testauth" << QByteArray("error: no") << "Selected Auth method returned error: no";
    QTest::newRow("no export") << "noproc" << QByteArray()
                               << "Can't get proc address for GetCredentialString for selected Auth method ";
    QTest::newRow("unloadable") << "gone" << QByteArray() << "Can't load Dll for selected Auth method ";
}

// The message is shown and the connect goes on with empty credentials.
void TestSession::pluginErrors()
{
    QFETCH(QString, method);
    QFETCH(QByteArray, reply);
    QFETCH(QString, message);
    if (!reply.isEmpty())
        qputenv("TOVO_AUTHTEST_REPLY", reply);
    TestInstance inst;
    QVERIFY(inst.start());
    Env env;
    env.installPlugins();
    env.plugins.setMethod("gone", env.home.filePath("libauthgone.so"));
    env.q.DefUser = "du";
    env.q.AuthMethod = method;
    env.prompter.expectInform(message, Ic::Warning);
    CQHelper session(env.context());
    QVERIFY(session.open(symbolFor(inst)) > 0);
    QCOMPARE(env.prompter.pending(), 0);
    QCOMPARE(inst.handshakes()[0].credentials, QByteArray());
}

void TestSession::pluginLongCredentials()
{
    // Longer than the first buffer: the plug-in is asked again with more room.
    // (Longer than a handshake the test instance takes, so the call is observed.)
    const QByteArray token = "u:" + QByteArray(6000, 'k');
    qputenv("TOVO_AUTHTEST_REPLY", token);
    TestInstance inst;
    QVERIFY(inst.start());
    Env env;
    env.installPlugins();
    env.q.AuthMethod = "testauth";
    env.q.DefUser = "du";
    env.scripted = {0};
    CQHelper session(env.context());
    QCOMPARE(session.open(symbolFor(inst)), 0);
    QCOMPARE(env.calls.size(), 1);
    QCOMPARE(env.calls[0].credentials, token);
}

void TestSession::cacheRetry()
{
    QFETCH(bool, async);
    TestInstance inst;
    inst.setCredentials({"u:one"});
    QVERIFY(inst.start());
    Env env;
    env.installPlugins();
    env.q.AuthMethod = "testauth";
    env.q.DefUser = "du";
    CQHelper session(env.context());
    qputenv("TOVO_AUTHTEST_REPLY", "u:one");
    QVERIFY(openThrough(session, symbolFor(inst), async) > 0);
    QCOMPARE(env.cache.value("du:"), "u:one");

    // The instance now wants a new token: the cached one is refused, then the
    // plug-in is asked afresh and its answer cached.
    session.close();
    inst.setCredentials({"u:two"});
    qputenv("TOVO_AUTHTEST_REPLY", "u:two");
    QVERIFY(openThrough(session, symbolFor(inst), async) > 0);
    QList<QByteArray> sent;
    for (const ReceivedHandshake& hs : loginsOf(inst))
        sent << hs.credentials;
    QCOMPARE(sent, QList<QByteArray>({"u:one", "u:one", "u:two"}));
    QCOMPARE(env.cache.value("du:"), "u:two");

    // A refusal of fresh plug-in credentials does not loop.
    session.close();
    inst.setCredentials({"u:three"});
    QCOMPARE(openThrough(session, symbolFor(inst), async), 0); // cached u:two refused, fresh u:two refused
    QCOMPARE(loginsOf(inst).size(), 5);
}

// A cancelled connect leaves the session as it was: the open handle stays,
// the late result is closed, and the worker takes the next connect.
void TestSession::asyncCancelKeepsSession_data()
{
    QTest::addColumn<int>("timeoutSec");
    QTest::newRow("ConnectTimeoutSec 5") << 5;
    QTest::newRow("ConnectTimeoutSec 0: no limit") << 0;
}

void TestSession::asyncCancelKeepsSession()
{
    QFETCH(int, timeoutSec);
    TestInstance live;
    live.on("1+1", kj(2));
    QVERIFY(live.start());
    TestInstance silent;
    silent.setSilent(true);
    QVERIFY(silent.start());
    Env env;
    env.store->writeInt("ConnectTimeoutSec", timeoutSec);
    CQHelper session(env.context(false));
    const int h = openThrough(session, symbolFor(live), true);
    QVERIFY(h > 0);
    QList<int> results;
    QObject context;
    QSignalSpy login(silent.events(), &InstanceEvents::handshakeReceived);
    session.openAsync(symbolFor(silent), &context, [&](int r) { results << r; });
    QVERIFY(session.isConnecting());
    QVERIFY(login.wait(10000));
    session.cancelConnect();
    QCOMPARE(results, QList<int>({CQHelper::Cancelled})); // at once, not when the attempt gives up
    QVERIFY(!session.isConnecting());
    QCOMPARE(session.handle(), h);
    QVERIFY(QTest::qWaitFor([&] { return !session.worker().isBusy(); }, 10000));
    QCOMPARE(results.size(), 1);
    KPtr reply(k(h, "1+1", static_cast<K>(nullptr)));
    QVERIFY(reply);
    QCOMPARE(reply->j, 2);
    QVERIFY(openThrough(session, symbolFor(live), true) > 0);
}

void TestSession::tlsQuestions_data()
{
    QTest::addColumn<bool>("tlsBefore");
    QTest::addColumn<bool>("instanceTls");
    QTest::addColumn<bool>("trusted");         // the test certificate is trusted
    QTest::addColumn<QStringList>("accepted"); // by the instance; empty: anyone
    QTest::addColumn<QString>("credentials");  // of the symbol
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("expected"); // 1: connected
    QTest::addColumn<bool>("async");
    const QStringList up {"u:p"};
    for (bool async : {false, true}) {
        const char* mode = async ? " (async)" : "";
        auto row = [&](const char* name) { return &QTest::newRow(qPrintable(QString(name) + mode)); };
        *row("TLS on, plain instance, Yes") << true << false << true << up << "u:p" << int(A::Yes) << 1 << async;
        *row("TLS on, plain instance, No") << true << false << true << up << "u:p" << int(A::No) << -1 << async;
        *row("TLS off, TLS instance, Yes") << false << true << true << up << "u:p" << int(A::Yes) << 1 << async;
        *row("TLS off, TLS instance, no credentials, Yes")
            << false << true << true << QStringList() << ":" << int(A::Yes) << 1 << async;
        *row("TLS off, TLS instance, No") << false << true << true << up << "u:p" << int(A::No) << -1 << async;
        // The flipped setting is kept even when the retry fails.
        *row("TLS on, retry refused") << true << false << true << up << "u:x" << int(A::Yes) << 0 << async;
        *row("TLS off, retry fails verification")
            << false << true << false << up << "u:p" << int(A::Yes) << -3 << async;
    }
}

// Against real instances through the library: a TLS mismatch comes back as
// -1 and is asked about; Yes flips and saves EnableTLS and connects again.
void TestSession::tlsQuestions()
{
    QFETCH(bool, tlsBefore);
    QFETCH(bool, instanceTls);
    QFETCH(bool, trusted);
    QFETCH(QStringList, accepted);
    QFETCH(QString, credentials);
    QFETCH(int, answer);
    QFETCH(int, expected);
    QFETCH(bool, async);
    TestInstance inst;
    if (instanceTls)
        QVERIFY2(inst.enableTls(), qPrintable(inst.tlsError()));
    inst.setCredentials(accepted);
    inst.on("1+1", kj(2));
    QVERIFY(inst.start());
    if (trusted)
        trust(inst);
    Env env;
    env.q.EnableTLS = tlsBefore;
    // Turning TLS off needs a deliberate Yes: it would send the credentials in the clear.
    env.prompter.expect(tlsBefore ? notSupportingTls : onlyTls, "Tovo", B::YesNo, Ic::Warning, A(answer),
                        tlsBefore ? A::No : A::Yes);
    if (expected == -3) {
        const QString text = sslInfoText(env.q);
        env.prompter.expectInform(text, Ic::Warning);
        env.prompter.expectInform(text, Ic::Warning);
    }
    CQHelper session(env.context(false));
    const int result = openThrough(session, symbolFor(inst, credentials), async);
    QCOMPARE(env.prompter.pending(), 0);
    QCOMPARE(env.prompter.asked().count(tlsBefore ? notSupportingTls : onlyTls), 1); // not asked again after the retry
    if (answer == int(A::No)) {
        QCOMPARE(result, -1);
        QCOMPARE(env.q.EnableTLS, tlsBefore);
        QCOMPARE(env.store->readInt("EnableTLS", -1), -1);
        QCOMPARE(session.handle(), -1);
        return;
    }
    QCOMPARE(env.q.EnableTLS, !tlsBefore);
    QCOMPARE(env.store->readInt("EnableTLS", -1), tlsBefore ? 0 : 1);
    if (expected != 1) {
        QCOMPARE(result, expected);
        QCOMPARE(session.handle(), -1);
        return;
    }
    QVERIFY2(result > 0, qPrintable(QString::number(result)));
    QCOMPARE(session.handle(), result);
    KPtr reply(k(result, "1+1", static_cast<K>(nullptr)));
    QVERIFY(reply);
    QCOMPARE(reply->j, 2);
    // The retry was a kdb+ login of the other kind.
    const QList<ReceivedHandshake> logins = loginsOf(inst);
    QVERIFY(!logins.isEmpty());
    QVERIFY(logins.last().accepted);
    if (!instanceTls)
        QCOMPARE(inst.handshakes().size() - logins.size(), 1); // the first, TLS, attempt
}

void TestSession::tlsOnAgainstTlsInstance()
{
    TestInstance inst;
    QVERIFY2(inst.enableTls(), qPrintable(inst.tlsError()));
    QVERIFY(inst.start());
    trust(inst);
    Env env;
    env.q.EnableTLS = true;
    env.q.UseCapability = true;
    CQHelper session(env.context());
    QVERIFY(session.open(symbolFor(inst)) > 0);
    QCOMPARE(env.calls.last().capability, 3);
}

void TestSession::tlsSetupFailureShowsSslInfo()
{
    // A TLS instance whose certificate is not trusted: the handshake fails in
    // the verification, which the user must see, not a TLS mismatch.
    TestInstance inst;
    QVERIFY2(inst.enableTls(), qPrintable(inst.tlsError()));
    QVERIFY(inst.start());
    Env env;
    env.q.EnableTLS = true;
    const QString text = sslInfoText(env.q);
    QVERIFY2(text.contains("SSL_VERIFY_SERVER"), qPrintable(text));
    env.prompter.expectInform(text, Ic::Warning);
    env.prompter.expectInform(text, Ic::Warning);
    CQHelper session(env.context(false));
    QCOMPARE(session.open(symbolFor(inst)), -3);
    QCOMPARE(env.prompter.pending(), 0);
    QCOMPARE(session.handle(), -1);
    QVERIFY(env.q.EnableTLS);
}

void TestSession::emptyHostIsLocalhost()
{
    TestInstance inst;
    QVERIFY(inst.start());
    Env env;
    env.scripted = {0};
    CQHelper session(env.context());
    QCOMPARE(session.open(QStringLiteral("`::%1::").arg(inst.port())), 0);
    QCOMPARE(env.calls.size(), 1);
    QCOMPARE(env.calls[0].host, QByteArray("localhost"));
}

QTEST_GUILESS_MAIN(TestSession)
#include "tst_session.moc"
