// Console text of atoms and simple lists: every type, nulls and infinities,
// temporal arithmetic, and each setting that changes a text.
#include "KValues.h"

#include "core/settings/CDlgQSettings.h"
#include "core/values/KRender.h"

#include <QTest>

using namespace kv;

class TestRender : public QObject {
    Q_OBJECT

private:
    static void addRow(const char* tag, K value, const char* expected)
    {
        QTest::newRow(tag) << own(value) << QString::fromUtf8(expected);
    }
    static void columns()
    {
        QTest::addColumn<KPtr>("value");
        QTest::addColumn<QString>("expected");
    }
    static QString render(const KPtr& value, const RenderOptions& options = {})
    {
        return KRender(options).render(value.get());
    }

private slots:
    void atoms_data();
    void atoms();
    void temporal_data();
    void temporal();
    void lists_data();
    void lists();
    void strings_data();
    void strings();
    void postfixInts_data();
    void postfixInts();
    void floatPrecision_data();
    void floatPrecision();
    void attributes_data();
    void attributes();
    void escapeSlashOff();
    void fromSettings_data();
    void fromSettings();
    void consoleEntry();
};

void TestRender::atoms_data()
{
    columns();
    addRow("boolean true", kb(1), "1b");
    addRow("boolean false", kb(0), "0b");
    addRow("guid", guid(0), "00010203-0405-0607-0809-0a0b0c0d0e0f");
    addRow("guid zero prints zeros", ku(U{}), "00000000-0000-0000-0000-000000000000");
    addRow("byte", kg(0x2a), "0x2a");
    addRow("byte high", kg(0xf0), "0xf0");
    addRow("short", kh(5), "5h");
    addRow("short null", kh(nh), "0Nh");
    addRow("short +inf", kh(wh), "0Wh");
    addRow("short -inf", kh(-wh), "-0Wh");
    addRow("int", ki(-5), "-5");
    addRow("int null", ki(ni), "0N");
    addRow("int +inf", ki(wi), "0W");
    addRow("int -inf", ki(-wi), "-0W");
    addRow("long", kj(5), "5j");
    addRow("long big", kj(1234567890123LL), "1234567890123j");
    addRow("long null", kj(nj), "0Nj");
    addRow("long +inf", kj(wj), "0Wj");
    addRow("long -inf", kj(-wj), "-0Wj");
    addRow("real", ke(1.5), "1.5e");
    addRow("real null", ke(qnan), "0ne");
    addRow("real +inf", ke(qinf), "0we");
    addRow("real -inf", ke(-qinf), "-0we");
    addRow("float whole gets f", kf(1), "1f");
    addRow("float with stop", kf(1.5), "1.5");
    addRow("float seven digits", kf(3.14159265358979), "3.141593");
    addRow("float exponent no stop", kf(1e10), "1e+10f");
    addRow("float exponent with stop", kf(123456789.0), "1.234568e+08");
    addRow("float small", kf(-0.000125), "-0.000125");
    addRow("float null", kf(qnan), "0nf");
    addRow("float +inf", kf(qinf), "0wf");
    addRow("float -inf", kf(-qinf), "-0wf");
    addRow("char", kc('a'), "\"a\"");
    addRow("char zero is a blank", kc(0), "\" \"");
    addRow("char backslash doubled", kc('\\'), "\"\\\\\"");
    addRow("symbol", ks("abc"), "`abc");
    addRow("symbol empty", ks(""), "`");
    addRow("symbol utf8", ks("h\xc3\xa9llo"), "`h\xc3\xa9llo");
}

void TestRender::atoms()
{
    QFETCH(KPtr, value);
    QFETCH(QString, expected);
    QCOMPARE(render(value), expected);
}

void TestRender::temporal_data()
{
    columns();
    // 2024.01.02 is 8767 days after 2000.01.01.
    const J ts = 8767 * nsPerDay + ((3 * 60 + 4) * 60 + 5) * 1000000000LL + 6;
    addRow("timestamp", atomJ(-KP, ts), "2024.01.02D03:04:05.000000006");
    addRow("timestamp epoch", atomJ(-KP, 0), "2000.01.01D00:00:00.000000000");
    addRow("timestamp before epoch borrows a day", atomJ(-KP, -1), "1999.12.31D23:59:59.999999999");
    addRow("timestamp null", atomJ(-KP, nj), "0Np");
    addRow("timestamp +inf", atomJ(-KP, wj), "0Wp");
    addRow("timestamp -inf", atomJ(-KP, -wj), "-0Wp");
    addRow("month", atomI(-KM, 288), "2024.01m");
    addRow("month before epoch", atomI(-KM, -1), "1999.12m");
    addRow("month far before epoch", atomI(-KM, -13), "1998.12m");
    addRow("month null", atomI(-KM, ni), "0Nm");
    addRow("month +inf", atomI(-KM, wi), "0Wm");
    addRow("month -inf", atomI(-KM, -wi), "-0Wm");
    addRow("date", kd(8766), "2024.01.01");
    addRow("date leap day", kd(59), "2000.02.29");
    addRow("date after leap day", kd(60), "2000.03.01");
    addRow("date before epoch", kd(-1), "1999.12.31");
    addRow("date year 100", kd(-693960), "100.01.01");
    addRow("date year 9999", kd(2921939), "9999.12.31");
    addRow("date year 10000 invalid", kd(2921940), "Invalid DateTime");
    addRow("date year 50 invalid", kd(-712222), "Invalid DateTime");
    addRow("date int min+1", kd(-wi), "-0wd");
    addRow("date null", kd(ni), "0nd");
    addRow("date +inf", kd(wi), "0wd");
    addRow("date far out", kd(wi - 1), "Invalid DateTime");
    addRow("datetime", kz(8766.5), "2024.01.01T12:00:00.000");
    addRow("datetime before epoch", kz(-0.25), "1999.12.31T18:00:00.000");
    addRow("datetime milliseconds", kz(1.0 + 1234.0 / 86400000), "2000.01.02T00:00:01.234");
    addRow("datetime null", kz(qnan), "0Nz");
    addRow("datetime +inf", kz(qinf), "0wz");
    addRow("datetime -inf", kz(-qinf), "-0wz");
    addRow("datetime beyond any calendar", kz(1e300), "Invalid DateTime");
    addRow("timespan", atomJ(-KN, nsPerDay + 1), "1D00:00:00.000000001");
    addRow("timespan zero", atomJ(-KN, 0), "0D00:00:00.000000000");
    addRow("timespan minus two hours", atomJ(-KN, -2 * 3600 * 1000000000LL), "-0D02:00:00.000000000");
    addRow("timespan negative days", atomJ(-KN, -(2 * nsPerDay + 5)), "-2D00:00:00.000000005");
    addRow("timespan null", atomJ(-KN, nj), "0Nn");
    addRow("timespan +inf", atomJ(-KN, wj), "0Wn");
    addRow("timespan -inf", atomJ(-KN, -wj), "-0Wn");
    addRow("minute", atomI(-KU, 61), "01:01");
    addRow("minute past a day", atomI(-KU, 1500), "25:00");
    addRow("minute negative", atomI(-KU, -61), "-01:01");
    addRow("minute null", atomI(-KU, ni), "0Nu");
    addRow("minute +inf", atomI(-KU, wi), "0Wu");
    addRow("minute -inf", atomI(-KU, -wi), "-0Wu");
    addRow("second", atomI(-KV, 3661), "01:01:01");
    addRow("second negative", atomI(-KV, -1), "-00:00:01");
    addRow("second null", atomI(-KV, ni), "0Nv");
    addRow("second +inf", atomI(-KV, wi), "0Wv");
    addRow("second -inf", atomI(-KV, -wi), "-0Wv");
    addRow("time", kt(3723004), "01:02:03.004");
    addRow("time negative", kt(-1), "-00:00:00.001");
    addRow("time null", kt(ni), "0Nt");
    addRow("time +inf", kt(wi), "0Wt");
    addRow("time -inf", kt(-wi), "-0Wt");
}

void TestRender::temporal()
{
    QFETCH(KPtr, value);
    QFETCH(QString, expected);
    QCOMPARE(render(value), expected);
}

void TestRender::lists_data()
{
    columns();
    addRow("boolean", list<int>(KB, {1, 0, 1}), "101b");
    addRow("boolean one", list<int>(KB, {1}), "enlist 1b");
    addRow("boolean empty", ktn(KB, 0), "`boolean$()");
    addRow("guid", guids(0, 16),
           "00010203-0405-0607-0809-0a0b0c0d0e0f 10111213-1415-1617-1819-1a1b1c1d1e1f");
    addRow("guid empty", ktn(UU, 0), "`guid$()");
    addRow("byte", list<int>(KG, {0x2a, 0x0b}), "0x2a0b");
    addRow("byte one", list<int>(KG, {0x2a}), "enlist 0x2a");
    addRow("byte empty", ktn(KG, 0), "`byte$()");
    addRow("short", list<int>(KH, {1, 2, 3}), "1h, 2h, 3h");
    addRow("short with null", list<int>(KH, {nh, 2}), "0Nh, 2h");
    addRow("short empty", ktn(KH, 0), "`short$()");
    addRow("int", list<int>(KI, {1, 2, 3}), "1 2 3");
    addRow("int nulls and infinities", list<int>(KI, {ni, wi, -wi}), "0N 0W -0W");
    addRow("int empty", ktn(KI, 0), "`int$()");
    addRow("long", list<J>(KJ, {1, 2, 3}), "1j, 2j, 3j");
    addRow("long one", list<J>(KJ, {7}), "enlist 7j");
    addRow("long null", list<J>(KJ, {nj, 1}), "0Nj, 1j");
    addRow("long empty", ktn(KJ, 0), "`long$()");
    addRow("real", list<double>(KE, {1, 2}), "1 2e");
    addRow("real null last", list<double>(KE, {1.5, qnan}), "1.5 0ne");
    addRow("real null first", list<double>(KE, {qnan, 1.5}), "0ne 1.5e");
    addRow("real infinities", list<double>(KE, {qinf, -qinf}), "0we -0we");
    addRow("real empty", ktn(KE, 0), "`real$()");
    addRow("float whole", list<double>(KF, {1, 2, 3}), "1 2 3f");
    addRow("float any stop", list<double>(KF, {1.5, 2}), "1.5 2");
    addRow("float null", list<double>(KF, {qnan, 1}), "0n 1f");
    addRow("float infinities", list<double>(KF, {qinf, -qinf}), "0w -0wf");
    addRow("float one", list<double>(KF, {1}), "enlist 1f");
    addRow("float empty", ktn(KF, 0), "`float$()");
    addRow("symbol", syms({"a", "bc"}), "`a`bc");
    addRow("symbol one", syms({"a"}), "enlist `a");
    addRow("symbol with empty", syms({"", "a"}), "``a");
    addRow("symbol empty", ktn(KS, 0), "`symbol$()");
    addRow("timestamp", list<J>(KP, {0, nj}), "2000.01.01D00:00:00.000000000 0Np");
    addRow("timestamp empty", ktn(KP, 0), "`timestamp$()");
    addRow("month", list<int>(KM, {288, 289}), "2024.01m, 2024.02m");
    addRow("month empty", ktn(KM, 0), "`month$()");
    addRow("date", list<int>(KD, {0, 1, ni}), "2000.01.01 2000.01.02 0nd");
    addRow("date empty", ktn(KD, 0), "`date$()");
    addRow("datetime", list<double>(KZ, {0, qnan}), "2000.01.01T00:00:00.000 0Nz");
    addRow("datetime empty", ktn(KZ, 0), "`datetime$()");
    addRow("timespan", list<J>(KN, {1, -1}), "0D00:00:00.000000001 -0D00:00:00.000000001");
    addRow("timespan empty", ktn(KN, 0), "`timespan$()");
    addRow("minute", list<int>(KU, {0, 61}), "00:00 01:01");
    addRow("minute empty", ktn(KU, 0), "`minute$()");
    addRow("second", list<int>(KV, {1, ni}), "00:00:01 0Nv");
    addRow("second empty", ktn(KV, 0), "`second$()");
    addRow("time", list<int>(KT, {1, 1000}), "00:00:00.001 00:00:01.000");
    addRow("time empty", ktn(KT, 0), "`time$()");
}

void TestRender::lists()
{
    QFETCH(KPtr, value);
    QFETCH(QString, expected);
    QCOMPARE(render(value), expected);
}

void TestRender::strings_data()
{
    columns();
    addRow("plain", str("abc"), "\"abc\"");
    addRow("empty", str(""), "\"\"");
    addRow("one char", str("a"), "enlist \"a\"");
    addRow("zero bytes are blanks", str(std::string("a\0b", 3)), "\"a b\"");
    addRow("backslash doubled", str("a\\b"), "\"a\\\\b\"");
    addRow("utf8 decoded", str("\xc3\xa9t\xc3\xa9"), "\"\xc3\xa9t\xc3\xa9\"");
    addRow("function source unquoted", str("{x+y}"), "{x+y}");
    addRow("k source unquoted", str("k){x}"), "k){x}");
    addRow("source keeps backslashes", str("{x\\y}"), "{x\\y}");
    addRow("brace only at start", str("{x+y"), "\"{x+y\"");
    addRow("brace only at end", str("x}"), "\"x}\"");
}

void TestRender::strings()
{
    QFETCH(KPtr, value);
    QFETCH(QString, expected);
    QCOMPARE(render(value), expected);
}

void TestRender::postfixInts_data()
{
    columns();
    addRow("int atom", ki(5), "5i");
    addRow("int null atom", ki(ni), "0Ni");
    addRow("long atom", kj(5), "5");
    addRow("long null atom", kj(nj), "0N");
    addRow("int list", list<int>(KI, {1, 2, 3}), "1i, 2i, 3i");
    addRow("long list", list<J>(KJ, {1, 2, 3}), "1 2 3");
    addRow("short unchanged", list<int>(KH, {1, 2}), "1h, 2h");
}

void TestRender::postfixInts()
{
    QFETCH(KPtr, value);
    QFETCH(QString, expected);
    RenderOptions options;
    options.postfixInts = true;
    QCOMPARE(render(value, options), expected);
}

void TestRender::floatPrecision_data()
{
    QTest::addColumn<int>("precision");
    QTest::addColumn<KPtr>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("3 digits") << 3 << own(kf(3.14159)) << "3.14";
    QTest::newRow("1 digit") << 1 << own(kf(3.14159)) << "3f";
    QTest::newRow("17 digits") << 17 << own(kf(0.1)) << "0.10000000000000001";
    QTest::newRow("32 digits") << 32 << own(kf(0.5)) << "0.5";
    QTest::newRow("list") << 2 << own(list<double>(KF, {1.26, 2.5})) << "1.3 2.5";
    QTest::newRow("list rounds to whole") << 2 << own(list<double>(KF, {1.01, 2})) << "1 2f";
    QTest::newRow("real widened to double") << 9 << own(ke(0.1)) << "0.100000001e";
    QTest::newRow("out of range clamps") << 0 << own(kf(2.5)) << "2f";
}

void TestRender::floatPrecision()
{
    QFETCH(int, precision);
    QFETCH(KPtr, value);
    QFETCH(QString, expected);
    RenderOptions options;
    options.floatPrecision = precision;
    QCOMPARE(render(value, options), expected);
}

void TestRender::attributes_data()
{
    columns();
    addRow("sorted", withAttr(list<J>(KJ, {1, 2}), 1), "`s#1j, 2j");
    addRow("unique", withAttr(syms({"a", "b"}), 2), "`u#`a`b");
    addRow("parted", withAttr(list<int>(KI, {1, 1}), 3), "`p#1 1");
    addRow("grouped", withAttr(list<int>(KI, {2, 1}), 4), "`g#2 1");
    addRow("digit attribute", withAttr(list<int>(KI, {2, 1}), 5), "`5#2 1");
    addRow("sorted empty", withAttr(ktn(KJ, 0), 1), "`s#`long$()");
    addRow("sorted string", withAttr(str("ab"), 1), "`s#\"ab\"");
    addRow("letterless code ignored", withAttr(list<int>(KI, {1}), 10), "enlist 1");
    addRow("code past the table ignored", withAttr(list<int>(KI, {1}), 11), "enlist 1");
}

void TestRender::attributes()
{
    QFETCH(KPtr, value);
    QFETCH(QString, expected);
    QCOMPARE(render(value), expected);
}

void TestRender::escapeSlashOff()
{
    RenderOptions options;
    options.escapeSlash = false;
    QCOMPARE(render(own(str("a\\b")), options), QStringLiteral("\"a\\b\""));
    QCOMPARE(render(own(kc('\\')), options), QStringLiteral("\"\\\""));
}

void TestRender::fromSettings_data()
{
    QTest::addColumn<QString>("setting");
    QTest::addColumn<int>("value");
    QTest::addColumn<KPtr>("cell");
    QTest::addColumn<QString>("expected");
    // Each live setting reaches the text; cells are rendered in element mode
    // so that the grid-only settings show too.
    QTest::newRow("defaults") << "" << 0 << own(kj(5)) << "5j";
    QTest::newRow("PostfixInts") << "PostfixInts" << 1 << own(kj(5)) << "5";
    QTest::newRow("EscapeSlash") << "EscapeSlash" << 0 << own(kc('\\')) << "\"\\\"";
    QTest::newRow("QFloatPrecision") << "QFloatPrecision" << 3 << own(kf(3.14159)) << "3.14";
    QTest::newRow("QFloatPrecision below range") << "QFloatPrecision" << 0 << own(kf(3.14159)) << "3f";
    QTest::newRow("NullsAreEmpty") << "NullsAreEmpty" << 1 << own(kj(nj)) << "j";
    QTest::newRow("NumberLocaleFormat") << "NumberLocaleFormat" << 1 << own(list<J>(KJ, {1})) << "1.00";
    QTest::newRow("QMaxTableRowsAsText") << "QMaxTableRowsAsText" << 1
                                         << own(table(syms({"a"}), knk(1, list<J>(KJ, {1, 2}))))
                                         << "flip (enlist `a)!<large table skipped>";
    QTest::newRow("QMaxTableRowsAsText below range") << "QMaxTableRowsAsText" << -5
                                                     << own(table(syms({"a"}), knk(1, list<J>(KJ, {1}))))
                                                     << "flip (enlist `a)!enlist enlist 1j";
}

void TestRender::fromSettings()
{
    QFETCH(QString, setting);
    QFETCH(int, value);
    QFETCH(KPtr, cell);
    QFETCH(QString, expected);
    CDlgQSettings settings;
    if (setting == QLatin1String("PostfixInts"))
        settings.PostfixInts = value;
    else if (setting == QLatin1String("EscapeSlash"))
        settings.EscapeSlash = value;
    else if (setting == QLatin1String("QFloatPrecision"))
        settings.QFloatPrecision = value;
    else if (setting == QLatin1String("NullsAreEmpty"))
        settings.NullsAreEmpty = value;
    else if (setting == QLatin1String("NumberLocaleFormat"))
        settings.NumberLocaleFormat = value;
    else if (setting == QLatin1String("QMaxTableRowsAsText"))
        settings.QMaxTableRowsAsText = value;
    RenderOptions options = RenderOptions::from(settings);
    options.locale = QLocale(QLocale::English, QLocale::UnitedStates);
    const long long element = cell->t == XT ? -1 : 0;
    QCOMPARE(KRender(options).render(cell.get(), -1, false, element), expected);
}

void TestRender::consoleEntry()
{
    RenderOptions options;
    options.postfixInts = true;
    const KPtr value = own(knk(2, list<J>(KJ, {1, 2}), ks("a")));
    QCOMPARE(renderConsole(value.get(), options), QStringLiteral("(1 2;`a)"));
}

QTEST_GUILESS_MAIN(TestRender)
#include "tst_render.moc"
