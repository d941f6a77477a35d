// Entities made from service query replies: derived texts, size estimates,
// the properties shown, the query text and the navigation history.
#include "explorer/CQFunction.h"
#include "explorer/CQTable.h"
#include "explorer/CQVariable.h"
#include "explorer/DependencyWalk.h"
#include "explorer/EntityCommands.h"
#include "explorer/EntityProperties.h"
#include "explorer/Inventory.h"
#include "explorer/NamespaceModel.h"
#include "explorer/NavigationHistory.h"
#include "explorer/ReservedNames.h"

#include "kdb/KPtr.h"

#include <QTest>

namespace {

K symbols(const QStringList& names)
{
    K list = ktn(KS, 0);
    for (const QString& name : names)
        js(&list, ss(name.toUtf8().constData()));
    return list;
}

K text(const char* s) { return kp(s); }

// A lambda's definition list as the functions query sends it.
K lambdaDefinition(const QStringList& params, const QStringList& locals, const QStringList& globals, const char* body,
                   const char* origin = nullptr, const char* file = nullptr, J line = -1)
{
    K d = knk(5, ktn(0, 0), symbols(params), symbols(locals), symbols(globals), text(body));
    if (origin) {
        jk(&d, text(origin));
        jk(&d, text(file));
        jk(&d, kj(line));
    }
    return d;
}

QString propertyOf(const QList<EntityPropertyGroup>& groups, const QString& name)
{
    for (const auto& group : groups)
        for (const auto& p : group.properties)
            if (p.name == name)
                return p.value;
    return QStringLiteral("<none>");
}

// meta of a table: keys ([] c), values ([] t f a).
K meta(const QStringList& columns, const QByteArray& types, const QStringList& keys, const QStringList& attributes)
{
    K c = xT(xD(symbols({QStringLiteral("c")}), knk(1, symbols(columns))));
    K v = xT(xD(symbols({QStringLiteral("t"), QStringLiteral("f"), QStringLiteral("a")}),
                knk(3, kpn(types.constData(), types.size()), symbols(keys), symbols(attributes))));
    return xD(c, v);
}

} // namespace

class TestEntities : public QObject {
    Q_OBJECT
private slots:
    void dependencyWalks();
    void inventories();
    void entityCommandTexts();
    void findLargest();
    void variables_data();
    void variables();
    void tables();
    void tableMetaFailed();
    void lambda();
    void lambdaInRoot();
    void projection();
    void placeholder();
    void hidePureIndirects();
    void descriptions();
    void navigation();
};

void TestEntities::variables_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<qint64>("count");
    QTest::addColumn<QString>("typeText");
    QTest::addColumn<QString>("countText");
    QTest::addColumn<QString>("size");
    QTest::newRow("long atom") << -7 << qint64(1) << QStringLiteral("long (Scalar)") << QStringLiteral("<none>")
                               << QStringLiteral("8 bytes");
    QTest::newRow("1000 longs") << 7 << qint64(1000) << QStringLiteral("long") << QStringLiteral("1000")
                                << QStringLiteral("~7.8125KB");
    QTest::newRow("nested list") << 0 << qint64(3) << QStringLiteral("mixed") << QStringLiteral("3")
                                 << QStringLiteral("Unknown");
    QTest::newRow("short vector") << 5 << qint64(10) << QStringLiteral("short") << QStringLiteral("10")
                                  << QStringLiteral("20 bytes");
    QTest::newRow("count failed") << 9 << qint64(-13) << QStringLiteral("float") << QStringLiteral("Unknown")
                                  << QStringLiteral("Unknown");
    QTest::newRow("nested longs") << 84 << qint64(2) << QStringLiteral("long (Nested)") << QStringLiteral("2")
                                  << QStringLiteral("Unknown");
}

void TestEntities::variables()
{
    QFETCH(int, type);
    QFETCH(qint64, count);
    QFETCH(QString, typeText);
    QFETCH(QString, countText);
    QFETCH(QString, size);
    CQVariable v(QStringLiteral(".feed"), QStringLiteral("v"), type, count, 100);
    QCOMPARE(v.fullName(), QStringLiteral(".feed.v"));
    QCOMPARE(v.kind(), 5);
    const auto groups = EntityProperties::of(v, nullptr, nullptr);
    QCOMPARE(groups.front().name, QStringLiteral("Variable"));
    QCOMPARE(propertyOf(groups, QStringLiteral("Type")), typeText);
    QCOMPARE(propertyOf(groups, QStringLiteral("Count")), countText);
    QCOMPARE(propertyOf(groups, QStringLiteral("Size")), size);
    QCOMPARE(propertyOf(groups, QStringLiteral("IPC Size")), QStringLiteral("100 bytes"));
    QCOMPARE(EntityProperties::queryText(v), QStringLiteral(".feed.v"));
}

void TestEntities::tables()
{
    KPtr m(meta({QStringLiteral("date"), QStringLiteral("sym"), QStringLiteral("price"), QStringLiteral("tags"),
                 QStringLiteral("acct")},
                "dsfCj", {QString(), QString(), QString(), QString(), QStringLiteral("accounts")},
                {QString(), QStringLiteral("g"), QString(), QString(), QString()}));
    CQTable keyed(QString(), QStringLiteral("k"), m.get(), CQTable::storageOf(99, 1), 10, 400);
    QCOMPARE(keyed.type(), 99);
    auto groups = EntityProperties::of(keyed, nullptr, nullptr);
    QCOMPARE(propertyOf(groups, QStringLiteral("Type")), QStringLiteral("Keyed (in-memory)"));
    QCOMPARE(propertyOf(groups, QStringLiteral("Row count")), QStringLiteral("10"));
    QCOMPARE(propertyOf(groups, QStringLiteral("date")), QStringLiteral("date (4 bytes)"));
    QCOMPARE(propertyOf(groups, QStringLiteral("tags")), QStringLiteral("char list"));
    QCOMPARE(propertyOf(groups, QStringLiteral("grouped")), QStringLiteral("sym"));
    // A nested column has no element size: it counts -1 byte, and the rest of
    // the row (4 + 4 + 8 + 8 bytes) still gives an estimate, a low one.
    QCOMPARE(keyed.rowWidth(), 23);
    QCOMPARE(keyed.sizeEstimate(), 230);
    QCOMPARE(propertyOf(groups, QStringLiteral("Size")), QStringLiteral("230 bytes"));
    QCOMPARE(groups.last().name, QStringLiteral("Foreign keys"));
    QCOMPARE(groups.last().properties.size(), 1);
    QCOMPARE(groups.last().properties.front().name, QStringLiteral("acct"));
    QCOMPARE(groups.last().properties.front().value, QStringLiteral("accounts"));
    QCOMPARE(EntityProperties::queryText(keyed), QStringLiteral("k"));

    KPtr flat(meta({QStringLiteral("date"), QStringLiteral("price")}, "df", {QString(), QString()}, {QString(), QString()}));
    CQTable partitioned(QString(), QStringLiteral("p"), flat.get(), CQTable::storageOf(98, 3), 10000, -1);
    groups = EntityProperties::of(partitioned, nullptr, nullptr);
    QCOMPARE(propertyOf(groups, QStringLiteral("Type")), QStringLiteral("Partitioned (on disk)"));
    QCOMPARE(propertyOf(groups, QStringLiteral("date")), QStringLiteral("Physical partitioning"));
    QCOMPARE(partitioned.sizeEstimate(), 10000 * 12);
    QCOMPARE(propertyOf(groups, QStringLiteral("IPC Size")), QStringLiteral("Unknown"));
    // 10000 rows or more: the Query command has no text.
    QCOMPARE(EntityProperties::queryText(partitioned), QString());
    CQTable damaged(QString(), QStringLiteral("d"), flat.get(), CQTable::storageOf(98, 2), -13, -13);
    groups = EntityProperties::of(damaged, nullptr, nullptr);
    QCOMPARE(propertyOf(groups, QStringLiteral("Type")), QStringLiteral("Splayed (on disk)"));
    QCOMPARE(propertyOf(groups, QStringLiteral("Status")), QStringLiteral("Damaged (?)"));
    QCOMPARE(propertyOf(groups, QStringLiteral("Row count")), QStringLiteral("<none>"));
    QCOMPARE(damaged.sizeEstimate(), -13);
    QCOMPARE(EntityProperties::queryText(damaged), QString());
    QCOMPARE(CQTable::storageOf(98, 7), int(CQTable::OnDisk));
    QCOMPARE(CQTable::storageOf(5, 1), int(CQTable::OnDisk));
}

void TestEntities::tableMetaFailed()
{
    KPtr failure(ks("nyi"));
    CQTable t(QString(), QStringLiteral("t"), failure.get(), CQTable::InMemory, 5, 50);
    const auto groups = EntityProperties::of(t, nullptr, nullptr);
    QCOMPARE(propertyOf(groups, QStringLiteral("Error")), QStringLiteral("`nyi"));
    QCOMPARE(groups.size(), 1);
    QVERIFY(t.columns().isEmpty());
}

void TestEntities::entityCommandTexts()
{
    QCOMPARE(EntityCommands::sourceText(QStringLiteral(".feed.f"), QStringLiteral("{x+y}")),
             QStringLiteral(".feed.f:{x+y};\n\n"));
    // A k definition: the "k)" goes in front of the name.
    QCOMPARE(EntityCommands::sourceText(QStringLiteral("g"), QStringLiteral("k){x}")), QStringLiteral("k)g:{x};\n\n"));
    QCOMPARE(EntityCommands::sourceText(QStringLiteral("h"), QStringLiteral("{a:1;\r\n b:2}")),
             QStringLiteral("h:{a:1;\n b:2};\n\n"));
    const CQVariable root(QString(), QStringLiteral("x"), -7, 1, 9);
    const CQVariable nested(QStringLiteral(".feed"), QStringLiteral("trades"), 98, 1, 9);
    QCOMPARE(EntityCommands::deleteQuery(root), QStringLiteral("delete x from `."));
    QCOMPARE(EntityCommands::deleteQuery(nested), QStringLiteral("delete trades from `.feed"));
    QCOMPARE(EntityCommands::deleteQuestion(QStringLiteral("delete x from `.")),
             QStringLiteral("You are about to delete x from `.\n Are you absolutely sure???"));
}

void TestEntities::findLargest()
{
    // Tables on disk never win, whatever their sizes; an estimate of 0 never
    // wins; equal sizes go to the first name.
    NamespaceModel model;
    KPtr flat(meta({QStringLiteral("d"), QStringLiteral("p")}, "df", {QString(), QString()}, {QString(), QString()}));
    QCOMPARE(EntityCommands::largest(model, false), nullptr);
    model.insert(std::make_unique<CQFunction>(QString(), QStringLiteral("f"), 100, nullptr, QStringLiteral("`"),
                                              QStringLiteral("`symbol$()"), QStringLiteral("`symbol$()")));
    model.insert(std::make_unique<CQVariable>(QString(), QStringLiteral("empty"), 7, 0, 0));
    QCOMPARE(EntityCommands::largest(model, false), nullptr); // only a function and a size of 0
    QCOMPARE(EntityCommands::largest(model, true), nullptr);
    for (int storage : {CQTable::OnDisk, CQTable::Splayed, CQTable::Partitioned, CQTable::Segmented})
        model.insert(std::make_unique<CQTable>(QString(), QStringLiteral("disk%1").arg(storage), flat.get(), storage,
                                               1000000, 99999999));
    QCOMPARE(EntityCommands::largest(model, false), nullptr);
    QCOMPARE(EntityCommands::largest(model, true), nullptr);
    model.insert(std::make_unique<CQVariable>(QStringLiteral(".b"), QStringLiteral("v"), 7, 100, 808));
    model.insert(std::make_unique<CQVariable>(QStringLiteral(".a"), QStringLiteral("v"), 7, 100, 808));
    model.insert(std::make_unique<CQTable>(QString(), QStringLiteral("mem"), flat.get(), CQTable::InMemory, 1000, 5000));
    QCOMPARE(EntityCommands::largest(model, false)->fullName(), QStringLiteral("mem")); // 1000 x 12 bytes
    QCOMPARE(EntityCommands::largest(model, false)->sizeEstimate(), 12000);
    QCOMPARE(EntityCommands::largest(model, true)->fullName(), QStringLiteral("mem"));
    model.insert(std::make_unique<CQTable>(QString(), QStringLiteral("mem"), flat.get(), CQTable::InMemory, 1, 8));
    QCOMPARE(EntityCommands::largest(model, false)->fullName(), QStringLiteral(".a.v")); // 800 bytes, the first name
    QCOMPARE(EntityCommands::largest(model, true)->fullName(), QStringLiteral(".a.v"));
}

void TestEntities::dependencyWalks()
{
    NamespaceModel model;
    auto lambda = [&model](const QString& ns, const QString& name, const QStringList& globals, const char* symbols) {
        QStringList g = globals;
        g.prepend(ns.mid(1)); // the function's namespace comes first, without its dot
        KPtr d(lambdaDefinition({QStringLiteral("x")}, {}, g, "{x}"));
        return static_cast<CQFunction*>(model.insert(std::make_unique<CQFunction>(
            ns, name, 100, d.get(), QStringLiteral("`"), QStringLiteral("`symbol$()"), QString::fromLatin1(symbols))));
    };
    CQFunction* f = lambda(QString(), QStringLiteral("f"), {QStringLiteral("g"), QStringLiteral("v")}, "`symbol$()");
    CQFunction* g = lambda(QString(), QStringLiteral("g"), {QStringLiteral("f"), QStringLiteral("w")}, "`symbol$()");
    CQFunction* h = lambda(QString(), QStringLiteral("h"), {QStringLiteral("h"), QStringLiteral("zz")}, "`v`nothing");
    CQFunction* u = lambda(QStringLiteral(".u"), QStringLiteral("upd"), {QStringLiteral("tab"), QStringLiteral(".u.pub")},
                           "`symbol$()");
    auto v = std::make_unique<CQVariable>(QString(), QStringLiteral("v"), -7, 1, 9);
    v->setDescription(QStringLiteral("row limit"));
    model.insert(std::move(v));
    model.insert(std::make_unique<CQVariable>(QString(), QStringLiteral("w"), -7, 1, 9));
    model.insert(std::make_unique<CQVariable>(QStringLiteral(".u"), QStringLiteral("tab"), 98, 1, 9));

    // f calls g, g calls f: the loop ends at f's second appearance.
    QCOMPARE(DependencyWalk::dependencies(*f, QString(), model, nullptr),
             QStringLiteral("f[x]\n    g[x]\n        f (loop!)\n        w (var)\n    v (row limit)"));
    // Itself by name, a name of nothing, a symbol naming an entity (`v) and one naming nothing.
    QCOMPARE(DependencyWalk::dependencies(*h, QString(), model, nullptr),
             QStringLiteral("h[x]\n    h (slf)\n    zz (\?\?\?)\n    v (row limit)"));
    // Names of a namespaced function are qualified with its namespace.
    DependencyWalk::Item root{u->fullName(), 4, {}};
    QCOMPARE(DependencyWalk::dependencies(*u, QString(), model, &root),
             QStringLiteral(".u.upd[x]\n    .u.tab (var)\n    .u.pub (\?\?\?)"));
    QCOMPARE(root.children.size(), std::size_t(2));
    QCOMPARE(root.children[0].name, QStringLiteral(".u.tab"));
    QCOMPARE(root.children[0].image, int(CQEntity::Variable));
    QCOMPARE(root.children[1].image, 7);

    // Callers: the used-in names, recursively; a name of nothing has no item.
    g->setUsedInText(QStringLiteral("f, gone"));
    f->setUsedInText(QStringLiteral("g"));
    DependencyWalk::Item callers{g->fullName(), 4, {}};
    QCOMPARE(DependencyWalk::callers(*g, QString(), model, &callers),
             QStringLiteral("g[x]\n    f[x]\n        g (loop!)\n    gone (\?\?\?)"));
    QCOMPARE(callers.children.size(), std::size_t(1));

    // A dense graph (each of 20 functions calls every later one) has 2^19
    // paths: the walk stops at its bound and says so, items included.
    NamespaceModel dense;
    for (int i = 0; i < 20; ++i) {
        QStringList calls{QString()};
        for (int j = i + 1; j < 20; ++j)
            calls << QStringLiteral("d%1").arg(j);
        KPtr d(lambdaDefinition({QStringLiteral("x")}, {}, calls, "{x}"));
        dense.insert(std::make_unique<CQFunction>(QString(), QStringLiteral("d%1").arg(i), 100, d.get(),
                                                  QStringLiteral("`"), QStringLiteral("`symbol$()"),
                                                  QStringLiteral("`symbol$()")));
    }
    DependencyWalk::Item denseRoot{QStringLiteral("d0"), 4, {}};
    const QStringList lines = DependencyWalk::dependencies(*static_cast<const CQFunction*>(dense.find(QStringLiteral("d0"))),
                                                           QString(), dense, &denseRoot)
                                  .split(u'\n');
    QCOMPARE(lines.last(), DependencyWalk::stoppedLine());
    QVERIFY(lines.size() <= DependencyWalk::kMaxLines + 2);
    QVERIFY(lines.size() > DependencyWalk::kMaxLines / 2);

    // Get source (w/ all dependents): the functions of the text, once each.
    const QStringList names = DependencyWalk::functionNames(DependencyWalk::dependencies(*f, QString(), model, nullptr));
    QCOMPARE(names, QStringList({"f", "g"}));
    QCOMPARE(DependencyWalk::sourceQuery(names),
             QStringLiteral("{x!{.:[x]}each x}(),{x@where {112h<>type .:[x]}each x}(),`f`g"));
}

void TestEntities::inventories()
{
    using Inventory::Kind;
    NamespaceModel model;
    model.insert(std::make_unique<CQVariable>(QString(), QStringLiteral("trades"), 98, 1000, 64000));
    model.insert(std::make_unique<CQVariable>(QStringLiteral(".feed"), QStringLiteral("Trade"), 7, 5, 100));
    model.insert(std::make_unique<CQVariable>(QString(), QStringLiteral("a"), -7, 1, 9));
    auto reserved = std::make_unique<CQVariable>(QStringLiteral(".z"), QStringLiteral("K"), -9, 1, 17);
    reserved->setDescription(QStringLiteral("kdb+ version"));
    model.insert(std::move(reserved));
    KPtr d1(lambdaDefinition({QStringLiteral("x")}, {}, {QString()}, "{select from trades where x}", "..f", "/q/a.q", 3));
    model.insert(std::make_unique<CQFunction>(QString(), QStringLiteral("f"), 100, d1.get(), QStringLiteral("`"),
                                              QStringLiteral("`symbol$()"), QStringLiteral("`symbol$()")));
    KPtr d2(lambdaDefinition({QStringLiteral("y")}, {}, {QStringLiteral("u")}, "{y}", "..g", "", -1));
    model.insert(std::make_unique<CQFunction>(QStringLiteral(".u"), QStringLiteral("g"), 100, d2.get(),
                                              QStringLiteral("`"), QStringLiteral("`symbol$()"), QStringLiteral("`symbol$()")));

    auto names = [](const std::vector<const CQEntity*>& rows) {
        QStringList out;
        for (const CQEntity* e : rows)
            out << e->fullName();
        return out;
    };
    // Variables: no functions, no described reserved names; TRADE finds both
    // tables in any case, neither with match case.
    std::vector<const CQEntity*> v = Inventory::rows(Kind::Variables, model, QString(), false);
    Inventory::sort(Kind::Variables, v, 1);
    QCOMPARE(names(v), QStringList({"a", "trades", ".feed.Trade"})); // root names first
    v = Inventory::rows(Kind::Variables, model, QStringLiteral("TRADE"), false);
    Inventory::sort(Kind::Variables, v, 1);
    QCOMPARE(names(v), QStringList({"trades", ".feed.Trade"}));
    QVERIFY(Inventory::rows(Kind::Variables, model, QStringLiteral("TRADE"), true).empty());
    // IPC size: a new click sorts the largest first, a second reverses.
    v = Inventory::rows(Kind::Variables, model, QString(), false);
    int key = Inventory::nextKey(1, 5);
    QCOMPARE(key, -5);
    Inventory::sort(Kind::Variables, v, key);
    QCOMPARE(names(v).first(), QStringLiteral("trades"));
    key = Inventory::nextKey(key, 5);
    QCOMPARE(key, 5);
    Inventory::sort(Kind::Variables, v, key);
    QCOMPARE(names(v).last(), QStringLiteral("trades"));
    QCOMPARE(Inventory::nextKey(4, 1), 1);
    const CQEntity* trades = model.find(QStringLiteral("trades"));
    QCOMPARE(Inventory::cells(Kind::Variables, *trades).mid(0, 3), QStringList({"trades", "table/flip", "1000"}));
    QCOMPARE(Inventory::image(Kind::Variables, *trades), 5);

    // Functions: by name and by body; file and line, an empty line for none.
    std::vector<const CQEntity*> f = Inventory::rows(Kind::Functions, model, QString(), false);
    Inventory::sort(Kind::Functions, f, 1);
    QCOMPARE(names(f), QStringList({"f", ".u.g"}));
    f = Inventory::rows(Kind::Functions, model, QString(), false, QStringLiteral("SELECT"));
    QCOMPARE(names(f), QStringList({"f"}));
    QCOMPARE(Inventory::cells(Kind::Functions, *model.find(QStringLiteral("f"))),
             QStringList({"f", "lambda", "/q/a.q", "3"}));
    QCOMPARE(Inventory::cells(Kind::Functions, *model.find(QStringLiteral(".u.g"))).value(3), QString());
}

void TestEntities::lambda()
{
    KPtr d(lambdaDefinition({QStringLiteral("x"), QStringLiteral("y")}, {QStringLiteral("r")},
                            {QStringLiteral("feed"), QStringLiteral("limit"), QStringLiteral(".u.pub")}, "{x+y}",
                            "..f", "/q/feed.q", 12));
    CQFunction f(QStringLiteral(".feed"), QStringLiteral("f"), 100, d.get(), QStringLiteral("`"),
                 QStringLiteral("enlist `.feed.g"), QStringLiteral("`symbol$()"));
    QCOMPARE(f.parameters(), QStringLiteral("[x;y]"));
    QCOMPARE(f.displayName(), QStringLiteral("f[x;y]"));
    QCOMPARE(f.functionNamespace(), QStringLiteral("feed"));
    QCOMPARE(f.globals(), QStringLiteral("limit, .u.pub"));
    QCOMPARE(f.locals(), QStringLiteral("r"));
    QCOMPARE(f.nestedGlobals(), QStringLiteral(".feed.g"));
    QCOMPARE(f.symbolReferences(), QString());
    QCOMPARE(f.body(), QStringLiteral("{x+y}"));
    QCOMPARE(f.fileName(), QStringLiteral("/q/feed.q"));
    QCOMPARE(f.fileLine(), 12);
    const auto groups = EntityProperties::of(f, nullptr, nullptr);
    QCOMPARE(propertyOf(groups, QStringLiteral("Type")), QStringLiteral("Lambda"));
    QCOMPARE(propertyOf(groups, QStringLiteral("Original name")), QStringLiteral("f"));
    QCOMPARE(propertyOf(groups, QStringLiteral("File line")), QStringLiteral("12"));
    // References are qualified with the function's namespace.
    QCOMPARE(propertyOf(groups, QStringLiteral(".feed.limit")), QStringLiteral("Not found"));
    QCOMPARE(propertyOf(groups, QStringLiteral(".u.pub")), QStringLiteral("Not found"));
    QCOMPARE(groups.at(1).name, QStringLiteral("Referenced Globals"));
    QCOMPARE(groups.at(2).name, QStringLiteral("Globals ref'd from nested"));
}

void TestEntities::lambdaInRoot()
{
    // Two leading backticks: the root namespace.
    KPtr d(lambdaDefinition({QStringLiteral("x")}, {}, {QString(), QStringLiteral("t")}, "{x}", "..g@", "", -1));
    CQFunction f(QString(), QStringLiteral("g"), 100, d.get(), QStringLiteral("`"), QStringLiteral("`symbol$()"),
                 QStringLiteral("`a`b"));
    QCOMPARE(f.functionNamespace(), QString());
    QCOMPARE(f.globals(), QStringLiteral("t"));
    QCOMPARE(f.parameters(), QStringLiteral("[x]"));
    QCOMPARE(f.locals(), QString());
    QCOMPARE(f.symbolReferences(), QStringLiteral("a, b"));
    const auto groups = EntityProperties::of(f, nullptr, nullptr);
    QCOMPARE(propertyOf(groups, QStringLiteral("Defined in")), QStringLiteral("g"));
    QCOMPARE(propertyOf(groups, QStringLiteral("File line")), QStringLiteral("<none>"));
}

void TestEntities::projection()
{
    K base = ktn(KLAMBDA, 2);
    kK(base)[0] = ks("");
    kK(base)[1] = kp("{x+y}");
    K elided = ka(KUNARY);
    elided->g = 0;
    K value = knk(3, base, ks("a"), elided);
    KPtr d(knk(5, value, symbols({QStringLiteral("x"), QStringLiteral("y")}), symbols({}), symbols({QString()}),
               text("{x+y}")));
    CQFunction p(QString(), QStringLiteral("p"), 104, d.get(), QStringLiteral("enlist `y"), QStringLiteral("`symbol$()"),
                 QStringLiteral("`symbol$()"));
    QCOMPARE(p.displayName(), QStringLiteral("p[y]"));
    QCOMPARE(p.projectionArguments(), QStringLiteral("[`a;]"));
    QVERIFY(p.body().endsWith(QStringLiteral("[`a;]")));
    QCOMPARE(p.baseBody(), QStringLiteral("{x+y}"));
    CQFunction closed(QString(), QStringLiteral("c"), 104, d.get(), QStringLiteral("`"), QString(), QString());
    QCOMPARE(closed.displayName(), QStringLiteral("c"));
}

void TestEntities::placeholder()
{
    CQFunction f(QStringLiteral(".z"), QStringLiteral("pg"), CQFunction::kUndefined, nullptr, {}, {}, {});
    f.setDescription(ReservedNames::describe(f.fullName()));
    QCOMPARE(f.displayName(), QString());
    const auto groups = EntityProperties::of(f, nullptr, nullptr);
    QCOMPARE(propertyOf(groups, QStringLiteral("Type")), QStringLiteral("Undefined"));
    QCOMPARE(propertyOf(groups, QStringLiteral("Description")), QStringLiteral("Handler: get"));
    QCOMPARE(propertyOf(groups, QStringLiteral("Body")), QStringLiteral("<none>"));
}

void TestEntities::hidePureIndirects()
{
    KPtr d(lambdaDefinition({QStringLiteral("x")}, {}, {QStringLiteral("feed")}, "{g x; each[h] x}"));
    CQFunction f(QStringLiteral(".feed"), QStringLiteral("f"), 100, d.get(), QStringLiteral("`"),
                 QStringLiteral("`.feed.g`.q.each`.feed.other"), QString(), true);
    QCOMPARE(f.nestedGlobals(), QStringLiteral(".feed.g, .q.each"));
}

void TestEntities::descriptions()
{
    QCOMPARE(ReservedNames::size(), 52 + 42 + 59);
    QCOMPARE(ReservedNames::describe(QStringLiteral(".z.pg")), QStringLiteral("Handler: get"));
    QCOMPARE(ReservedNames::describe(QStringLiteral(".z.W")), QStringLiteral("handles"));
    QCOMPARE(ReservedNames::describe(QStringLiteral(".z.w")), QStringLiteral("handle"));
    QCOMPARE(ReservedNames::describe(QStringLiteral(".h.c1")), QStringLiteral("webcolor"));
    QCOMPARE(ReservedNames::describe(QStringLiteral(".Q.fsn")), QStringLiteral("streaming algorithm"));
    QCOMPARE(ReservedNames::describe(QStringLiteral(".Q.addmonths")), QString());
    QVERIFY(ReservedNames::isKnown(QStringLiteral(".Q.addmonths")));
    QVERIFY(!ReservedNames::isKnown(QStringLiteral("pg")));
    QVERIFY(!ReservedNames::isKnown(QStringLiteral(".Z.pg")));
}

void TestEntities::navigation()
{
    QStringList known{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
    NavigationHistory* self = nullptr;
    NavigationHistory history([&](const QString& name) {
        if (!known.contains(name))
            return false;
        self->setCurrent(name);
        return true;
    });
    self = &history;
    history.setCurrent(QStringLiteral("a"));
    QVERIFY(!history.canGoBack());
    QVERIFY(!history.jump(QStringLiteral("nowhere")));
    QVERIFY(!history.canGoBack());
    QVERIFY(history.jump(QStringLiteral("b")));
    QVERIFY(history.jump(QStringLiteral("c")));
    QCOMPARE(history.backList(), QStringList({QStringLiteral("a"), QStringLiteral("b")}));
    QVERIFY(history.back());
    QCOMPARE(history.current(), QStringLiteral("b"));
    QCOMPARE(history.forwardList(), QStringList({QStringLiteral("c")}));
    QVERIFY(history.back());
    QCOMPARE(history.current(), QStringLiteral("a"));
    QVERIFY(!history.canGoBack());
    QVERIFY(history.forward());
    QCOMPARE(history.current(), QStringLiteral("b"));
    // A new jump empties the forward list.
    QVERIFY(history.jump(QStringLiteral("a")));
    QVERIFY(!history.canGoForward());
    QCOMPARE(history.backList(), QStringList({QStringLiteral("a"), QStringLiteral("b")}));
}

QTEST_APPLESS_MAIN(TestEntities)
#include "tst_entities.moc"
