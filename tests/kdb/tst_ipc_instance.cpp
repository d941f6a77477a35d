// The test instance's value notation and script format.
#include "InstanceScript.h"
#include "TestInstance.h"
#include "ValueNotation.h"

#include "kdb/KPtr.h"
#include "kdb/k.h"

#include <QTest>

class TestIpcInstance : public QObject {
    Q_OBJECT
private slots:
    void notation_data();
    void notation();
    void notationErrors_data();
    void notationErrors();
    void scriptRules();
    void scriptGeneratedTable();
    void scriptErrors_data();
    void scriptErrors();
};

void TestIpcInstance::notation_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("formatted"); // the canonical form, which parses to the same value
    QTest::newRow("long") << "42" << -KJ << "42";
    QTest::newRow("negative int") << "-7i" << -KI << "-7i";
    QTest::newRow("float") << "1.5" << -KF << "1.5";
    QTest::newRow("whole float") << "2f" << -KF << "2f";
    QTest::newRow("real") << "1.5e" << -KE << "1.5e";
    QTest::newRow("long null") << "0N" << -KJ << "0N";
    QTest::newRow("short vector, letter at the end") << "1 2 3h" << int(KH) << "1 2 3h";
    QTest::newRow("mixed numbers become floats") << "1 2.5" << int(KF) << "1 2.5";
    QTest::newRow("booleans") << "101b" << int(KB) << "101b";
    QTest::newRow("bytes") << "0x0aff" << int(KG) << "0x0aff";
    QTest::newRow("string with escapes") << R"("a\"b\n")" << int(KC) << R"("a\"b\n")";
    QTest::newRow("char") << R"("x")" << -KC << R"("x")";
    QTest::newRow("symbols") << "`a`b.c" << int(KS) << "`a`b.c";
    QTest::newRow("one-item vector") << "enlist 5" << int(KJ) << "enlist 5";
    QTest::newRow("date") << "2024.02.29" << -KD << "2024.02.29";
    QTest::newRow("timestamp") << "2000.01.02D03:04:05.000000006" << -KP << "2000.01.02D03:04:05.000000006";
    QTest::newRow("month") << "1999.12m" << -KM << "1999.12m";
    QTest::newRow("time") << "10:20:30.040" << -KT << "10:20:30.040";
    QTest::newRow("timespan") << "1D02:00:00.5" << -KN << "1D02:00:00.500000000";
    QTest::newRow("generic null") << "::" << int(KUNARY) << "::";
    QTest::newRow("general list") << "(1;`a;\"xy\")" << 0 << "(1;`a;\"xy\")";
    QTest::newRow("empty list") << "()" << 0 << "()";
    QTest::newRow("dictionary") << "`a`b!1 2" << int(XD) << "`a`b!1 2";
    QTest::newRow("table") << "([] a:1 2; b:`x`y)" << int(XT) << "([] a:1 2; b:`x`y)";
    QTest::newRow("keyed table") << "([k:1 2] v:`x`y)" << int(XD) << "([k:1 2] v:`x`y)";
    QTest::newRow("lambda") << "{[x] x+1}" << int(KLAMBDA) << "{[x] x+1}";
}

void TestIpcInstance::notation()
{
    QFETCH(QString, text);
    QFETCH(int, type);
    QFETCH(QString, formatted);
    QString error;
    KPtr x = ValueNotation::parse(text, &error);
    QVERIFY2(x, qPrintable(error));
    QCOMPARE(int(x->t), type);
    QCOMPARE(ValueNotation::format(x.get()), formatted);
    KPtr again = ValueNotation::parse(formatted, &error);
    QVERIFY2(again, qPrintable(error));
    QCOMPARE(ValueNotation::format(again.get()), formatted);
}

void TestIpcInstance::notationErrors_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << "";
    QTest::newRow("fraction with int letter") << "1.5i";
    QTest::newRow("unclosed list") << "(1;2";
    QTest::newRow("unclosed string") << "\"abc";
    QTest::newRow("unclosed lambda") << "{x+";
    QTest::newRow("odd hex") << "0x123";
    QTest::newRow("atom column") << "([] a:1)";
    QTest::newRow("columns of different lengths") << "([] a:1 2; b:1 2 3)";
    QTest::newRow("trailing text") << "1 2 )";
    QTest::newRow("not a value") << "hello";
}

void TestIpcInstance::notationErrors()
{
    QFETCH(QString, text);
    QString error;
    QVERIFY(!ValueNotation::parse(text, &error));
    QVERIFY(!error.isEmpty());
}

void TestIpcInstance::scriptRules()
{
    TestInstance inst;
    InstanceScript::Settings settings;
    QString error;
    const bool ok = InstanceScript::apply(QStringLiteral("credentials: u:p\n"
                                                         "# a general list matches by its notation\n"
                                                         "query: (\"{x+y}\";1;2)\n"
                                                         "reply: 3\n"
                                                         "pattern: ^select\n"
                                                         "reply: `t\n"
                                                         "delay: 10\n"
                                                         "query: a\\tb\n"
                                                         "error: length\n"
                                                         "query: .u.sub[`t;`]\n"
                                                         "publish: (`upd;`t;1)\n"
                                                         "port: 0\n"),
                                          inst, settings, &error);
    QVERIFY2(ok, qPrintable(error));
    QVERIFY(inst.start(settings.port));
    QCOMPARE(khpunc("127.0.0.1", inst.port(), "x:y", 3000, 0), 0);
    const int h = khpunc("127.0.0.1", inst.port(), "u:p", 3000, 0);
    QVERIFY(h > 0);
    KPtr sum(k(h, "{x+y}", kj(1), kj(2), static_cast<K>(nullptr)));
    QCOMPARE(sum->j, 3LL);
    KPtr other(k(h, "{x+y}", kj(1), kj(5), static_cast<K>(nullptr)));
    QCOMPARE(int(other->t), KERR); // other arguments: no rule
    KPtr sym(k(h, "select from t", static_cast<K>(nullptr)));
    QCOMPARE(QByteArray(sym->s), QByteArray("t"));
    KPtr err(k(h, "a\tb", static_cast<K>(nullptr)));
    QCOMPARE(QByteArray(err->s), QByteArray("length"));
    KPtr ack(k(h, ".u.sub[`t;`]", static_cast<K>(nullptr)));
    QCOMPARE(int(ack->t), int(KUNARY));
    KPtr update(k(h, static_cast<S>(nullptr)));
    QCOMPARE(ValueNotation::format(update.get()), QString("(`upd;`t;1)"));
    kclose(h);
    QCOMPARE(inst.received().front().rendered, QString("(\"{x+y}\";1;2)"));
}

void TestIpcInstance::scriptGeneratedTable()
{
    TestInstance inst;
    InstanceScript::Settings settings;
    QString error;
    QVERIFY2(InstanceScript::apply(QStringLiteral("query: t\ntable-rows: 1001\nquery: none\ntable-rows: 0\n"), inst,
                                   settings, &error),
             qPrintable(error));
    QVERIFY(inst.start());
    const int h = khpunc("127.0.0.1", inst.port(), "", 3000, 0);
    QVERIFY(h > 0);
    KPtr t(k(h, "t", static_cast<K>(nullptr)));
    KPtr empty(k(h, "none", static_cast<K>(nullptr)));
    kclose(h);
    QVERIFY(t);
    QCOMPARE(int(t->t), int(XT));
    K names = kK(t->k)[0], columns = kK(t->k)[1];
    QCOMPARE(ValueNotation::format(names), QString("`id`price`sym`time"));
    QCOMPARE(int(kK(columns)[0]->t), int(KJ));
    QCOMPARE(int(kK(columns)[1]->t), int(KF));
    QCOMPARE(int(kK(columns)[2]->t), int(KS));
    QCOMPARE(int(kK(columns)[3]->t), int(KP));
    for (int c = 0; c < 4; ++c)
        QCOMPARE(kK(columns)[c]->n, 1001LL);
    // Row 1000 shows the content rule: the price and sym cycles wrap.
    QCOMPARE(kJ(kK(columns)[0])[1000], 1000LL);
    QCOMPARE(kF(kK(columns)[1])[999], 100 + 999 * 0.01);
    QCOMPARE(kF(kK(columns)[1])[1000], 100.0);
    QCOMPARE(QByteArray(kS(kK(columns)[2])[1000]), QByteArray("s0"));
    QCOMPARE(QByteArray(kS(kK(columns)[2])[999]), QByteArray("s199"));
    QCOMPARE(kJ(kK(columns)[3])[0], 800000000000000LL);
    QCOMPARE(kJ(kK(columns)[3])[1000], 800000000000000LL + 1000 * 1000000LL);
    QVERIFY(empty);
    QCOMPARE(int(empty->t), int(XT));
    QCOMPARE(kK(kK(empty->k)[1])[0]->n, 0LL);
}

void TestIpcInstance::scriptErrors_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("error");
    QTest::newRow("rule key before a rule") << "reply: 1" << "line 1:";
    QTest::newRow("unknown key") << "query: a\nwhatever: 1" << "line 2:";
    QTest::newRow("bad value") << "query: a\n\nreply: (1;" << "line 3:";
    QTest::newRow("bad pattern") << "pattern: (" << "line 1:";
    QTest::newRow("bad port") << "port: 70000" << "line 1:";
    QTest::newRow("bad raw") << "query: a\nraw: 0x1" << "line 2:";
    QTest::newRow("negative table rows") << "query: t\ntable-rows: -1" << "line 2:";
    QTest::newRow("table rows not a number") << "query: t\ntable-rows: many" << "line 2:";
    QTest::newRow("table rows before a rule") << "table-rows: 5" << "line 1:";
    QTest::newRow("negative trade rows") << "query: t\ntrade-rows: -1" << "line 2:";
    QTest::newRow("trade rows not a number") << "query: t\ntrade-rows: all" << "line 2:";
}

void TestIpcInstance::scriptErrors()
{
    QFETCH(QString, script);
    QFETCH(QString, error);
    TestInstance inst;
    InstanceScript::Settings settings;
    QString why;
    QVERIFY(!InstanceScript::apply(script, inst, settings, &why));
    QVERIFY2(why.startsWith(error), qPrintable(why));
}

QTEST_GUILESS_MAIN(TestIpcInstance)
#include "tst_ipc_instance.moc"
