// The demo shipped with Tovo: demo/demo.script answers every query of
// demo/demo.q with values of the shape its comments promise, and what Tovo's
// own features ask about the names defined there (Get source, the files of
// Go to Definition, watches of its variables). Starting it from Tovo is
// tst_demolaunch.
#include "InstanceNamespaces.h"
#include "InstanceScript.h"
#include "TestInstance.h"
#include "ValueNotation.h"

#include "kdb/KPtr.h"
#include "watch/WatchList.h"
#include "kdb/k.h"

#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QTest>

#include <map>

namespace {
QString sourceFile(const char* relative) { return QStringLiteral(TOVO_SOURCE_DIR "/") + QLatin1String(relative); }

QString readText(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
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

// The demo script's model lines of one kind ("ns-lambda" ...): name -> key=value words.
std::map<QString, QMap<QString, QString>> modelLines(const QString& kind)
{
    std::map<QString, QMap<QString, QString>> out;
    for (const QString& line : readText(sourceFile("demo/demo.script")).split(u'\n')) {
        if (!line.startsWith(kind + QStringLiteral(": ")))
            continue;
        QString rest = line.mid(kind.size() + 2);
        const qsizetype body = rest.indexOf(QLatin1String(" body="));
        QMap<QString, QString> words;
        if (body >= 0) {
            words[QStringLiteral("body")] = rest.mid(body + 6);
            rest.truncate(body);
        }
        const QStringList parts = rest.split(u' ', Qt::SkipEmptyParts);
        for (const QString& part : parts.mid(1))
            words[part.section(u'=', 0, 0)] = part.section(u'=', 1);
        out[parts.value(0)] = words;
    }
    return out;
}
} // namespace

class TestDemo : public QObject {
    Q_OBJECT
private slots:
    void answers_data();
    void answers();
    void everyQueryOfTheDemoFileIsScripted();
    void aggregatesAgreeWithTheTradeTable();
    void functionsSitAtTheirLinesOfDemoQ();
    void getSourceGivesEachFunction();
    void watchesOfTheVariables();
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
    QCOMPARE(asked, 17);
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

void TestDemo::functionsSitAtTheirLinesOfDemoQ()
{
    // Go to Definition reads the file text the files query gives and goes to
    // the function's line: each function of demo.q must be there, as in demo.q.
    DemoInstance demo;
    QVERIFY2(demo.start(), qPrintable(demo.error));
    const QStringList demoQ = readText(sourceFile("demo/demo.q")).split(u'\n');
    QMap<QString, QStringList> fileLines;
    int checked = 0;
    for (const auto& [name, words] : modelLines(QStringLiteral("ns-lambda"))) {
        const QString file = words.value(QStringLiteral("file"));
        const int line = words.value(QStringLiteral("line")).toInt();
        QVERIFY2(!file.isEmpty() && line > 0, qPrintable(name));
        if (!fileLines.contains(file))
            fileLines[file] = demo.instance.namespaces().fileText(file).split(u'\n');
        const QString expected = name + u':' + words.value(QStringLiteral("body"));
        QCOMPARE(fileLines[file].value(line - 1), expected);
        if (file == QLatin1String("/demo/demo.q")) {
            QCOMPARE(demoQ.value(line - 1), expected);
            ++checked;
        }
    }
    QCOMPARE(checked, 4); // the four definitions at the top of demo.q
    QVERIFY(fileLines.contains(QStringLiteral("/demo/risk.q")));
}

void TestDemo::getSourceGivesEachFunction()
{
    DemoInstance demo;
    QVERIFY2(demo.start(), qPrintable(demo.error));
    const auto lambdas = modelLines(QStringLiteral("ns-lambda"));
    QVERIFY(lambdas.size() >= 6);
    QString all = QStringLiteral("{x!{.:[x]}each x}(),{x@where {112h<>type .:[x]}each x}(),");
    for (const auto& [name, words] : lambdas) {
        // "Get source" evaluates the name: the lambda, its own text.
        KPtr f = demo.ask(name);
        QVERIFY2(f && f->t == 100, qPrintable(name));
        QCOMPARE(QString::fromUtf8(reinterpret_cast<const char*>(kC(kK(f.get())[1])), int(kK(f.get())[1]->n)),
                 words.value(QStringLiteral("body")));
        all += u'`' + name;
    }
    // "Get source (w/ all dependents)": one dictionary of them all.
    KPtr dictionary = demo.ask(all);
    QVERIFY(dictionary && dictionary->t == XD);
    QCOMPARE(kK(dictionary.get())[0]->n, J(lambdas.size()));
    // A name that is no function still gets the demo's own error.
    KPtr other = demo.ask(QStringLiteral(".demo.nosuch"));
    QVERIFY(other && other->t == KERR);
    QVERIFY(QString::fromUtf8(other->s).contains(QLatin1String("answers only the lines of demo.q")));
}

void TestDemo::watchesOfTheVariables()
{
    DemoInstance demo;
    QVERIFY2(demo.start(), qPrintable(demo.error));
    WatchList watches;
    const auto variables = modelLines(QStringLiteral("ns-variable"));
    QCOMPARE(int(variables.size()), 3);
    for (const auto& [name, words] : variables)
        watches.append(name, true);
    watches.append(QStringLiteral(".demo.nosuch"), true);
    const WatchList::Query query = watches.buildQuery();
    KPtr reply = demo.ask(query.text);
    QVERIFY(reply && reply->t == 0 && reply->n >= watches.size());
    // The watch query marks a failed expression with a symbol of "!SIGNAL!" and its error.
    auto failed = [&](int i) {
        K item = kK(reply.get())[i];
        return item->t == -KS && QByteArray(item->s).startsWith("!SIGNAL!");
    };
    for (int i = 0; i < int(variables.size()); ++i)
        QVERIFY2(!failed(i), qPrintable(watches.at(i).expression));
    QVERIFY(failed(watches.size() - 1));
    // Quick Watch sends the name itself.
    for (const auto& [name, words] : variables) {
        KPtr value = demo.ask(name);
        QVERIFY2(value && value->t != KERR, qPrintable(name));
        QCOMPARE(int(value->t), words.value(QStringLiteral("type")).toInt());
    }
}

QTEST_GUILESS_MAIN(TestDemo)
#include "tst_demo.moc"
