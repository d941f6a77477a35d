// The names auto-complete offers from a namespace load: every entity with
// its kind, a function's parameters and unresolved mark, in the lists'
// order; taken once a model, nothing while loading.
#include "InstanceNamespaces.h"
#include "app/NamespaceCompletion.h"
#include "explorer/NamespaceLoad.h"
#include "explorer/NamespaceModel.h"
#include "explorer/ServiceChannel.h"

#include <QTest>

namespace {

class ModelChannel : public ServiceChannel {
public:
    explicit ModelChannel(const InstanceNamespaces& model) : m_model(model) {}
    K call(const QString& text) override { return m_model.answer(text).release(); }

private:
    const InstanceNamespaces& m_model;
};

std::shared_ptr<NamespaceModel> load(const InstanceNamespaces& instance)
{
    ModelChannel channel(instance);
    NamespaceLoadSettings settings;
    settings.serverName = QStringLiteral("`:localhost:5001");
    return NamespaceLoad::run(channel, settings, nullptr).model;
}

InstanceNamespaces::Function function(const QStringList& params, const QStringList& globals = {})
{
    InstanceNamespaces::Function f;
    f.params = params;
    f.globals = globals;
    f.body = QStringLiteral("{[%1] 1}").arg(params.join(u';'));
    return f;
}

// The names of the model, without the .z names every load describes.
QStringList described(const QList<CompletionName>& names)
{
    QStringList out;
    for (const CompletionName& n : names)
        if (!n.name.startsWith(QLatin1String(".z.")))
            out << QStringLiteral("%1 %2%3%4").arg(n.name).arg(n.kind).arg(n.parameters, n.unresolved ? "!" : "");
    return out;
}

} // namespace

class TestNamespaceCompletion : public QObject {
    Q_OBJECT
private slots:
    void namesOfALoad();
    void takenOnceAModel();
};

void TestNamespaceCompletion::namesOfALoad()
{
    InstanceNamespaces instance;
    instance.addFunction(QStringLiteral("upd"), function({QStringLiteral("t"), QStringLiteral("x")}));
    instance.addFunction(QStringLiteral("Upd2"), function({QStringLiteral("x")}, {QStringLiteral("nowhere")}));
    instance.addFunction(QStringLiteral(".feed.run"), function({}));
    InstanceNamespaces::Table trades;
    trades.columns = {{QStringLiteral("sym"), 's', {}, {}}};
    instance.addTable(QStringLiteral("trades"), trades);
    instance.addVariable(QStringLiteral(".feed.limit"), {-7, 1, 8});
    const std::shared_ptr<NamespaceModel> model = load(instance);
    QVERIFY(model);
    // Sorted by name and parameters without regard to case ("upd[" after "upd2[").
    QCOMPARE(described(NamespaceCompletion::snapshot(*model)), QStringList({QStringLiteral(".feed.limit 5"), QStringLiteral(".feed.run 4"),
                                 QStringLiteral("trades 3"), QStringLiteral("Upd2 4[x]!"),
                                 QStringLiteral("upd 4[t;x]")}));
}

void TestNamespaceCompletion::takenOnceAModel()
{
    InstanceNamespaces first;
    first.addVariable(QStringLiteral("a"), {-7, 1, 8});
    InstanceNamespaces second;
    second.addVariable(QStringLiteral("b"), {-7, 1, 8});
    std::shared_ptr<NamespaceModel> shown;
    bool loading = false;
    NamespaceCompletion completion([&] { return shown; }, [&] { return loading; });
    QVERIFY(completion.names().isEmpty()); // before any load
    shown = load(first);
    const QList<CompletionName> a = completion.names();
    QCOMPARE(described(a), QStringList{QStringLiteral("a 5")});
    QCOMPARE(completion.names().constData(), a.constData()); // the same list, not taken again
    // The next load's worker prepares its names before the model is shown.
    std::shared_ptr<NamespaceModel> next = load(second);
    completion.prepare(next);
    QCOMPARE(described(completion.names()), QStringList{QStringLiteral("a 5")});
    shown = next;
    QCOMPARE(described(completion.names()), QStringList{QStringLiteral("b 5")});
    QVERIFY(!completion.loading());
    loading = true;
    QVERIFY(completion.loading());
}

QTEST_APPLESS_MAIN(TestNamespaceCompletion)
#include "tst_namespacecompletion.moc"
