// TLS connections: verified, relaxed, refused, and mismatched with plain servers
// (either side).
#include "TestInstance.h"

#include "kdb/KPtr.h"
#include "kdb/Socket.h"
#include "kdb/k.h"
#include "kdb/kerror.h"

#include <QTest>

namespace {

constexpr int kTls = 2;

QString dictText(K dict, const char* key)
{
    K keys = kK(dict)[0];
    K values = kK(dict)[1];
    for (J i = 0; i < keys->n; ++i)
        if (QByteArray(kS(keys)[i]) == key) {
            K v = kK(values)[i];
            return QString::fromUtf8(kC(v), static_cast<int>(v->n));
        }
    return QStringLiteral("<missing>");
}

} // namespace

class TestIpcTls : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void connectTrusted();
    void verificationFailure_data();
    void verificationFailure();
    void mismatch_data();
    void mismatch();
    void unreachablePort();
    void sslInfoDescribesSettings();
    void unloadableCaFile();

private:
    TestInstance m_tls;
};

void TestIpcTls::initTestCase()
{
    QVERIFY2(m_tls.enableTls(), qPrintable(m_tls.tlsError()));
    m_tls.setCredentials({"u:p"});
    m_tls.on("1+1", kj(2));
    QVERIFY(m_tls.start());
}

void TestIpcTls::cleanup() { kdb::setTlsClientSettings(kdb::TlsClientSettings {}); }

void TestIpcTls::connectTrusted()
{
    kdb::TlsClientSettings s;
    s.caCertFile = m_tls.certificateFile().toStdString();
    kdb::setTlsClientSettings(s);
    for (const char* host : {"127.0.0.1", "localhost"}) {
        const int h = khpunc(host, m_tls.port(), "u:p", 3000, kTls);
        QVERIFY2(h > 0, kdb::lastError().c_str());
        KPtr r(k(h, "1+1", static_cast<K>(nullptr)));
        QVERIFY(r);
        QCOMPARE(r->j, 2LL);
        kclose(h);
    }
    // Credentials are still checked inside TLS.
    QCOMPARE(khpunc("127.0.0.1", m_tls.port(), "u:x", 3000, kTls), 0);
}

void TestIpcTls::verificationFailure_data()
{
    QTest::addColumn<bool>("trustIssuer");
    QTest::addColumn<QString>("names");
    QTest::newRow("unknown issuer") << false << "IP:127.0.0.1";
    QTest::newRow("host not named") << true << "DNS:elsewhere.invalid";
}

void TestIpcTls::verificationFailure()
{
    QFETCH(bool, trustIssuer);
    QFETCH(QString, names);
    TestInstance server;
    QVERIFY(server.enableTls(names));
    QVERIFY(server.start());
    kdb::TlsClientSettings s;
    if (trustIssuer)
        s.caCertFile = server.certificateFile().toStdString();
    kdb::setTlsClientSettings(s);
    QCOMPARE(khpunc("127.0.0.1", server.port(), "", 3000, kTls), -3);
    QVERIFY2(QByteArray::fromStdString(kdb::lastError()).contains("certificate"), kdb::lastError().c_str());
    // The same server passes once verification is off.
    s.verifyServer = false;
    kdb::setTlsClientSettings(s);
    const int h = khpunc("127.0.0.1", server.port(), "", 3000, kTls);
    QVERIFY(h > 0);
    kclose(h);
}

void TestIpcTls::mismatch_data()
{
    QTest::addColumn<bool>("serverTls");
    QTest::addColumn<QStringList>("accepted"); // empty: anyone
    QTest::addColumn<int>("capability");
    QTest::addColumn<QByteArray>("credentials");
    QTest::addColumn<int>("expected"); // 1: a handle
    const QStringList up {"u:p"};
    // The plain instance answers the ClientHello's "login" and waits for a message.
    QTest::newRow("TLS client, plain instance answering") << false << QStringList() << kTls << QByteArray("u:p") << -1;
    QTest::newRow("TLS client, plain instance closing") << false << up << kTls << QByteArray("u:p") << -1;
    // The TLS instance drops a login that is no TLS record at once...
    QTest::newRow("plain client, TLS instance") << true << up << 0 << QByteArray("user:password") << -1;
    // ...but waits for more after one shorter than a record header.
    QTest::newRow("plain client, TLS instance, no credentials") << true << QStringList() << 0 << QByteArray() << -1;
    QTest::newRow("plain client, TLS instance, short credentials") << true << QStringList() << 0 << QByteArray("ab") << -1;
    QTest::newRow("plain client, plain instance, wrong credentials") << false << up << 0 << QByteArray("u:x") << 0;
    QTest::newRow("plain client, plain instance, no credentials") << false << up << 0 << QByteArray() << 0;
    QTest::newRow("TLS client, TLS instance") << true << up << kTls << QByteArray("u:p") << 1;
    QTest::newRow("TLS client, TLS instance, wrong credentials") << true << up << kTls << QByteArray("u:x") << 0;
}

// A client and an instance that disagree on TLS give -1 (what the session
// asks about), well before the time-out; refused credentials stay 0.
void TestIpcTls::mismatch()
{
    QFETCH(bool, serverTls);
    QFETCH(QStringList, accepted);
    QFETCH(int, capability);
    QFETCH(QByteArray, credentials);
    QFETCH(int, expected);
    TestInstance server;
    if (serverTls)
        QVERIFY2(server.enableTls(), qPrintable(server.tlsError()));
    server.setCredentials(accepted);
    server.on("1+1", kj(2));
    QVERIFY(server.start());
    kdb::TlsClientSettings s;
    s.caCertFile = server.certificateFile().toStdString();
    kdb::setTlsClientSettings(s);

    const int h = khpunc("127.0.0.1", server.port(), credentials.constData(), 10000, capability);
    if (expected == 1) {
        QVERIFY2(h > 0, kdb::lastError().c_str());
        KPtr r(k(h, "1+1", static_cast<K>(nullptr)));
        QVERIFY(r);
        QCOMPARE(r->j, 2LL);
        kclose(h);
    } else {
        QVERIFY2(h == expected, qPrintable(QStringLiteral("%1: %2").arg(h).arg(kdb::lastError().c_str())));
    }
    if (!serverTls && capability == 0) {
        // The refusal was checked with one TLS probe, which the plain instance saw as a login.
        int probes = 0;
        for (const ReceivedHandshake& hs : server.handshakes())
            probes += hs.tlsHello ? 1 : 0;
        QCOMPARE(probes, 1);
    }
    // The instance survived the mismatch and still serves the right kind of client.
    const int good = khpunc("127.0.0.1", server.port(), "u:p", 10000, serverTls ? kTls : 0);
    QVERIFY2(good > 0, kdb::lastError().c_str());
    kclose(good);
}

void TestIpcTls::unreachablePort()
{
    // A port that was just free: bind, note it, close.
    kdb::Socket probe;
    QVERIFY(probe.listen("127.0.0.1", 0));
    const int port = probe.localPort();
    probe.close();
    kdb::TlsClientSettings s;
    s.verifyServer = false;
    kdb::setTlsClientSettings(s);
    QCOMPARE(khpunc("127.0.0.1", port, "u:p", 10000, kTls), -1);
}

void TestIpcTls::sslInfoDescribesSettings()
{
    kdb::TlsClientSettings s;
    s.verifyServer = false;
    s.caCertFile = m_tls.certificateFile().toStdString();
    kdb::setTlsClientSettings(s);
    KPtr info(ee(sslInfo(nullptr)));
    QVERIFY(info);
    QCOMPARE(int(info->t), XD);
    QCOMPARE(dictText(info.get(), "SSL_VERIFY_SERVER"), QString("NO"));
    QCOMPARE(dictText(info.get(), "SSL_CA_CERT_FILE"), m_tls.certificateFile());
    QVERIFY(dictText(info.get(), "SSLEAY_VERSION").startsWith("OpenSSL"));
}

void TestIpcTls::unloadableCaFile()
{
    kdb::TlsClientSettings s;
    s.caCertFile = "/nonexistent/ca.pem";
    kdb::setTlsClientSettings(s);
    QCOMPARE(khpunc("127.0.0.1", m_tls.port(), "u:p", 3000, kTls), -3);
    QVERIFY(!sslInfo(nullptr));
    KPtr error(ee(sslInfo(nullptr)));
    QCOMPARE(int(error->t), KERR);
    QVERIFY2(QByteArray(error->s).contains("/nonexistent/ca.pem"), error->s);
}

QTEST_GUILESS_MAIN(TestIpcTls)
#include "tst_ipc_tls.moc"
