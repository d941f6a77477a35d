// The namespace explorer with a large instance: 20,000 entities (100
// namespaces, 5,000 functions with bodies of about 300 characters, 1,000
// tables, the rest variables). Figures: the work after the last service
// reply (entities, cross-reference, tree; off the window's thread), the
// window thread's part (hand-over, expand, paint), opening auto-complete
// over those names (the rules alone, then the list shown over a real source
// view, against the same list over ten names), the cross-reference, the deepest dependency walk and an
// inventory refill (filter and sort) over the same model.
#include "explorer/CQFunction.h"
#include "explorer/CrossReference.h"
#include "explorer/DependencyWalk.h"
#include "explorer/Inventory.h"
#include "explorer/NamespaceLoad.h"
#include "explorer/ServiceChannel.h"
#include "explorer/panes/CClassView.h"
#include "explorer/panes/ExplorerIcons.h"
#include "explorer/panes/NamespaceTreeModel.h"
#include "app/NamespaceCompletion.h"
#include "core/colors/CDialogFontsColors.h"
#include "core/settings/CDlgQSettings.h"
#include "editor/CLookupListBox.h"
#include "editor/CTovoView.h"
#include "editor/CompletionRules.h"

#include "InstanceNamespaces.h"
#include "core/Prompter.h"
#include "kdb/KPtr.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTreeView>

#include <map>

namespace {

// Replies computed once by the instance model and handed out again.
class CachedChannel : public ServiceChannel {
public:
    explicit CachedChannel(const InstanceNamespaces& model) : m_model(model) {}
    K call(const QString& text) override
    {
        const int number = InstanceNamespaces::queryNumber(text);
        auto it = m_replies.find(number);
        if (it == m_replies.end())
            it = m_replies.emplace(number, m_model.answer(text)).first;
        return r1(it->second.get());
    }

private:
    const InstanceNamespaces& m_model;
    std::map<int, KPtr> m_replies;
};

const InstanceNamespaces& model()
{
    static InstanceNamespaces m = [] {
        InstanceNamespaces n;
        n.generate(100, 5000, 1000, 14000, 300);
        return n;
    }();
    return m;
}

CachedChannel& channel()
{
    static CachedChannel c(model());
    return c;
}

NamespaceLoadSettings settings()
{
    NamespaceLoadSettings s;
    s.serverName = QStringLiteral("`:localhost:5001");
    return s;
}

QApplication& app()
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "explorer_bench";
    static char* argv[] = {name, nullptr};
    static QApplication a(argc, argv);
    return a;
}

class NoPrompter : public Prompter {
public:
    Answer ask(const QString&, const QString&, Buttons, Icon, Answer) override { return Answer::Ok; }
};

void BM_LoadFromReplies(benchmark::State& state)
{
    NamespaceLoad::run(channel(), settings(), nullptr); // fill the cache
    double afterLastReplyMs = 0;
    qsizetype entities = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        qint64 lastReplyAt = 0;
        NamespaceLoad::Observer observer;
        // The functions reply is the last one this model has (no files).
        observer.rootText = [&](const QString& text) {
            if (text == QLatin1String("Building cross-reference..."))
                lastReplyAt = timer.nsecsElapsed();
        };
        timer.start();
        const auto result = NamespaceLoad::run(channel(), settings(), nullptr, observer);
        afterLastReplyMs = double(timer.nsecsElapsed() - lastReplyAt) / 1e6;
        entities = result.model->entityCount();
        benchmark::DoNotOptimize(result.tree.get());
    }
    state.counters["after_last_reply_ms"] = afterLastReplyMs;
    state.counters["entities"] = double(entities);
}

void BM_HandOverAndPaint(benchmark::State& state)
{
    app();
    NoPrompter prompter;
    CClassView view(prompter);
    view.resize(300, 800);
    view.show();
    for (auto _ : state) {
        state.PauseTiming();
        const auto result = NamespaceLoad::run(channel(), settings(), nullptr);
        state.ResumeTiming();
        // What the window's thread does when a load finishes.
        view.model()->setTree(result.tree, result.model);
        view.tree()->expand(view.model()->index(0, 0));
        benchmark::DoNotOptimize(view.grab());
    }
}

QList<CompletionName> snapshot(const NamespaceModel& model) { return NamespaceCompletion::snapshot(model); }

class FixedNames : public CompletionSource {
public:
    bool loading() const override { return false; }
    QList<CompletionName> names() const override { return list; }
    QList<CompletionName> list;
};

// Once a load: the names auto-complete offers.
void BM_AutoCompleteSnapshot(benchmark::State& state)
{
    const auto result = NamespaceLoad::run(channel(), settings(), nullptr);
    for (auto _ : state)
        benchmark::DoNotOptimize(snapshot(*result.model));
}

// Each Ctrl+Space: the items for a namespace prefix and the best item.
void BM_AutoCompleteOpen(benchmark::State& state)
{
    const auto result = NamespaceLoad::run(channel(), settings(), nullptr);
    const QList<CompletionName> names = snapshot(*result.model);
    const QString prefix = state.range(0) ? QStringLiteral(".ns42.") : QString();
    for (auto _ : state) {
        const auto items = CompletionRules::items(names, prefix);
        benchmark::DoNotOptimize(CompletionRules::bestItem(items, QStringLiteral("fn4"), QString()));
    }
}

// Ctrl+Space in a source view: the names, the items, the best item, the
// list placed, filled and painted, over the large model through the
// explorer's source. Arg 0: after "." every one of the 20,000 names is
// listed; arg 1: one namespace's 200; arg 2, the baseline: ten names (what
// the widgets cost whatever the size).
void BM_AutoCompleteShow(benchmark::State& state)
{
    app();
    const auto result = NamespaceLoad::run(channel(), settings(), nullptr);
    const std::shared_ptr<NamespaceModel> model = result.model;
    NamespaceCompletion large([model] { return model; }, [] { return false; });
    FixedNames small;
    for (int i = 0; i < 10; ++i)
        small.list.append({QStringLiteral("fn4%1").arg(i), 4, QStringLiteral("[x;y]"), false});
    CDialogFontsColors scheme;
    CDlgEditorSettings editorSettings;
    NoPrompter prompter;
    QWidget window;
    window.resize(900, 700);
    auto* view = new CTovoView(scheme, editorSettings, prompter, &window);
    view->setGeometry(0, 0, 900, 700);
    view->setCompletionSource(state.range(0) < 2 ? static_cast<const CompletionSource*>(&large) : &small);
    view->setCompletionIcons([](int kind) { return ExplorerIcons::icon(kind); });
    const QString line = state.range(0) == 0 ? QStringLiteral("x:.ns4") : state.range(0) == 1 ? QStringLiteral("x:.ns42.fn4")
                                                                                         : QStringLiteral("x:fn4");
    view->loadDocumentText(QStringLiteral("a:1\n") + line);
    view->setCursorPosition(1, int(line.size()));
    window.show();
    QCoreApplication::processEvents();
    view->autoComplete(); // the names taken once a load
    int listed = 0;
    for (auto _ : state) {
        view->hideCompletion();
        view->autoComplete();
        CLookupListBox* list = view->lookupList();
        if (!list || !list->isVisible()) {
            state.SkipWithError("nothing listed");
            break;
        }
        benchmark::DoNotOptimize(list->grab());
        listed = list->count();
    }
    state.counters["items"] = double(listed);
}

// The cross-reference alone (used-in texts, projections matched by body).
void BM_CrossReference(benchmark::State& state)
{
    const auto result = NamespaceLoad::run(channel(), settings(), nullptr);
    for (auto _ : state) {
        state.PauseTiming();
        for (const auto& entity : result.model->entities())
            entity->setUsedInText(QString());
        state.ResumeTiming();
        CrossReference::compute(*result.model);
    }
}

// The dependency walk of the function whose walk is longest.
void BM_DeepestWalk(benchmark::State& state)
{
    const auto result = NamespaceLoad::run(channel(), settings(), nullptr);
    const CQFunction* deepest = nullptr;
    qsizetype most = -1;
    for (const auto& entity : result.model->entities()) {
        if (entity->kind() != CQEntity::Function)
            continue;
        const auto& f = static_cast<const CQFunction&>(*entity);
        const qsizetype lines = DependencyWalk::dependencies(f, QString(), *result.model, nullptr).count(u'\n');
        if (lines > most) {
            most = lines;
            deepest = &f;
        }
    }
    for (auto _ : state) {
        DependencyWalk::Item root{deepest->fullName(), 4, {}};
        benchmark::DoNotOptimize(DependencyWalk::dependencies(*deepest, QString(), *result.model, &root));
    }
    state.counters["lines"] = double(most + 1);
}

// A dense call graph (each of 20 functions calls every later one: 2^19
// paths) walked to the walk's bound of lines.
void BM_DenseWalkToBound(benchmark::State& state)
{
    InstanceNamespaces dense;
    for (int i = 0; i < 20; ++i) {
        InstanceNamespaces::Function f;
        f.params = {QStringLiteral("x")};
        f.body = QStringLiteral("{x}");
        for (int j = i + 1; j < 20; ++j)
            f.globals << QStringLiteral("d%1").arg(j);
        dense.addFunction(QStringLiteral("d%1").arg(i), f);
    }
    CachedChannel denseChannel(dense);
    const auto result = NamespaceLoad::run(denseChannel, settings(), nullptr);
    const auto* d0 = static_cast<const CQFunction*>(result.model->find(QStringLiteral("d0")));
    qsizetype lines = 0;
    for (auto _ : state) {
        DependencyWalk::Item root{d0->fullName(), 4, {}};
        const QString text = DependencyWalk::dependencies(*d0, QString(), *result.model, &root);
        lines = text.count(u'\n') + 1;
        benchmark::DoNotOptimize(text);
    }
    state.counters["lines"] = double(lines);
}

// An inventory refill after a filter key: the rows that pass, sorted.
void BM_InventoryRefill(benchmark::State& state)
{
    const auto result = NamespaceLoad::run(channel(), settings(), nullptr);
    const auto kind = state.range(0) ? Inventory::Kind::Functions : Inventory::Kind::Variables;
    std::size_t rows = 0;
    for (auto _ : state) {
        auto passing = Inventory::rows(kind, *result.model, QStringLiteral("ns4"), false);
        Inventory::sort(kind, passing, -4);
        QStringList cells;
        for (const CQEntity* e : passing)
            cells += Inventory::cells(kind, *e);
        rows = passing.size();
        benchmark::DoNotOptimize(cells);
    }
    state.counters["rows"] = double(rows);
}

} // namespace

BENCHMARK(BM_LoadFromReplies)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_HandOverAndPaint)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_AutoCompleteSnapshot)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AutoCompleteOpen)->Unit(benchmark::kMillisecond)->Arg(0)->Arg(1);
BENCHMARK(BM_AutoCompleteShow)->Unit(benchmark::kMillisecond)->Arg(0)->Arg(1)->Arg(2);
BENCHMARK(BM_CrossReference)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_DeepestWalk)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DenseWalkToBound)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_InventoryRefill)->Unit(benchmark::kMillisecond)->Arg(0)->Arg(1);

BENCHMARK_MAIN();
