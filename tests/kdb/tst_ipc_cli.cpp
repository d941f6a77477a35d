// tovo-cli and tovo-test-instance as programs.
#include "TestInstance.h"

#include "kdb/KPtr.h"
#include "kdb/MessageCodec.h"
#include "kdb/MessageHeader.h"
#include "kdb/k.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Run runCli(const QStringList& args, const QByteArray& input = QByteArray())
{
    QProcess p;
    p.start(QStringLiteral(TOVO_CLI), args);
    Run r;
    if (!p.waitForStarted(10000))
        return r;
    p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(30000)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

} // namespace

class TestIpcCli : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void query_data();
    void query();
    void queryInProcessInstance();
    void escapesOnTerminal();
    void decode_data();
    void decode();
    void reencodeCompressed();

private:
    QTemporaryDir m_dir;
    QProcess m_instance;
    int m_port = 0;
};

void TestIpcCli::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const QString script = m_dir.filePath(QStringLiteral("script.txt"));
    QFile f(script);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("# a scripted instance\n"
            "credentials: u:p\n"
            "query: 1+1\n"
            "reply: 2\n"
            "pattern: ^select\n"
            "reply: ([] a:1 2; b:`x`y)\n"
            "query: bad\n"
            "error: type\n"
            "query: forever\n"
            "reply: 1\n"
            "delay: 600000\n"
            "query: undecodable\n"
            "raw: 0x0102000016000000060003000000" "0100000002000000\n"
            "query: escapes\n"
            "raw: 0x0102000011000000" "80611b5b33316d6200\n");
    f.close();
    m_instance.start(QStringLiteral(TOVO_INSTANCE), {script});
    QVERIFY(m_instance.waitForStarted(10000));
    QVERIFY(m_instance.waitForReadyRead(10000));
    const QString line = QString::fromUtf8(m_instance.readLine());
    const auto m = QRegularExpression(QStringLiteral("listening on 127.0.0.1:(\\d+)")).match(line);
    QVERIFY2(m.hasMatch(), qPrintable(line));
    m_port = m.captured(1).toInt();
}

void TestIpcCli::cleanupTestCase()
{
    m_instance.terminate();
    QVERIFY(m_instance.waitForFinished(10000));
    QCOMPARE(m_instance.exitCode(), 0);
}

void TestIpcCli::query_data()
{
    QTest::addColumn<QString>("login");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out"); // a pattern: the console renderer decides the details
    QTest::addColumn<QString>("err");
    QTest::newRow("value") << ":u:p" << "1+1" << 0 << "^2j?\n$" << "";
    QTest::newRow("table") << ":u:p" << "select from t" << 0 << "`x`y" << "";
    QTest::newRow("q error") << ":u:p" << "bad" << 1 << "^$" << "'type\n";
    QTest::newRow("refused credentials") << ":u:x" << "1+1" << 1 << "^$" << "access denied";
    QTest::newRow("never answers: the time-out bounds the query") << ":u:p" << "forever" << 1 << "^$" << "timed out";
    QTest::newRow("undecodable reply") << ":u:p" << "undecodable" << 1 << "^$"
                                       << "reply could not be decoded: d9: count larger than the message";
    QTest::newRow("control characters go out as they are into a pipe") << ":u:p" << "escapes" << 1 << "^$"
                                                                       << "'a\x1b[31mb\n";
}

void TestIpcCli::query()
{
    QFETCH(QString, login);
    QFETCH(QString, text);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);
    const Run r = runCli({"query", QStringLiteral("127.0.0.1:%1%2").arg(m_port).arg(login), text, "--timeout", "5000"});
    QCOMPARE(r.exitCode, exitCode);
    QVERIFY2(QString::fromUtf8(r.out).contains(QRegularExpression(out)), r.out.constData());
    QVERIFY2(QString::fromUtf8(r.err).contains(err), r.err.constData());
    if (exitCode != 0)
        QCOMPARE(r.err.count('\n'), 1);
}

void TestIpcCli::queryInProcessInstance()
{
    TestInstance inst;
    inst.enableTls();
    inst.on("x", ks("ok"));
    QVERIFY(inst.start());
    // The certificate is trusted through the environment, as kdb+ reads it.
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("SSL_CA_CERT_FILE", inst.certificateFile());
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(TOVO_CLI), {"query", QStringLiteral("127.0.0.1:%1").arg(inst.port()), "x", "--tls"});
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), 0);
    QVERIFY(p.readAllStandardOutput().contains("`ok"));
    // Without the trust: a TLS failure, reported on one line.
    const Run r = runCli({"query", QStringLiteral("127.0.0.1:%1").arg(inst.port()), "x", "--tls"});
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.err.contains("TLS"), r.err.constData());
}

void TestIpcCli::escapesOnTerminal()
{
    // script(1) gives the program a terminal as standard output.
    const QString script = QStandardPaths::findExecutable(QStringLiteral("script"));
    if (script.isEmpty())
        QSKIP("no script(1) to make a terminal");
    const QString command = QStringLiteral("%1 query 127.0.0.1:%2:u:p escapes").arg(QStringLiteral(TOVO_CLI)).arg(m_port);
    QProcess p;
    p.start(script, {"-qec", command, "/dev/null"});
    QVERIFY(p.waitForFinished(30000));
    const QByteArray out = p.readAllStandardOutput();
    QVERIFY2(out.contains("a\\x1b[31mb"), out.toHex().constData());
    QVERIFY(!out.contains('\x1b'));
}

void TestIpcCli::decode_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out"); // a pattern: the console renderer decides the details
    // KX's serialisation examples.
    QTest::newRow("int, hex") << QStringList {"--hex"} << QByteArray("0x010000000d000000fa01000000\n") << 0
                              << "^1i?\n$";
    QTest::newRow("int vector, spaced hex") << QStringList {"--hex"}
                                            << QByteArray("01000000 12000000\n06000100 00000100 0000") << 0
                                            << "^(enlist |,)1i?\n$";
    QTest::newRow("raw bytes") << QStringList() << QByteArray::fromHex("010000000d000000fa01000000") << 0
                               << "^1i?\n$";
    QTest::newRow("q error message") << QStringList {"--hex"} << QByteArray("010200000e000000" "807479706500") << 0
                                     << "'type";
    QTest::newRow("truncated") << QStringList {"--hex"} << QByteArray("0100000011000000fa01000000") << 1 << "^$";
    QTest::newRow("not hex") << QStringList {"--hex"} << QByteArray("01zz") << 1 << "^$";
    QTest::newRow("empty input") << QStringList() << QByteArray() << 1 << "^$";
}

void TestIpcCli::decode()
{
    QFETCH(QStringList, args);
    QFETCH(QByteArray, input);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    const Run r = runCli(QStringList {"decode"} + args, input);
    QCOMPARE(r.exitCode, exitCode);
    QVERIFY2(QString::fromUtf8(r.out).contains(QRegularExpression(out)), r.out.constData());
    QCOMPARE(r.err.count('\n'), exitCode ? 1 : 0);
}

void TestIpcCli::reencodeCompressed()
{
    K x = ktn(KJ, 5000);
    for (J i = 0; i < x->n; ++i)
        kJ(x)[i] = i % 10;
    std::vector<char> plain, packed;
    std::string error;
    QVERIFY(kdb::MessageCodec::encode(x, kdb::MsgResponse, kdb::CapGuid, true, plain, error));
    r0(x);
    QVERIFY(kdb::MessageCodec::compress(plain, packed));
    const QByteArray packedBytes(packed.data(), qsizetype(packed.size()));
    const QByteArray plainBytes(plain.data(), qsizetype(plain.size()));

    Run r = runCli({"reencode"}, packedBytes);
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.out, plainBytes);
    r = runCli({"reencode", "--hex"}, packedBytes.toHex());
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.out, "0x" + plainBytes.toHex() + "\n");
}

QTEST_GUILESS_MAIN(TestIpcCli)
#include "tst_ipc_cli.moc"
