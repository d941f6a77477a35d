// The namespace load against the test instance's namespace model (called
// directly, no socket): what is sent, the entities made, the messages, and
// the tree built from them.
#include "explorer/CQFunction.h"
#include "explorer/CQTable.h"
#include "explorer/NamespaceLoad.h"
#include "explorer/CQVariable.h"
#include "explorer/NamespaceTree.h"
#include "explorer/ServiceChannel.h"
#include "explorer/ServiceQueries.h"

#include "core/values/KRender.h"

#include "InstanceNamespaces.h"
#include "kdb/KPtr.h"

#include <QTest>

namespace {

class ModelChannel : public ServiceChannel {
public:
    explicit ModelChannel(InstanceNamespaces& model) : m_model(model) {}
    K call(const QString& text) override
    {
        sent << text;
        if (dropAt == InstanceNamespaces::queryNumber(text))
            return nullptr;
        return m_model.answer(text).release();
    }
    QStringList sent;
    int dropAt = 0;

private:
    InstanceNamespaces& m_model;
};

struct Run {
    NamespaceLoad::Result result;
    QStringList messages;
    QStringList rootTexts;
    QStringList sent;
};

Run load(InstanceNamespaces& model, NamespaceLoadSettings settings = {}, std::shared_ptr<NamespaceModel> previous = {},
         int dropAt = 0)
{
    if (settings.serverName.isNull())
        settings.serverName = QStringLiteral("`:localhost:5001");
    ModelChannel channel(model);
    channel.dropAt = dropAt;
    Run run;
    NamespaceLoad::Observer observer;
    observer.message = [&](const QString& text) { run.messages << text; };
    observer.rootText = [&](const QString& text) { run.rootTexts << text; };
    run.result = NamespaceLoad::run(channel, settings, std::move(previous), observer);
    run.sent = channel.sent;
    return run;
}

InstanceNamespaces::Function lambdaOf(const QString& body, const QStringList& params = {},
                                      const QStringList& globals = {})
{
    InstanceNamespaces::Function f;
    f.body = body;
    f.params = params;
    f.globals = globals;
    return f;
}

// A small instance: root, .feed with a nested .feed.sub, an empty .empty,
// .ab beside .a, and .q built-ins.
void smallModel(InstanceNamespaces& m)
{
    InstanceNamespaces::Table trades;
    trades.rows = 3;
    trades.columns = {{QStringLiteral("sym"), 's', {}, QStringLiteral("g")}, {QStringLiteral("price"), 'f', {}, {}}};
    m.addTable(QStringLiteral("trades"), trades);
    m.addVariable(QStringLiteral("limit"), {-7, 1, 8});
    // Relative names of a lambda in .feed are .feed's: "missing" is .feed.missing.
    m.addFunction(QStringLiteral(".feed.upd"),
                  lambdaOf(QStringLiteral("{[t;x] t insert x; missing}"), {QStringLiteral("t"), QStringLiteral("x")},
                           {QStringLiteral("missing")}));
    m.addFunction(QStringLiteral(".feed.sub.f"), lambdaOf(QStringLiteral("{x+.a.v}"), {QStringLiteral("x")},
                                                          {QStringLiteral(".a.v")}));
    m.addFunction(QStringLiteral("rd"), lambdaOf(QStringLiteral("{select from trades where price>limit}"), {},
                                                 {QStringLiteral("trades"), QStringLiteral("limit")}));
    m.addVariable(QStringLiteral(".a.v"), {7, 1000, 8000});
    m.addVariable(QStringLiteral(".ab.w"), {-9, 1, 8});
    m.addVariable(QStringLiteral(".a.b.deep"), {-9, 1, 8});
    m.addNamespace(QStringLiteral(".empty"));
    m.addFunction(QStringLiteral(".q.each"), lambdaOf(QStringLiteral("{x'[y]}"), {QStringLiteral("x"), QStringLiteral("y")}));
    m.addVariable(QStringLiteral("bad name"), {-7, 1, 8});
}

} // namespace

class TestNamespaceLoad : public QObject {
    Q_OBJECT
private slots:
    void noServerSendsNothing();
    void lastSubNamespaceInOrder();
    void queriesInOrderWithTheirLists();
    void skippedQueries();
    void tableAlsoListedAsVariable();
    void failures_data();
    void failures();
    void malformedReplies_data();
    void malformedReplies();
    void tree_data();
    void tree();
    void unresolvedAndPlaceholders();
    void crossReference();
};

void TestNamespaceLoad::noServerSendsNothing()
{
    InstanceNamespaces m;
    smallModel(m);
    NamespaceLoadSettings settings;
    settings.serverName = QString(""); // empty, not null
    const Run run = load(m, settings);
    QVERIFY(run.sent.isEmpty());
    QVERIFY(run.messages.isEmpty());
    QCOMPARE(run.result.tree->toText(), QStringLiteral("Namespaces\n"));
    QVERIFY(!run.result.loaded);
    QVERIFY(run.result.serverName.isEmpty());
    QCOMPARE(run.result.endTime, 0);
}

void TestNamespaceLoad::queriesInOrderWithTheirLists()
{
    InstanceNamespaces m;
    smallModel(m);
    InstanceNamespaces::Function f = lambdaOf(QStringLiteral("{x}"), {QStringLiteral("x")});
    f.file = QStringLiteral("/q/feed.q");
    f.line = 3;
    m.addFunction(QStringLiteral(".feed.g"), f);
    NamespaceLoadSettings settings;
    settings.timeLimit = 30;
    const Run run = load(m, settings);
    QVERIFY(run.messages.isEmpty());
    QCOMPARE(run.sent.size(), 5);
    QCOMPARE(run.sent.at(0), ServiceQueries::namespacesQuery(30));
    // The tables list goes into the variables query's second slot; the name
    // with a blank is never sent.
    QVERIFY(run.sent.at(1).endsWith(QStringLiteral(R"x((`$["limit";"trades";".a.v";".a.b";".a.b.deep";".ab.w";".feed.sub";".q.each"])x")) == false);
    QVERIFY(!run.sent.join(QString()).contains(QStringLiteral("bad name")));
    QCOMPARE(run.sent.at(2), ServiceQueries::tablesQuery(30, {QStringLiteral("trades")}));
    QVERIFY(run.sent.at(3).startsWith(ServiceQueries::functionsQuery(30, {}).chopped(0)));
    QVERIFY(run.sent.at(3).contains(QStringLiteral(R"(".feed.g";".feed.upd")")));
    QCOMPARE(run.sent.at(4), ServiceQueries::filesQuery(30, {QStringLiteral("/q/feed.q")}));
    QCOMPARE(run.rootTexts,
             QStringList({QStringLiteral("Namespaces"), QStringLiteral("Querying namespaces..."),
                          QStringLiteral("Querying variables..."), QStringLiteral("Querying tables..."),
                          QStringLiteral("Querying functions..."), QStringLiteral("Building cross-reference..."),
                          QStringLiteral("Querying files...")}));
    const NamespaceModel& model = *run.result.model;
    QVERIFY(model.files.value(QStringLiteral("/q/feed.q")).contains(QStringLiteral(".feed.g:{x}")));
    QVERIFY(model.namespaceSet.contains(QString()));
    QVERIFY(model.namespaceSet.contains(QStringLiteral(".feed.sub")));
    QVERIFY(model.namespaceList.startsWith(QStringLiteral(";;;.a;")));
    QVERIFY(model.namespaceList.endsWith(QStringLiteral(";.z;")));
    QVERIFY(!model.contains(QStringLiteral("bad name")));
}

void TestNamespaceLoad::skippedQueries()
{
    // Only functions: no variables, tables or files query.
    InstanceNamespaces m;
    m.addFunction(QStringLiteral("f"), lambdaOf(QStringLiteral("{x}"), {QStringLiteral("x")}));
    const Run run = load(m);
    QCOMPARE(run.sent.size(), 3); // namespaces, variables (.z constants), functions
    QCOMPARE(InstanceNamespaces::queryNumber(run.sent.at(1)), 2);
    QVERIFY(run.sent.at(1).endsWith(QStringLiteral("((),(`$))")));
    QCOMPARE(InstanceNamespaces::queryNumber(run.sent.at(2)), 4);
}

void TestNamespaceLoad::tableAlsoListedAsVariable()
{
    InstanceNamespaces m;
    smallModel(m);
    const Run run = load(m);
    auto* table = dynamic_cast<CQTable*>(run.result.model->find(QStringLiteral("trades")));
    QVERIFY(table);
    QCOMPARE(table->count(), 3);
    QCOMPARE(table->serialisedSize(), 48); // rows x 8 x columns, as the model measures
    QCOMPARE(table->sizeEstimate(), 3 * (4 + 8));
    QCOMPARE(table->columns(), QStringList({QStringLiteral("sym"), QStringLiteral("price")}));
    QCOMPARE(table->attributes(), QStringList({QStringLiteral("g"), QString()}));
    // Listed once, as a table.
    QCOMPARE(run.result.tree->toText().count(QStringLiteral("trades\t")), 1);
}

void TestNamespaceLoad::failures_data()
{
    QTest::addColumn<int>("query");
    QTest::addColumn<bool>("drop");
    QTest::addColumn<QString>("reason");
    // The reason is the error's console text, explanation included.
    QTest::newRow("namespaces error") << 1 << false << QStringLiteral("type");
    QTest::newRow("namespaces connection") << 1 << true << QStringLiteral("conn. closed");
    QTest::newRow("variables") << 2 << false << QStringLiteral("wsfull");
    QTest::newRow("tables") << 3 << false << QStringLiteral("stop");
    QTest::newRow("functions") << 4 << false << QStringLiteral("type");
}

void TestNamespaceLoad::failures()
{
    QFETCH(int, query);
    QFETCH(bool, drop);
    QFETCH(QString, reason);
    InstanceNamespaces before;
    smallModel(before);
    const Run first = load(before);
    QVERIFY(first.result.loaded);

    InstanceNamespaces m;
    smallModel(m);
    if (!drop)
        m.failQuery(query, reason);
    const Run run = load(m, {}, first.result.model, drop ? query : 0);
    QCOMPARE(run.messages.size(), 1);
    QCOMPARE(run.messages.front(), QStringLiteral("Service query failed: ") + run.sent.at(query - 1)
                                        + QStringLiteral("\nReason: ") + renderConsole(KPtr(krr(reason.toUtf8().constData())).get(), {})
                                        + QStringLiteral("\nOn server: `:localhost:5001"));
    if (query == 1) {
        // The previous entities stay; the tree shows only its root.
        QCOMPARE(run.sent.size(), 1);
        QCOMPARE(run.result.model, first.result.model);
        QCOMPARE(run.result.tree->toText(), QStringLiteral("Querying namespaces...\n"));
    } else {
        // The load goes on with the next query.
        QVERIFY(run.result.loaded);
        QVERIFY(run.result.model != first.result.model);
        QCOMPARE(run.sent.size(), 4);
        QCOMPARE(InstanceNamespaces::queryNumber(run.sent.last()), 4);
        QCOMPARE(run.result.model->contains(QStringLiteral(".feed.upd")), query != 4);
    }
}

void TestNamespaceLoad::malformedReplies_data()
{
    QTest::addColumn<int>("query");
    QTest::newRow("namespaces") << 1;
    QTest::newRow("variables") << 2;
    QTest::newRow("functions") << 4;
}

void TestNamespaceLoad::malformedReplies()
{
    QFETCH(int, query);
    InstanceNamespaces before;
    smallModel(before);
    const Run first = load(before);

    // An instance whose .z.pg answers 42 whatever it is asked.
    class FortyTwo : public ServiceChannel {
    public:
        int at = 0;
        InstanceNamespaces* model = nullptr;
        QStringList sent;
        K call(const QString& text) override
        {
            sent << text;
            return InstanceNamespaces::queryNumber(text) == at ? ks("oops") : model->answer(text).release();
        }
    } channel;
    InstanceNamespaces m;
    smallModel(m);
    channel.at = query;
    channel.model = &m;
    QStringList messages;
    NamespaceLoadSettings settings;
    settings.serverName = QStringLiteral("`:h:1");
    const auto result = NamespaceLoad::run(channel, settings, first.result.model,
                                           {{}, [&](const QString& text) { messages << text; }});
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages.front(), QStringLiteral("Service query returned malformed result (checking .z.pg on the "
                                              "instance might be a good idea): ")
                                   + channel.sent.at(query - 1) + QStringLiteral("\nResult: `oops\nOn server: `:h:1"));
    // Failed or not, the load records the server it asked and when it ended.
    QCOMPARE(result.serverName, QStringLiteral("`:h:1"));
    QVERIFY(result.endTime >= first.result.endTime && result.endTime > 0);
    if (query == 1) {
        QCOMPARE(result.model, first.result.model);
        QCOMPARE(result.model->entityCount(), first.result.model->entityCount());
        QCOMPARE(result.tree->toText(), QStringLiteral("Querying namespaces...\n"));
    } else {
        QVERIFY(result.loaded);
        QCOMPARE(result.model->contains(QStringLiteral("limit")), query != 2);
        QCOMPARE(result.model->contains(QStringLiteral(".feed.upd")), query != 4);
    }
}

void TestNamespaceLoad::tree_data()
{
    QTest::addColumn<bool>("hideReserved");
    QTest::addColumn<bool>("flatten");
    QTest::addColumn<QString>("text");
    const QString zPart = QStringLiteral("  .z\n    Constants\n");
    QTest::newRow("nested, reserved hidden") << true << false
                                             << QStringLiteral("  .a\n"
                                                               "     Variables\n"
                                                               "      v\tvariable\n"
                                                               "    .a.b\n"
                                                               "       Variables\n"
                                                               "        deep\tvariable\n"
                                                               "  .ab\n"
                                                               "     Variables\n"
                                                               "      w\tvariable\n"
                                                               "  .feed\n"
                                                               "     Functions\n"
                                                               "      upd[t;x]\tfunction\n"
                                                               "    .feed.sub\n"
                                                               "       Functions\n"
                                                               "        f[x]\tfunction\n");
    QTest::newRow("flattened") << true << true
                               << QStringLiteral("  .a\n"
                                                 "     Variables\n"
                                                 "      v\tvariable\n"
                                                 "  .a.b\n"
                                                 "     Variables\n"
                                                 "      deep\tvariable\n"
                                                 "  .ab\n");
    QTest::newRow("reserved shown") << false << false << QStringLiteral("  .q\n     Functions\n      each[x;y]\tfunction\n");
}

void TestNamespaceLoad::tree()
{
    QFETCH(bool, hideReserved);
    QFETCH(bool, flatten);
    QFETCH(QString, text);
    InstanceNamespaces m;
    smallModel(m);
    NamespaceLoadSettings settings;
    settings.tree.hideReserved = hideReserved;
    settings.tree.flattenNested = flatten;
    const Run run = load(m, settings);
    const QString tree = run.result.tree->toText();
    QVERIFY2(tree.contains(text), qPrintable(tree));
    // The root's categories lose their leading blank; .empty leaves no item;
    // sub-namespaces are not listed as variables.
    QVERIFY2(tree.contains(QStringLiteral("\n  Tables\n    trades\ttable\n")), qPrintable(tree));
    QVERIFY2(tree.contains(QStringLiteral("\n  Variables\n    bad name\n    limit\tvariable\n")), qPrintable(tree));
    QVERIFY(!tree.contains(QStringLiteral(".empty")));
    QVERIFY2(!tree.contains(QStringLiteral("\n      b\tvariable")), qPrintable(tree));
    QCOMPARE(tree.contains(QStringLiteral(".q\n")), !hideReserved);
    QVERIFY(tree.contains(QStringLiteral("\n  .z\n")));
    QVERIFY(run.result.tree->item(QStringLiteral(".feed.sub.f")));
    QVERIFY(run.result.tree->item(QStringLiteral(".feed")));
}

void TestNamespaceLoad::lastSubNamespaceInOrder()
{
    // An instance that lists .x.zz before .x.aa: both end up in order under .x.
    NamespaceModel model;
    for (const char* space : {".x", ".x.zz", ".x.aa"}) {
        NamespaceEntry entry;
        entry.symbol = QString::fromLatin1(space);
        entry.categories.append({entry.symbol + QStringLiteral(".Variables"), QStringLiteral("Variables"),
                                 {QStringLiteral("v")}});
        model.namespaces.append(entry);
        model.insert(std::make_unique<CQVariable>(entry.symbol, QStringLiteral("v"), -7, 1, 8));
    }
    const QString tree = NamespaceTree::build(model, {})->toText();
    QVERIFY2(tree.contains(QStringLiteral("  .x\n     Variables\n      v\tvariable\n    .x.aa\n       Variables\n"
                                          "        v\tvariable\n    .x.zz\n")),
             qPrintable(tree));
}

void TestNamespaceLoad::unresolvedAndPlaceholders()
{
    InstanceNamespaces m;
    smallModel(m);
    const Run run = load(m);
    const NamespaceTree& tree = *run.result.tree;
    // .feed.upd reads "missing", which exists nowhere.
    NamespaceTreeNode* upd = tree.item(QStringLiteral(".feed.upd"));
    QVERIFY(upd);
    QCOMPARE(upd->image, int(NamespaceTreeNode::FunctionUnresolved));
    QCOMPARE(upd->entity->noteText(), QStringLiteral("Unresolved:.feed.missing;"));
    QCOMPARE(tree.item(QStringLiteral(".feed.sub.f"))->image, int(NamespaceTreeNode::Function));
    NamespaceTreeNode* missing = tree.item(QStringLiteral(".feed.missing"));
    QVERIFY(missing);
    QCOMPARE(missing->image, int(NamespaceTreeNode::Unresolved));
    QCOMPARE(missing->parent->text, QStringLiteral("Unresolved dependencies"));
    QCOMPARE(missing->entity->usedInText(), QStringLiteral(".feed.upd"));
    // Undefined .z handlers stay as placeholders with their description.
    NamespaceTreeNode* pg = tree.item(QStringLiteral(".z.pg"));
    QVERIFY(pg);
    QCOMPARE(pg->parent->text, QStringLiteral(" Handlers"));
    QCOMPARE(pg->entity->type(), 113);
    QCOMPARE(pg->entity->description(), QStringLiteral("Handler: get"));
    QCOMPARE(pg->image, int(NamespaceTreeNode::Function));
    QVERIFY(run.result.model->contains(QStringLiteral(".z.pg")));
    // A described constant is kept; .z.zd is in the description table.
    QVERIFY(tree.item(QStringLiteral(".z.zd")));
}

void TestNamespaceLoad::crossReference()
{
    InstanceNamespaces m;
    smallModel(m);
    InstanceNamespaces::Function projection;
    projection.type = 104;
    projection.base = QStringLiteral(".feed.upd");
    projection.args = {QStringLiteral("`trades"), QString()};
    projection.free = {QStringLiteral("x")};
    m.addFunction(QStringLiteral(".feed.updTrades"), projection);
    const Run run = load(m);
    const NamespaceModel& model = *run.result.model;
    auto* p = dynamic_cast<CQFunction*>(model.find(QStringLiteral(".feed.updTrades")));
    QVERIFY(p);
    QCOMPARE(p->matchedTo(), QStringLiteral(".feed.upd"));
    QCOMPARE(p->displayName(), QStringLiteral("updTrades[x]"));
    QVERIFY2(p->body().endsWith(QStringLiteral("[`trades;]")), qPrintable(p->body()));
    QCOMPARE(p->baseBody(), QStringLiteral("{[t;x] t insert x; missing}"));
    QCOMPARE(p->projectionArguments(), QStringLiteral("[`trades;]"));
    QVERIFY(model.find(QStringLiteral(".feed.upd"))->usedInText().contains(QStringLiteral(".feed.updTrades")));
    QCOMPARE(model.find(QStringLiteral("trades"))->usedInText(), QStringLiteral("rd"));
    QCOMPARE(model.find(QStringLiteral("limit"))->usedInText(), QStringLiteral("rd"));
    QCOMPARE(model.find(QStringLiteral(".a.v"))->usedInText(), QStringLiteral(".feed.sub.f"));
}

QTEST_APPLESS_MAIN(TestNamespaceLoad)
#include "tst_load.moc"
