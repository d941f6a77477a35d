// The demo shipped with Tovo: demo/demo.script answers every query of
// demo/demo.q with values of the shape its comments promise, and
// scripts/run.sh starts the demo instance beside Tovo, lists it in the server
// list once, points Tovo at it and stops it when Tovo exits.
#include "InstanceScript.h"
#include "TestInstance.h"
#include "ValueNotation.h"

#include "kdb/KPtr.h"
#include "kdb/k.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cerrno>
#include <map>

namespace {
QString sourceFile(const char* relative) { return QStringLiteral(TOVO_SOURCE_DIR "/") + QLatin1String(relative); }

QString readText(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// A port free on loopback just now.
int freePort()
{
    TestInstance probe;
    return probe.start(0) ? probe.port() : 0;
}

// The demo instance in this process, and a handle to it.
struct DemoInstance {
    TestInstance instance;
    int handle = 0;
    QString error;
    bool start()
    {
        InstanceScript::Settings settings;
        if (!InstanceScript::apply(readText(sourceFile("demo/demo.script")), instance, settings, &error))
            return false;
        if (!instance.start(0))
            return false;
        handle = khpunc("127.0.0.1", instance.port(), "", 5000, 0);
        return handle > 0;
    }
    KPtr ask(const QString& query) { return KPtr(k(handle, query.toUtf8().data(), static_cast<K>(nullptr))); }
    ~DemoInstance()
    {
        if (handle > 0)
            kclose(handle);
    }
};

K column(K table, const char* name)
{
    K names = kK(table->k)[0];
    for (J i = 0; i < names->n; ++i)
        if (qstrcmp(kS(names)[i], name) == 0)
            return kK(kK(table->k)[1])[i];
    return nullptr;
}

struct Launch {
    int exitCode = -1;
    QString errors;
    long long instancePid = 0;
};

Launch runScript(const QString& home, const QString& config, int port, const QStringList& arguments)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TOVO_SKIP_BUILD"), QStringLiteral("1"));
    env.insert(QStringLiteral("TOVO_EXE"), QStringLiteral(TOVO_EXE));
    env.insert(QStringLiteral("TOVO_INSTANCE_EXE"), QStringLiteral(TOVO_INSTANCE_EXE));
    env.insert(QStringLiteral("TOVO_QUIT_WHEN_IDLE"), QStringLiteral("1"));
    env.insert(QStringLiteral("TOVO_DEMO_PORT"), QString::number(port));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral("bash"), QStringList {sourceFile("scripts/run.sh"), QStringLiteral("--homedir:") + home} + arguments);
    Launch launch;
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        return launch;
    }
    launch.exitCode = process.exitCode();
    launch.errors = QString::fromUtf8(process.readAllStandardError());
    const auto pid = QRegularExpression(QStringLiteral(R"(demo instance on 127\.0\.0\.1:\d+ \(pid (\d+)\))")).match(launch.errors);
    if (pid.hasMatch())
        launch.instancePid = pid.captured(1).toLongLong();
    return launch;
}

bool processAlive(long long pid) { return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH; }

// The server Tovo was started with, from the command line run.sh reports.
QString startedWithServer(const Launch& launch)
{
    return QRegularExpression(QStringLiteral(R"((?m)^run\.sh: \S*tovo .*--server:(\S+))")).match(launch.errors).captured(1);
}
} // namespace

class TestDemo : public QObject {
    Q_OBJECT
private slots:
    void answers_data();
    void answers();
    void everyQueryOfTheDemoFileIsScripted();
    void aggregatesAgreeWithTheTradeTable();
    void launchPath();
    void ownServerListAndNoDemo();
};

void TestDemo::answers_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<int>("type");
    QTest::addColumn<long long>("count");   // items, rows or keys; -1 for atoms
    QTest::addColumn<QString>("columns");   // a table's columns, a dictionary's keys, or an atom's text
    QTest::newRow("a million trades") << "select from trade" << int(XT) << 1000000LL << "`time`sym`price`size";
    QTest::newRow("quotes") << "10#quote" << int(XT) << 10LL << "`time`sym`bid`ask`bsize`asize";
    QTest::newRow("keyed by sym") << "select vwap:size wavg price, volume:sum size by sym from trade" << int(XD) << 8LL << "enlist `sym";
    QTest::newRow("keyed reference data") << "refdata" << int(XD) << 8LL << "enlist `sym";
    QTest::newRow("two-column key") << "positions" << int(XD) << 4LL << "`acct`sym";
    QTest::newRow("dictionary") << ".demo.limits" << int(XD) << 8LL << "`AAPL`MSFT`GOOG`AMZN`IBM`JPM`XOM`TSLA";
    QTest::newRow("function result") << ".demo.report`AAPL" << int(XD) << 4LL << "`sym`vwap`spread`ok";
    QTest::newRow("atom") << ".demo.vwap`AAPL" << -KF << -1LL << "189.095";
    QTest::newRow("list") << "til 10" << int(KJ) << 10LL << "0 1 2 3 4 5 6 7 8 9";
    QTest::newRow("tickerplant tables") << ".u.t" << int(KS) << 2LL << "`trade`quote";
}

void TestDemo::answers()
{
    QFETCH(QString, query);
    QFETCH(int, type);
    QFETCH(long long, count);
    QFETCH(QString, columns);
    DemoInstance demo;
    QVERIFY2(demo.start(), qPrintable(demo.error));
    KPtr x = demo.ask(query);
    QVERIFY(x);
    QCOMPARE(int(x->t), type);
    if (x->t == XT) {
        QCOMPARE(ValueNotation::format(kK(x->k)[0]), columns);
        QCOMPARE(kK(kK(x->k)[1])[0]->n, count);
    } else if (x->t == XD && kK(x.get())[0]->t == XT) {
        QCOMPARE(ValueNotation::format(kK(kK(x.get())[0]->k)[0]), columns);
        QCOMPARE(kK(kK(kK(x.get())[0]->k)[1])[0]->n, count);
    } else if (x->t == XD) {
        QCOMPARE(ValueNotation::format(kK(x.get())[0]), columns);
        QCOMPARE(kK(x.get())[0]->n, count);
    } else {
        QCOMPARE(ValueNotation::format(x.get()), columns);
        if (count >= 0)
            QCOMPARE(x->n, count);
    }
}

void TestDemo::everyQueryOfTheDemoFileIsScripted()
{
    DemoInstance demo;
    QVERIFY2(demo.start(), qPrintable(demo.error));
    const QString defaultError = QRegularExpression(QStringLiteral("(?m)^default-error: (.*)$"))
                                     .match(readText(sourceFile("demo/demo.script")))
                                     .captured(1);
    QVERIFY(!defaultError.isEmpty());
    // The lines after the definitions: comments, blanks and queries.
    const QStringList lines = readText(sourceFile("demo/demo.q")).split(u'\n');
    int asked = 0;
    std::map<QString, int> kinds;
    for (const QString& line : lines) {
        if (line.isEmpty() || line.startsWith(u'/') || line.contains(QLatin1String(":{")) || line == QLatin1String(".demo.slow[]"))
            continue;
        KPtr x = demo.ask(line);
        QVERIFY2(x, qPrintable(line));
        if (x->t == KERR) {
            QVERIFY2(QString::fromUtf8(x->s) != defaultError, qPrintable(line));
            ++kinds[QStringLiteral("error")];
        } else if (x->t == KG) {
            QVERIFY2(QByteArray(reinterpret_cast<const char*>(kG(x.get())), 8) == QByteArray("\x89PNG\r\n\x1a\n", 8), qPrintable(line));
            ++kinds[QStringLiteral("picture")];
        } else if (x->t == KC) {
            QVERIFY2(QByteArray(reinterpret_cast<const char*>(kC(x.get())), 6).toUpper() == "<HTML>", qPrintable(line));
            ++kinds[QStringLiteral("html")];
        }
        ++asked;
    }
    QCOMPARE(asked, 15);
    QCOMPARE(kinds[QStringLiteral("picture")], 1);
    QCOMPARE(kinds[QStringLiteral("html")], 1);
    QCOMPARE(kinds[QStringLiteral("error")], 1);
    // A line the demo does not know gets the default error, which says so.
    KPtr unknown = demo.ask(QStringLiteral("count trade"));
    QCOMPARE(int(unknown->t), int(KERR));
    QCOMPARE(QString::fromUtf8(unknown->s), defaultError);
}

void TestDemo::aggregatesAgreeWithTheTradeTable()
{
    // The scripted aggregate shows what q would compute from the scripted trades.
    DemoInstance demo;
    QVERIFY2(demo.start(), qPrintable(demo.error));
    KPtr trades = demo.ask(QStringLiteral("select from trade"));
    KPtr byKey = demo.ask(QStringLiteral("select vwap:size wavg price, volume:sum size by sym from trade"));
    KPtr vwapAapl = demo.ask(QStringLiteral(".demo.vwap`AAPL"));
    QVERIFY(trades && byKey && vwapAapl);
    K sym = column(trades.get(), "sym"), price = column(trades.get(), "price"), size = column(trades.get(), "size");
    QVERIFY(sym && price && size);
    std::map<QByteArray, std::pair<double, long long>> totals;
    for (J i = 0; i < sym->n; ++i) {
        auto& t = totals[QByteArray(kS(sym)[i])];
        t.first += kF(price)[i] * static_cast<double>(kJ(size)[i]);
        t.second += kJ(size)[i];
    }
    K keys = kK(kK(byKey.get())[0]->k)[1], values = kK(byKey.get())[1];
    K keySyms = kK(keys)[0], vwap = column(values, "vwap"), volume = column(values, "volume");
    QVERIFY(vwap && volume);
    QCOMPARE(keySyms->n, static_cast<J>(totals.size()));
    for (J i = 0; i < keySyms->n; ++i) {
        const auto& t = totals.at(QByteArray(kS(keySyms)[i]));
        QCOMPARE(kJ(volume)[i], t.second);
        QVERIFY2(qAbs(kF(vwap)[i] - t.first / static_cast<double>(t.second)) < 0.0005, kS(keySyms)[i]);
    }
    const auto& aapl = totals.at("AAPL");
    QVERIFY(qAbs(vwapAapl->f - aapl.first / static_cast<double>(aapl.second)) < 0.0005);
}

void TestDemo::launchPath()
{
    QTemporaryDir dir;
    const QString home = dir.filePath(QStringLiteral("home")), config = dir.filePath(QStringLiteral("config"));
    const int port = freePort();
    QVERIFY(port > 0);
    const QString entry = QStringLiteral("`:127.0.0.1:%1::`Demo`trades and quotes\r\n").arg(port);
    for (int run = 1; run <= 2; ++run) {
        const Launch launch = runScript(home, config, port, {});
        QCOMPARE(launch.exitCode, 0);
        QVERIFY2(launch.instancePid > 0, qPrintable(launch.errors));
        QVERIFY2(!processAlive(launch.instancePid), "the demo instance outlived Tovo");
        // Added on the first run, not again on the second.
        QCOMPARE(readText(home + QStringLiteral("/Servers.cfg")), entry);
        QCOMPARE(startedWithServer(launch), QStringLiteral("`:127.0.0.1:%1::").arg(port));
        // The demo file opens on the first run only (afterwards the last session's documents).
        QCOMPARE(launch.errors.contains(QLatin1String("demo/demo.q")), run == 1);
    }
}

void TestDemo::ownServerListAndNoDemo()
{
    QTemporaryDir dir;
    const QString home = dir.filePath(QStringLiteral("home")), config = dir.filePath(QStringLiteral("config"));
    QVERIFY(QDir().mkpath(home));
    const int port = freePort();
    const QByteArray own = "`:dbhost:5001::`Production`ticker"; // no line break at the end
    {
        QFile f(home + QStringLiteral("/Servers.cfg"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(own);
    }
    // A list of the user's own gets the Demo folder but Tovo is not pointed at it.
    const Launch withList = runScript(home, config, port, {});
    QCOMPARE(withList.exitCode, 0);
    QVERIFY(withList.instancePid > 0);
    QVERIFY(!processAlive(withList.instancePid));
    QCOMPARE(readText(home + QStringLiteral("/Servers.cfg")),
             QString::fromLatin1(own) + QStringLiteral("\r\n`:127.0.0.1:%1::`Demo`trades and quotes\r\n").arg(port));
    QVERIFY2(withList.errors.contains(QLatin1String("run.sh: ")), qPrintable(withList.errors));
    QCOMPARE(startedWithServer(withList), QString());
    // --no-demo and --server: start Tovo alone: no instance, the list untouched.
    const QString before = readText(home + QStringLiteral("/Servers.cfg"));
    for (const QStringList& arguments : {QStringList {QStringLiteral("--no-demo")}, QStringList {QStringLiteral("--server:`:127.0.0.1:1")}}) {
        const Launch alone = runScript(home, config, port, arguments);
        QCOMPARE(alone.exitCode, 0);
        QCOMPARE(alone.instancePid, 0LL);
        QCOMPARE(readText(home + QStringLiteral("/Servers.cfg")), before);
    }
}

QTEST_GUILESS_MAIN(TestDemo)
#include "tst_demo.moc"
