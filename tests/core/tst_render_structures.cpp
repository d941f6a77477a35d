// Console text of composite values: general lists, dictionaries, tables,
// functions, errors, unknown types; truncation, the depth limit and element
// mode (grid cells).
#include "KValues.h"

#include "core/values/KRender.h"
#include "kdb/kbounds.h"

#include <QTest>

using namespace kv;

class TestRenderStructures : public QObject {
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
    // A table of two columns a (longs) and b (symbols) of `rows` rows.
    static K abTable(J rows)
    {
        K b = ktn(KS, rows);
        for (J i = 0; i < rows; ++i)
            kS(b)[i] = ss(i % 2 ? "y" : "x");
        return table(syms({"a", "b"}), knk(2, longs(1, rows), b));
    }
    static K nested(int lists, K inner)
    {
        for (int i = 0; i < lists; ++i)
            inner = knk(1, inner);
        return inner;
    }

private slots:
    void composites_data();
    void composites();
    void functions_data();
    void functions();
    void errorsAndUnknown_data();
    void errorsAndUnknown();
    void largeTables_data();
    void largeTables();
    void truncation_data();
    void truncation();
    void truncationCountsCharacters();
    void depthLimit();
    void elementMode_data();
    void elementMode();
    void elementModeSettings_data();
    void elementModeSettings();
    void localeTextIsBounded();
    void rendererIsReusable();
};

void TestRenderStructures::composites_data()
{
    columns();
    addRow("general list", knk(2, kj(1), ks("a")), "(1j;`a)");
    addRow("general empty", knk(0), "()");
    addRow("general one list has no parentheses", knk(1, list<J>(KJ, {1, 2})), "enlist 1j, 2j");
    addRow("general nested", knk(2, knk(2, kj(1), kj(2)), ks("b")), "((1j;2j);`b)");
    addRow("string in a one-item list keeps quotes", knk(1, str("{x+y}")), "enlist \"{x+y}\"");
    addRow("strings in a list keep quotes", knk(2, str("{x}"), str("ab")), "(\"{x}\";\"ab\")");
    addRow("dictionary", xD(syms({"a", "b"}), list<J>(KJ, {1, 2})), "(`a`b)!1j, 2j");
    addRow("dictionary general keys not doubled", xD(knk(2, kj(1), kj(2)), syms({"a", "b"})), "(1j;2j)!`a`b");
    addRow("dictionary nested keys wrapped", xD(knk(2, knk(2, kj(1), kj(2)), kj(3)), syms({"a", "b"})),
           "(((1j;2j);3j))!`a`b");
    addRow("dictionary atom value quirk", xD(syms({"a", "b"}), kj(5)),
           "<Quirk(when using parted table name immediate via IPC)> (`a`b)!5j");
    addRow("dictionary empty", xD(ktn(KS, 0), ktn(KJ, 0)), "(`symbol$())!`long$()");
    K sorted = xD(withAttr(syms({"a", "b"}), 1), list<int>(KI, {2, 3}));
    sorted->t = SD;
    addRow("sorted dictionary", sorted, "(`s#`a`b)!2 3");
    addRow("table", abTable(2), "flip (`a`b)!(1j, 2j;`x`y)");
    addRow("table one column", table(syms({"a"}), knk(1, list<J>(KJ, {1, 2}))), "flip (enlist `a)!enlist 1j, 2j");
    addRow("table sorted column", table(syms({"a"}), knk(1, withAttr(list<J>(KJ, {1, 2}), 1))),
           "flip (enlist `a)!enlist `s#1j, 2j");
    addRow("keyed table",
           xD(table(syms({"k"}), knk(1, syms({"a", "b"}))), table(syms({"v"}), knk(1, list<J>(KJ, {1, 2})))),
           "(flip (enlist `k)!enlist `a`b)!flip (enlist `v)!enlist 1j, 2j");
}

void TestRenderStructures::composites()
{
    QFETCH(KPtr, value);
    QFETCH(QString, expected);
    QCOMPARE(KRender().render(value.get()), expected);
}

void TestRenderStructures::functions_data()
{
    columns();
    addRow("lambda in the root", parts(KLAMBDA, {ks(""), str("{x*x}")}), "{x*x}");
    addRow("lambda in a namespace", parts(KLAMBDA, {ks("ns"), str("{[a;b] a+b / sum\n }")}),
           "{[a;b] a+b / sum\n }");
    addRow("k lambda", parts(KLAMBDA, {ks(""), str("k){x+y}")}), "k){x+y}");
    addRow("lambda text kept whole", parts(KLAMBDA, {ks(""), str("{\"a\\b\"}")}), "{\"a\\b\"}");
    addRow("projection of a lambda", parts(KPROJECTION, {parts(KLAMBDA, {ks(""), str("{x+y}")}), kj(1), prim(KUNARY, 0)}),
           "{x+y}[1j;]");
    addRow("lambda in a list", knk(2, parts(KLAMBDA, {ks(""), str("{x}")}), kj(2)), "({x};2j)");
    addRow("composition with a lambda", parts(KCOMPOSITION, {prim(KUNARY, 2), parts(KLAMBDA, {ks(""), str("{x}")})}),
           "-{x}");
    addRow("each of a lambda", derived(KEACH, parts(KLAMBDA, {ks(""), str("{x}")})), "{x}'");
    addRow("generic null", prim(KUNARY, 0), "::");
    addRow("unary operator", prim(KUNARY, 2), "-:");
    addRow("unary last operator", prim(KUNARY, 19), ".:");
    addRow("unary first word", prim(KUNARY, 20), "0::");
    addRow("unary avg", prim(KUNARY, 23), "avg");
    addRow("unary enlist", prim(KUNARY, 41), "enlist");
    addRow("unary unknown", prim(KUNARY, 42), "!OPR:42!:");
    addRow("binary operator", prim(KBINARY, 1), "+");
    addRow("binary first word", prim(KBINARY, 20), "0:");
    addRow("binary within", prim(KBINARY, 24), "within");
    addRow("binary binr", prim(KBINARY, 34), "binr");
    addRow("binary unknown", prim(KBINARY, 35), "!OPR:35!");
    addRow("adverb each", prim(KTERNARY, 0), "'");
    addRow("adverb each left", prim(KTERNARY, 5), "\\:");
    addRow("adverb unknown", prim(KTERNARY, 6), "!ADV:6!");
    addRow("projection", parts(KPROJECTION, {prim(KBINARY, 1), kj(1), prim(KUNARY, 0)}), "+[1j;]");
    addRow("projection first elided", parts(KPROJECTION, {prim(KBINARY, 2), prim(KUNARY, 0), ks("a")}),
           "-[;`a]");
    addRow("projection of enlist", parts(KPROJECTION, {prim(KUNARY, 41), kj(1), prim(KUNARY, 0)}),
           "enlist(1j;)");
    addRow("composition drops colon", parts(KCOMPOSITION, {prim(KUNARY, 2), prim(KBINARY, 1)}), "-+");
    addRow("composition keeps last colon", parts(KCOMPOSITION, {prim(KBINARY, 1), prim(KUNARY, 2)}), "+-:");
    addRow("composition of composition",
           parts(KCOMPOSITION, {parts(KCOMPOSITION, {str("k)f"), prim(KUNARY, 5)}), prim(KBINARY, 3)}),
           "\"f\"&*");
    addRow("each", derived(KEACH, prim(KBINARY, 1)), "+'");
    addRow("over", derived(KOVER, prim(KBINARY, 1)), "+/");
    addRow("scan", derived(KSCAN, prim(KBINARY, 1)), "+\\");
    addRow("each prior", derived(KPRIOR, prim(KBINARY, 2)), "-':");
    addRow("each right", derived(KEACHRIGHT, prim(KBINARY, 12)), ",/:");
    addRow("each left", derived(KEACHLEFT, prim(KBINARY, 12)), ",\\:");
    addRow("derived of projection", derived(KOVER, parts(KPROJECTION, {prim(KBINARY, 1), kj(1), prim(KUNARY, 0)})),
           "+[1j;]/");
}

void TestRenderStructures::functions()
{
    QFETCH(KPtr, value);
    QFETCH(QString, expected);
    QCOMPARE(KRender().render(value.get()), expected);
}

void TestRenderStructures::errorsAndUnknown_data()
{
    columns();
    addRow("known error", krr("type"), "ERROR: 'type \n(wrong type)");
    addRow("undefined name", krr("foo"),
           "ERROR: 'foo \n(attempt to use variable foo without defining/assigning first (or user-defined signal))");
    addRow("signalled sentence", krr("not ready"), "ERROR: 'not ready \n(user-defined signal)");
    addRow("reply the client could not decode", kdb::localError("reply could not be decoded: d9: truncated message"),
           "ERROR: reply could not be decoded: d9: truncated message");
    addRow("lambda without source text", parts(KLAMBDA, {ks(""), kj(1)}), "!TYPE:100!n=2 ");
    addRow("lambda short of parts", parts(KLAMBDA, {ks("")}), "!TYPE:100!n=1 ");
    addRow("enumeration atom", atomJ(-20, 5), "!TYPE:-20!n=5 ");
    addRow("enumeration atom low bits", atomJ(-20, 0x100000007LL), "!TYPE:-20!n=7 ");
    addRow("enumeration list", ktn(20, 3), "!TYPE:20!n=3 ");
    addRow("dynamic load", ka(KDYNLOAD), "!TYPE:112!n=0 ");
    addRow("type 3", ktn(3, 1), "!TYPE:3!n=1 ");
    addRow("table without dictionary", xT(nullptr), "!TYPE:98!n=0 ");
    addRow("dictionary short of parts", ktn(XD, 1), "!TYPE:99!n=1 ");
}

void TestRenderStructures::errorsAndUnknown()
{
    QFETCH(KPtr, value);
    QFETCH(QString, expected);
    QCOMPARE(KRender().render(value.get()), expected);
}

void TestRenderStructures::largeTables_data()
{
    QTest::addColumn<int>("maxRows");
    QTest::addColumn<KPtr>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("top level past the limit") << 10 << own(abTable(11)) << "flip (`a`b)!<large table skipped>";
    QTest::newRow("top level at the limit") << 2 << own(abTable(2)) << "flip (`a`b)!(1j, 2j;`x`y)";
    QTest::newRow("setting lowers the limit") << 1 << own(abTable(2)) << "flip (`a`b)!<large table skipped>";
    QTest::newRow("inside a list prints in full") << 1 << own(knk(2, abTable(2), kj(0)))
                                                  << "(flip (`a`b)!(1j, 2j;`x`y);0j)";
    QTest::newRow("inside a one-item list in full") << 1 << own(knk(1, abTable(2)))
                                                    << "enlist flip (`a`b)!(1j, 2j;`x`y)";
    QTest::newRow("keyed table halves skip")
        << 1 << own(xD(table(syms({"k"}), knk(1, syms({"a", "b"}))), table(syms({"v"}), knk(1, list<J>(KJ, {1, 2})))))
        << "(flip (enlist `k)!<large table skipped>)!flip (enlist `v)!<large table skipped>";
    QTest::newRow("nested column counts") << 1 << own(table(syms({"a"}), knk(1, knk(2, kj(1), kj(2)))))
                                          << "flip (enlist `a)!<large table skipped>";
}

void TestRenderStructures::largeTables()
{
    QFETCH(int, maxRows);
    QFETCH(KPtr, value);
    QFETCH(QString, expected);
    RenderOptions options;
    options.maxTableRowsAsText = maxRows;
    QCOMPARE(KRender(options).render(value.get()), expected);
}

void TestRenderStructures::truncation_data()
{
    QTest::addColumn<KPtr>("value");
    QTest::addColumn<qlonglong>("maxLength");
    QTest::addColumn<QString>("expected");
    // The item that crosses the limit is kept whole, then "...".
    QTest::newRow("long list") << own(longs(1, 100)) << 10LL << "1j, 2j, 3j, 4...";
    QTest::newRow("fits exactly") << own(longs(1, 3)) << 10LL << "1j, 2j, 3j";
    QTest::newRow("last item crosses") << own(longs(1, 3)) << 8LL << "1j, 2j, 3...";
    QTest::newRow("last item reaches") << own(longs(1, 3)) << 9LL << "1j, 2j, 3j";
    QTest::newRow("sorted truncated loses attribute") << own(withAttr(longs(1, 100), 1)) << 10LL
                                                       << "1j, 2j, 3j, 4...";
    QTest::newRow("sorted whole keeps attribute") << own(withAttr(longs(1, 2), 1)) << 100LL << "`s#1j, 2j";
    QTest::newRow("symbols") << own(syms({"abc", "def", "ghi"})) << 5LL << "`abc`def...";
    QTest::newRow("string") << own(str("abcdefghij")) << 4LL << "\"abcd...";
    QTest::newRow("general list") << own(knk(3, longs(1, 100), ks("a"), ks("b"))) << 10LL
                                  << "(1j, 2j, 3j, 4...;...";
    QTest::newRow("general list room runs out") << own(knk(3, kj(1), kj(2), kj(3))) << 5LL << "(1j;2j;...";
    QTest::newRow("dictionary values") << own(xD(syms({"a", "b"}), list<J>(KJ, {1, 2}))) << 5LL << "(`a`b)!...";
    QTest::newRow("table") << own(abTable(2)) << 5LL << "flip ...";
    QTest::newRow("table body") << own(abTable(2)) << 15LL << "flip (`a`b)!(1j, 2...;...";
    QTest::newRow("negative maximum") << own(longs(1, 3)) << -1LL << "";
    QTest::newRow("no limit") << own(longs(1, 3)) << 0LL << "1j, 2j, 3j";
}

void TestRenderStructures::truncation()
{
    QFETCH(KPtr, value);
    QFETCH(qlonglong, maxLength);
    QFETCH(QString, expected);
    QCOMPARE(KRender().render(value.get(), -1, false, -1, maxLength), expected);
}

void TestRenderStructures::truncationCountsCharacters()
{
    // Two-byte characters count once each, as the console shows them.
    const KPtr value = own(str("\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9"));
    QCOMPARE(KRender().render(value.get(), -1, false, -1, 2), QString::fromUtf8("\"\xc3\xa9\xc3\xa9..."));
    const KPtr symbols = own(syms({"\xc3\xa9\xc3\xa9", "ab", "cd"}));
    QCOMPARE(KRender().render(symbols.get(), -1, false, -1, 4), QString::fromUtf8("`\xc3\xa9\xc3\xa9`ab..."));
}

void TestRenderStructures::depthLimit()
{
    const KPtr deepest = own(nested(1000, kj(1)));
    QString expected = QString(QStringLiteral("enlist ")).repeated(1000) + QStringLiteral("1j");
    QCOMPARE(KRender().render(deepest.get()), expected);

    const KPtr tooDeep = own(nested(1001, kj(1)));
    expected = QString(QStringLiteral("enlist ")).repeated(1001) + QStringLiteral("!Too Deep>1000!");
    QCOMPARE(KRender().render(tooDeep.get()), expected);

    // The caller's depth counts too.
    const KPtr atom = own(kj(1));
    QCOMPARE(KRender().render(atom.get(), 999), QStringLiteral("1j"));
    QCOMPARE(KRender().render(atom.get(), 1000), QStringLiteral("!Too Deep>1000!"));

    // Keyed tables restart the level count; a value nesting them without end
    // still stops instead of exhausting the stack.
    K value = kj(1);
    for (int i = 0; i < 400; ++i)
        value = xD(table(syms({"k"}), knk(1, knk(1, value))), table(syms({"v"}), knk(1, list<J>(KJ, {1}))));
    const KPtr keyed = own(value);
    QVERIFY(KRender().render(keyed.get()).contains(QStringLiteral("!Too Deep>1000!")));
}

void TestRenderStructures::elementMode_data()
{
    QTest::addColumn<KPtr>("value");
    QTest::addColumn<qlonglong>("element");
    QTest::addColumn<QString>("expected");
    QTest::newRow("long") << own(longs(1, 3)) << 1LL << "2";
    QTest::newRow("byte") << own(list<int>(KG, {0x2a})) << 0LL << "2a";
    QTest::newRow("boolean") << own(list<int>(KB, {0, 1})) << 1LL << "1";
    QTest::newRow("symbol without backtick") << own(syms({"a", "bc"})) << 1LL << "bc";
    QTest::newRow("char") << own(str("ab")) << 1LL << "b";
    QTest::newRow("char zero") << own(str(std::string("\0", 1))) << 0LL << " ";
    QTest::newRow("real null") << own(list<double>(KE, {qnan})) << 0LL << "0ne";
    QTest::newRow("float whole") << own(list<double>(KF, {1})) << 0LL << "1";
    QTest::newRow("long null") << own(list<J>(KJ, {nj})) << 0LL << "0N";
    QTest::newRow("month") << own(list<int>(KM, {1})) << 0LL << "2000.02m";
    QTest::newRow("date null") << own(list<int>(KD, {ni})) << 0LL << "0nd";
    QTest::newRow("sorted has no attribute") << own(withAttr(longs(1, 2), 1)) << 0LL << "1";
    QTest::newRow("general item nested") << own(knk(2, longs(1, 2), ks("a"))) << 0LL << "1j, 2j";
    QTest::newRow("general item sorted") << own(knk(1, withAttr(longs(1, 2), 1))) << 0LL << "`s#1j, 2j";
    QTest::newRow("general item string") << own(knk(1, str("ab"))) << 0LL << "\"ab\"";
    QTest::newRow("general item source") << own(knk(1, str("{x}"))) << 0LL << "{x}";
    QTest::newRow("past the end") << own(longs(1, 3)) << 3LL << "";
    QTest::newRow("empty list") << own(ktn(KJ, 0)) << 0LL << "";
    QTest::newRow("atom unchanged") << own(kj(nj)) << 0LL << "0Nj";
    QTest::newRow("dictionary whole") << own(xD(syms({"a"}), list<J>(KJ, {1}))) << 0LL << "(enlist `a)!enlist 1j";
}

void TestRenderStructures::elementMode()
{
    QFETCH(KPtr, value);
    QFETCH(qlonglong, element);
    QFETCH(QString, expected);
    QCOMPARE(KRender().render(value.get(), -1, false, element), expected);
}

void TestRenderStructures::elementModeSettings_data()
{
    QTest::addColumn<KPtr>("value");
    QTest::addColumn<qlonglong>("element");
    QTest::addColumn<bool>("nullsEmpty");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("expected");
    QTest::newRow("long null empty") << own(list<J>(KJ, {nj})) << 0LL << true << "" << "";
    QTest::newRow("short null empty") << own(list<int>(KH, {nh})) << 0LL << true << "" << "";
    QTest::newRow("real null empty") << own(list<double>(KE, {qnan})) << 0LL << true << "" << "";
    QTest::newRow("float null empty") << own(list<double>(KF, {qnan})) << 0LL << true << "" << "";
    QTest::newRow("date null empty") << own(list<int>(KD, {ni})) << 0LL << true << "" << "";
    QTest::newRow("timestamp null empty") << own(list<J>(KP, {nj})) << 0LL << true << "" << "";
    QTest::newRow("infinity stays") << own(list<J>(KJ, {wj})) << 0LL << true << "" << "0W";
    QTest::newRow("value stays") << own(list<J>(KJ, {0})) << 0LL << true << "" << "0";
    QTest::newRow("empty symbol stays empty") << own(syms({""})) << 0LL << true << "" << "";
    QTest::newRow("long atom null keeps suffix") << own(kj(nj)) << 0LL << true << "" << "j";
    QTest::newRow("float atom null keeps suffix") << own(kf(qnan)) << 0LL << true << "" << "f";
    QTest::newRow("short atom null keeps suffix") << own(kh(nh)) << 0LL << true << "" << "h";
    QTest::newRow("whole value ignores setting") << own(list<J>(KJ, {nj, 1})) << -1LL << true << "" << "0Nj, 1j";
    QTest::newRow("locale long") << own(list<J>(KJ, {1234567})) << 0LL << false << "en_US" << "1,234,567.00";
    QTest::newRow("locale negative int") << own(list<int>(KI, {-5})) << 0LL << false << "en_US" << "-5.00";
    QTest::newRow("locale float") << own(list<double>(KF, {1234.5})) << 0LL << false << "en_US" << "1,234.50";
    QTest::newRow("locale float rounds") << own(list<double>(KF, {0.125678})) << 0LL << false << "en_US" << "0.13";
    QTest::newRow("locale real") << own(list<double>(KE, {2.5})) << 0LL << false << "de_DE" << "2,50";
    QTest::newRow("locale german grouping") << own(list<J>(KJ, {1234})) << 0LL << false << "de_DE" << "1.234,00";
    QTest::newRow("locale null untouched") << own(list<J>(KJ, {nj})) << 0LL << false << "en_US" << "0N";
    QTest::newRow("locale infinity untouched") << own(list<double>(KF, {qinf})) << 0LL << false << "en_US" << "0w";
    QTest::newRow("locale date untouched") << own(list<int>(KD, {0})) << 0LL << false << "en_US" << "2000.01.01";
    QTest::newRow("locale whole value ignores") << own(list<J>(KJ, {1234, 1})) << -1LL << false << "en_US"
                                                << "1234j, 1j";
}

void TestRenderStructures::elementModeSettings()
{
    QFETCH(KPtr, value);
    QFETCH(qlonglong, element);
    QFETCH(bool, nullsEmpty);
    QFETCH(QString, locale);
    QFETCH(QString, expected);
    RenderOptions options;
    options.nullsAreEmpty = nullsEmpty;
    options.numberLocaleFormat = !locale.isEmpty();
    if (!locale.isEmpty())
        options.locale = QLocale(locale);
    QCOMPARE(KRender(options).render(value.get(), -1, false, element), expected);
}

void TestRenderStructures::localeTextIsBounded()
{
    RenderOptions options;
    options.numberLocaleFormat = true;
    options.locale = QLocale(QLocale::English, QLocale::UnitedStates);
    const KPtr huge = own(list<double>(KF, {1e300}));
    const QString text = KRender(options).render(huge.get(), -1, false, 0);
    QCOMPARE(text.size(), 256);
    QVERIFY(text.startsWith(QStringLiteral("1,000,000,000,000,000,0")));
}

void TestRenderStructures::rendererIsReusable()
{
    // One renderer serves many cells; nothing of an earlier text leaks.
    KRender render;
    const KPtr big = own(knk(2, str("{x}"), longs(1, 50)));
    const KPtr source = own(str("{x}"));
    QCOMPARE(render.render(big.get(), -1, false, 0), QStringLiteral("{x}"));
    QCOMPARE(render.render(big.get(), -1, false, -1, 8), QStringLiteral("(\"{x}\";1j, 2...)"));
    QCOMPARE(render.render(source.get()), QStringLiteral("{x}"));
    QCOMPARE(render.render(big.get(), -1, false, 1, 0).left(6), QStringLiteral("1j, 2j"));
}

QTEST_GUILESS_MAIN(TestRenderStructures)
#include "tst_render_structures.moc"
