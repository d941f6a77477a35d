// TLS connections: verified, relaxed, refused, and mismatched with plain servers.
#include "TestInstance.h"

#include "kdb/KPtr.h"
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
    void tlsToPlainServer();
    void plainToTlsServer();
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

void TestIpcTls::tlsToPlainServer()
{
    kdb::TlsClientSettings s;
    s.verifyServer = false;
    kdb::setTlsClientSettings(s);
    for (bool anyone : {true, false}) {
        TestInstance plain;
        if (!anyone)
            plain.setCredentials({"u:p"});
        QVERIFY(plain.start());
        QCOMPARE(khpunc("127.0.0.1", plain.port(), "u:p", 3000, kTls), -3);
    }
}

void TestIpcTls::plainToTlsServer()
{
    // The TLS server rejects the plain handshake as a bad record and closes,
    // which looks like refused credentials (0), or answers with an alert,
    // which is no kdb+ answer (-1); it never waits for the time-out.
    const int h = khpunc("127.0.0.1", m_tls.port(), "user:password", 3000, 0);
    QVERIFY2(h == 0 || h == -1, QByteArray::number(h));
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
