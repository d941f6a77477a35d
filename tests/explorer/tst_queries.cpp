// The service query texts, byte for byte, for a small model.
#include "explorer/ServiceQueries.h"

#include <QTest>

namespace {
// The texts as an instance receives them, written out whole.
const QString kHead = QStringLiteral(R"q({[q] t:system"T";tm:@[{$[x>0;[system"T ",string x;1b];0b]};)q");
const QString kTail = QStringLiteral(R"q(;{0b}];r:$[tm;@[0;(q;::);{[tm; t; msgs] if[tm;system"T ",string t];'msgs}[tm;t]];@[q;::;{'x}]];if[tm;system"T ",string t];r})q");
const QString kNamespaces = QStringLiteral(R"q({do[1000;2+2];{@[{.z.tovo.ns.r1:x;:.z.tovo.ns.r1};x;{r:y;:r}[;x]]}({:x!{![sv[`;] each x cross `Tables`Functions`Variables; system each "afv" cross enlist[" "] cross enlist string x]} each x} [{raze x,.z.s'[{x where{@[{1#get x};x;`]~1#.q}'[x]}` sv'x,'key x]}`]),(enlist `.z)!flip (`.z.Tables`.z.Handlers`.z.Constants)!(enlist 0#`;enlist `ac`bm`exit`pc`pd`pg`ph`pi`pm`po`pp`pq`ps`pw`vs`ts`s`wc`wo`ws;enlist `a`b`e`ex`ey`f`h`H`i`k`K`l`o`q`r`u`w`W`x`X`n`N`p`P`z`Z`t`T`d`D`c`zd)})q");
const QString kVariables = QStringLiteral(R"q({[x;y]do[1000;2+2];{@[{.z.tovo.ns.r2:x;:.z.tovo.ns.r2};x;{r:y;:r}[;x]]}(){:x,(enlist y)!enlist (type value y;@[count; value y;-13j];@[-22!;value y;-4]-9)}/x}((),{x@where{not `velz_err~@[{.:[x]};x;`velz_err]}each x}(`$)q");
const QString kMiddle = QStringLiteral(R"q()) except (),{x@where{1b~.Q.qp .:[x]}each x}((),(`$)q");
const QString kTables = QStringLiteral(R"q({[x;y]do[1000;2+2];{@[{.z.tovo.ns.r3:x;:.z.tovo.ns.r3};x;{r:y;:r}[;x]]}(){:x,(enlist y)!enlist(@[meta;y;`$];type .:[y];((0,0b,1b)!1 2 3i)[.Q.qp .:[y]])}/x}`$)q");
const QString kFunctions = QStringLiteral(R"q({[x;y]do[10000;2+2];{@[{.z.tovo.ns.r4:x; : .z.tovo.ns.r4}; x; {r:y; : r}[; x]]}{r:{$[@:[x]within(106h; 111h);.z.s .:[x];104h=@:[x];.z.s .:[x]0;x]}.:[x];:(type .:[x];{$[4<>type{@[{-8!{(3#1_x),-1#x}2 .:/x};x;`i]}x;();(in[;104 105h]type .:[x])&4<>type{@[{-8!2 .:/x};x;`i]}x;();{$[100h=type y;(enlist()),(3#1_x),(-1#x),$[3.5<=.z.K;(-3#-1_x);()];100h=type z;(enlist x),(3#1_.:[z]),(-1#.:[z]),$[3.5<=.z.K;(-3#-1_.:[z]);()];(enlist $[112<>type z;x;`code]),(enlist(({$[5=x;1;12=x;0;x]}@:[z]-100)#`x`y`z)),(3#`$()),$[112<>type z;z;`code]]}[;.:[x];y]@[{2 .:/x};x;()]]}[;r]x;$[112h=type r;`;105h=type r;`;not(type .:[x])within(104h;111h);`;{{$[2>count x;$[z within(101h;103h); .z.s[(();(z-100)#`x`y`z);y;100h];112=z;.z.s[(();`$());y;100h];.z.s[.:[x];y;type x]];$[99h<type x[0];[t:.z.s[.:[x[0]];1_x;type x 0];t except t@where 101<>type each y];x[1] except x[1]@where 101<>type each y]]}[2 .:/x;();type .:[x]]}x];{$[100h<>type x;`$(();());(`$(();())){x union'$[100h=type y;(();({{$[`=y;x;{` sv$[`=x[0];();`,y],x}[;y]` vs x]}[;x[0]]each 1_x}.:[y]3))union'(();()).z.s/4_-1_.:[y];-11h=type y;((),y;());(();())]}/4_-1_.:[x]]}r)}@'x}{x!x}{x@where{not`err_vel~@[{.:[x]};x;`err_vel]}each x}`$)q");
const QString kFiles = QStringLiteral(R"q({[x;y]do[10000;2+2];{@[{.z.tovo.ns.r5:x; : .z.tovo.ns.r5}; x; {r:y; : r}[; x]]}{@[{read1 x};x;`byte$()]} each x}`$)q");
} // namespace

class TestServiceQueries : public QObject {
    Q_OBJECT
private slots:
    void wrapperTailIsTheSameForAll();
    void texts_data();
    void texts();
    void nameLists_data();
    void nameLists();
    void plainIdentifiers_data();
    void plainIdentifiers();
};

void TestServiceQueries::wrapperTailIsTheSameForAll() { QCOMPARE(kTail.size(), 124); }

void TestServiceQueries::texts_data()
{
    QTest::addColumn<QString>("actual");
    QTest::addColumn<QString>("expected");
    const QStringList vars{QStringLiteral("a"), QStringLiteral(".feed.x"), QStringLiteral("t")};
    const QStringList tables{QStringLiteral("t")};
    const QStringList functions{QStringLiteral(".feed.f"), QStringLiteral("g")};
    const QStringList files{QStringLiteral("C:\\q\\f.q"), QStringLiteral("/q/g.q")};
    for (int t : {0, 30}) {
        const QString w = kHead + QString::number(t) + kTail;
        const QByteArray tag = QByteArray::number(t);
        QTest::newRow("namespaces T=" + tag) << ServiceQueries::namespacesQuery(t) << w + kNamespaces;
        QTest::newRow("variables T=" + tag) << ServiceQueries::variablesQuery(t, vars, tables)
                                           << w + kVariables + QStringLiteral(R"(["a";".feed.x";"t"])") + kMiddle
                + QStringLiteral(R"x(["t"])))x");
        QTest::newRow("variables without tables T=" + tag)
            << ServiceQueries::variablesQuery(t, {QStringLiteral("a")}, {})
            << w + kVariables + QStringLiteral(R"(["a"])") + kMiddle + QStringLiteral("))");
        QTest::newRow("tables T=" + tag) << ServiceQueries::tablesQuery(t, tables)
                                        << w + kTables + QStringLiteral(R"(["t"])");
        QTest::newRow("functions T=" + tag) << ServiceQueries::functionsQuery(t, functions)
                                           << w + kFunctions + QStringLiteral(R"([".feed.f";"g"])");
        QTest::newRow("files T=" + tag) << ServiceQueries::filesQuery(t, files)
                                       << w + kFiles + QStringLiteral(R"(["C:\\q\\f.q";"/q/g.q"])");
    }
}

void TestServiceQueries::texts()
{
    QFETCH(QString, actual);
    QFETCH(QString, expected);
    QCOMPARE(actual, expected);
}

void TestServiceQueries::nameLists_data()
{
    QTest::addColumn<QString>("actual");
    QTest::addColumn<QString>("expected");
    QTest::newRow("none") << ServiceQueries::nameList({}) << QString();
    QTest::newRow("one") << ServiceQueries::nameList({QStringLiteral("trades")}) << QStringLiteral(R"(["trades"])");
    QTest::newRow("two") << ServiceQueries::nameList({QStringLiteral("trades"), QStringLiteral(".feed.upd")})
                         << QStringLiteral(R"(["trades";".feed.upd"])");
    QTest::newRow("no files") << ServiceQueries::filesList({}) << QString();
    // A quote in a path cannot end the q string early.
    QTest::newRow("quote in a path") << ServiceQueries::filesList({QStringLiteral("/q/a\"b.q")})
                                     << QStringLiteral(R"(["/q/a\"b.q"])");
}

void TestServiceQueries::nameLists()
{
    QFETCH(QString, actual);
    QFETCH(QString, expected);
    QCOMPARE(actual, expected);
}

void TestServiceQueries::plainIdentifiers_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("plain");
    QTest::newRow("letters") << QStringLiteral("trades") << true;
    QTest::newRow("digits and underscore") << QStringLiteral("t_1") << true;
    QTest::newRow("unicode letter") << QStringLiteral("\u00e9t\u00e9") << true;
    QTest::newRow("leading digit") << QStringLiteral("1t") << false;
    QTest::newRow("leading underscore") << QStringLiteral("_t") << false;
    QTest::newRow("blank") << QStringLiteral("a b") << false;
    QTest::newRow("quote") << QStringLiteral("a\"b") << false;
    QTest::newRow("dot") << QStringLiteral("a.b") << false;
    QTest::newRow("empty") << QString() << false;
}

void TestServiceQueries::plainIdentifiers()
{
    QFETCH(QString, name);
    QFETCH(bool, plain);
    QCOMPARE(ServiceQueries::isPlainIdentifier(name), plain);
}

QTEST_APPLESS_MAIN(TestServiceQueries)
#include "tst_queries.moc"
