// Explanations of q error texts: the fixed table and the two fallbacks.
#include "core/values/QErrors.h"

#include <QSet>
#include <QTest>

class TestQErrors : public QObject {
    Q_OBJECT

private slots:
    void everyKeyExplained();
    void exactTexts_data();
    void exactTexts();
    void fallbacks_data();
    void fallbacks();
};

void TestQErrors::everyKeyExplained()
{
    const QStringList keys = {
        "'", "Q7", "Mlim", "[", "]", "(", ")", "{", "}", "\"", "arch", "access", "accp", "adict", "snd",
        "rcv", "assign", "badtail", "bad lambda", "binary mismatch", "branch", "can't", "cast", "char",
        "close", "con", "conn", "cond", "Could not initialize ssl", "constants", "cores", "cpu", "d8",
        "decompression error at block [b] in", "domain", "dup", "dup names for cols/groups", "elim",
        "empty", "enable secondary threads via cmd line -s only", "encryption lib unavailable",
        "expected response", "Failed to load TLS certificates", "exp", "from", "glim", "hop", "hwr", "IJS",
        "globals", "host", "insert", "k4.lic", "length", "limit", "locals", "loop", "load",
        "main thread only", "mismatch", "mq", "name too long", "need zlib to compress", "noamend",
        "no append to zipped enums", "no `g#", "noupdate", "nosocket", "nyi", "os", "par", "params",
        "parse", "part", "path too long", "pl", "PKCS5_PBKDF2_HMAC", "pwuid", "rank", "rb", "restricted",
        "s-fail", "splay", "srv", "stack", "step", "stop", "stype", "sys", "threadview", "type", "timeout",
        "TLS not enabled", "too many syms", "trunc", "type/attr error amending file", "u-fail", "upd",
        "user", "unmappable", "unrecognized key format", "utf8", "value", "vd1", "view", "wha", "wsfull",
        "wsm"};
    QCOMPARE(keys.size(), QErrors::count);
    QSet<QString> explanations;
    for (int i = 0; i < keys.size(); ++i) {
        QCOMPARE(QString::fromUtf8(QErrors::key(i).data(), qsizetype(QErrors::key(i).size())), keys[i]);
        const QString text = QErrors::explain(keys[i]);
        QVERIFY2(!text.isEmpty(), qPrintable(keys[i]));
        QVERIFY2(!text.startsWith(QStringLiteral("attempt to use variable")), qPrintable(keys[i]));
        QVERIFY2(text != QStringLiteral("user-defined signal"), qPrintable(keys[i]));
        if (keys[i] != QStringLiteral("close"))
            QVERIFY2(!text.contains(QLatin1Char('\n')), qPrintable(keys[i]));
        explanations.insert(text);
    }
    // Only trunc and d8 differ by a full stop; none is a copy of another.
    QCOMPARE(explanations.size(), QErrors::count);
}

void TestQErrors::exactTexts_data()
{
    QTest::addColumn<QString>("error");
    QTest::addColumn<QString>("text");
    QTest::newRow("quote") << "'" << "error while parsing expression (invalid syntax)";
    QTest::newRow("[") << "[" << "opening [ without matching closing ] ";
    QTest::newRow("]") << "]" << "closing ] without matching opening [ ";
    QTest::newRow("double quote") << "\"" << "opening \" without matching closing \" ";
    QTest::newRow("Q7") << "Q7" << "nyi op on file nested array";
    QTest::newRow("Mlim") << "Mlim" << "more than 999 nested columns in splayed tables";
    QTest::newRow("type") << "type" << "wrong type";
    QTest::newRow("length") << "length"
                            << "incompatible lengths (different lengths of operands for synchronized operation or "
                               "table columns lengths are not the same";
    QTest::newRow("rank") << "rank"
                          << "invalid rank or valence (usually attempt to call a function with more parameters "
                             "than it accepts)";
    QTest::newRow("domain") << "domain" << "out of domain";
    QTest::newRow("value") << "value" << "no value";
    QTest::newRow("parse") << "parse" << "invalid syntax";
    QTest::newRow("mismatch") << "mismatch"
                              << "columns that can't be aligned for R,R or K,K (usually update/insert doesn't "
                                 "match table schema)";
    QTest::newRow("insert") << "insert"
                            << "attempt to insert a record with an existing key into a keyed table (use upsert "
                               "to update if exists)";
    QTest::newRow("assign") << "assign"
                            << "attempt to reuse (assign to a variable named same as) a reserved word";
    QTest::newRow("limit") << "limit"
                           << "tried to generate a list with more than 2,000,000,000 elements (keep in mind that "
                              "any IPC result is a byte list, hence can't be longer than 2 metric Gb)";
    QTest::newRow("stop") << "stop"
                          << "User interrupt(ctrl-c) or time limit (-T) (usually query is too heavy for timeout "
                             "defined on the instance)";
    QTest::newRow("wsfull") << "wsfull"
                            << "malloc failed. ran out of swap (or addressability on 32bit). or hit -w limit.";
    QTest::newRow("stack") << "stack" << "ran out of stack space (usually recursion went wild)";
    QTest::newRow("cast") << "cast"
                          << "value you trying to cast to enumeration is not present in it (usually symvector "
                             "needs extending with new value)";
    QTest::newRow("from") << "from" << "badly formed select statement";
    QTest::newRow("conn") << "conn" << "too many incoming connections (1022 max)";
    QTest::newRow("view") << "view" << "trying to re-assign a view (alias defined with ::) to something else";
    QTest::newRow("binary mismatch") << "binary mismatch" << "Wrong process for code profiler";
    QTest::newRow("ssl") << "Could not initialize ssl" << "(-26!)[] found SSL/TLS not enabled";
    QTest::newRow("wsm") << "wsm" << "alias for nyi wrt wsum prior to 3.2";
    QTest::newRow("close") << "close"
                           << QString::fromUtf8("(1) content-length header missing from HTTP response\n(2) "
                                                "handle: n \u2013 handle was closed by the remote while a msg "
                                                "was expected");
    QTest::newRow("badtail") << "badtail"
                             << QString::fromUtf8("incomplete transaction at end of file, get good "
                                                  "(count;length) with\u00a0-11!(-2;`:file)");
    QTest::newRow("trunc") << "trunc"
                           << QString::fromUtf8("The log had a partial transaction at the end but q "
                                                "couldn\u2019t truncate the file.");
    QTest::newRow("d8") << "d8"
                        << QString::fromUtf8("The log had a partial transaction at the end but q "
                                             "couldn\u2019t truncate the file");
    QTest::newRow("name too long") << "name too long"
                                   << QString::fromUtf8("Filepath \u2265100 chars (until V3.6 2018.09.26)");
}

void TestQErrors::exactTexts()
{
    QFETCH(QString, error);
    QFETCH(QString, text);
    QCOMPARE(QErrors::explain(error), text);
}

void TestQErrors::fallbacks_data()
{
    QTest::addColumn<QString>("error");
    QTest::addColumn<QString>("text");
    QTest::newRow("undefined name") << "foo"
                                    << "attempt to use variable foo without defining/assigning first (or "
                                       "user-defined signal)";
    QTest::newRow("other case is no key") << "Type"
                                          << "attempt to use variable Type without defining/assigning first "
                                             "(or user-defined signal)";
    QTest::newRow("key prefix is no key") << "types"
                                          << "attempt to use variable types without defining/assigning first "
                                             "(or user-defined signal)";
    QTest::newRow("empty") << ""
                           << "attempt to use variable  without defining/assigning first (or user-defined "
                              "signal)";
    QTest::newRow("sentence") << "not ready yet" << "user-defined signal";
    QTest::newRow("key with trailing blank") << "type " << "user-defined signal";
}

void TestQErrors::fallbacks()
{
    QFETCH(QString, error);
    QFETCH(QString, text);
    QCOMPARE(QErrors::explain(error), text);
}

QTEST_GUILESS_MAIN(TestQErrors)
#include "tst_qerrors.moc"
