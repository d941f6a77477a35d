// The watch pane as a widget, with a scripted evaluation in place of a
// session: its commands and their enabled rules, Add Watch with the label
// edit, the refresh rules, one evaluation at a time, and the watch files of
// the pane and of "Save watches to..." / "Load watches from...".
#include "ScriptedFileChooser.h"
#include "ScriptedPrompter.h"
#include "core/settings/CDlgQSettings.h"
#include "watch/CWatchBar.h"
#include "watch/CWatchListCtrl.h"
#include "watch/WatchListModel.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Evaluation {
    QString server;
    QString query;
    std::function<void(KPtr)> done;
};

// The reply of a watch query whose items are longs.
KPtr longs(const QList<long long>& values)
{
    K x = ktn(0, values.size() + 2);
    for (qsizetype i = 0; i < values.size(); ++i)
        kK(x)[i] = kj(values.at(i));
    kK(x)[values.size()] = kj(1);
    kK(x)[values.size() + 1] = kh(0);
    return KPtr(x);
}

} // namespace

class TestWatchBar : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void menuStates();
    void commandsActOnTheList();
    void addWatchEditsItsLabel_data();
    void addWatchEditsItsLabel();
    void oneEvaluationAtATime();
    void nothingCheckedSendsNothing();
    void queryToOutput();
    void filesOfThePane();

private:
    QAction* menuAction(const QString& text);
    void write(const QString& name, const QByteArray& bytes);

    std::unique_ptr<QTemporaryDir> m_dir;
    CDlgQSettings m_settings;
    ScriptedPrompter m_prompter;
    ScriptedFileChooser m_chooser;
    QList<Evaluation> m_evaluations;
    QStringList m_runs;
    bool m_canRun = true;
    std::unique_ptr<CWatchBar> m_bar;
    std::unique_ptr<QMenu> m_menu;
};

void TestWatchBar::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_settings = CDlgQSettings();
    m_prompter = ScriptedPrompter();
    m_chooser = ScriptedFileChooser();
    m_evaluations.clear();
    m_runs.clear();
    m_canRun = true;
    CWatchBar::Context context;
    context.settings = &m_settings;
    context.prompter = &m_prompter;
    context.chooser = &m_chooser;
    context.defaultPath = m_dir->filePath(QStringLiteral("Watches.cfg"));
    context.evaluate = [this](const QString& server, const QString& query, std::function<void(KPtr)> done) {
        m_evaluations.append({server, query, std::move(done)});
    };
    context.canRunQuery = [this] { return m_canRun; };
    context.runQuery = [this](const QString& query) { m_runs << query; };
    m_bar = std::make_unique<CWatchBar>(context);
    m_bar->resize(400, 200);
}

void TestWatchBar::cleanup()
{
    m_menu.reset();
    m_bar.reset();
    QCOMPARE(m_prompter.pending(), 0);
    QCOMPARE(m_chooser.pending(), 0);
}

QAction* TestWatchBar::menuAction(const QString& text)
{
    m_menu.reset(m_bar->createContextMenu(nullptr));
    for (QAction* action : m_menu->actions())
        if (action->text() == text)
            return action;
    qWarning("no menu item %s", qPrintable(text));
    return nullptr;
}

void TestWatchBar::write(const QString& name, const QByteArray& bytes)
{
    QFile file(m_dir->filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

void TestWatchBar::menuStates()
{
    struct Row {
        QByteArray file;
        QList<int> selected;
        QStringList enabled;
    };
    const QStringList all{"Update values", "Query to output", "Check All", "Uncheck All", "Reverse Checked",
                          "Add Watch", "Delete Watch", "Remove All Watches", "Save watches to...",
                          "Load watches from..."};
    const QList<Row> rows = {
        {"", {}, {"Update values", "Add Watch", "Load watches from..."}},
        {"\ta\nb\n", {}, {"Update values", "Check All", "Uncheck All", "Reverse Checked", "Add Watch",
                          "Remove All Watches", "Save watches to...", "Load watches from..."}},
        {"\ta\nb\n", {1}, {"Update values", "Query to output", "Check All", "Uncheck All", "Reverse Checked",
                           "Add Watch", "Delete Watch", "Remove All Watches", "Save watches to...",
                           "Load watches from..."}},
        {"\ta\nb\n", {0, 1}, {"Update values", "Check All", "Uncheck All", "Reverse Checked", "Add Watch",
                              "Delete Watch", "Remove All Watches", "Save watches to...", "Load watches from..."}},
    };
    for (const Row& row : rows) {
        write(QStringLiteral("Watches.cfg"), row.file);
        QVERIFY(m_bar->load());
        m_bar->list()->clearSelection();
        for (int r : row.selected)
            m_bar->list()->selectionModel()->select(m_bar->model()->index(r, 0),
                                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
        for (const QString& text : all) {
            QAction* action = menuAction(text);
            QVERIFY(action);
            QVERIFY2(action->isEnabled() == row.enabled.contains(text), qPrintable(row.file + " " + text));
        }
    }
}

void TestWatchBar::commandsActOnTheList()
{
    write(QStringLiteral("Watches.cfg"), "\ta\nb\n\tc\n");
    QVERIFY(m_bar->load());
    auto checks = [this] {
        QList<bool> out;
        for (const WatchItem& item : m_bar->model()->list().items())
            out << item.checked;
        return out;
    };
    menuAction(QStringLiteral("Reverse Checked"))->trigger();
    QCOMPARE(checks(), (QList<bool>{false, true, false}));
    menuAction(QStringLiteral("Check All"))->trigger();
    QCOMPARE(checks(), (QList<bool>{true, true, true}));
    menuAction(QStringLiteral("Uncheck All"))->trigger();
    QCOMPARE(checks(), (QList<bool>{false, false, false}));
    m_bar->list()->selectRow(1);
    QTest::keyClick(m_bar->list(), Qt::Key_Delete);
    QCOMPARE(m_bar->model()->rowCount(), 2);
    QCOMPARE(m_bar->model()->list().at(1).expression, QStringLiteral("c"));
    menuAction(QStringLiteral("Remove All Watches"))->trigger();
    QCOMPARE(m_bar->model()->rowCount(), 0);
    // Update values with nothing checked: nothing is evaluated.
    menuAction(QStringLiteral("Update values"))->trigger();
    QVERIFY(m_evaluations.isEmpty());
}

void TestWatchBar::addWatchEditsItsLabel_data()
{
    QTest::addColumn<bool>("refreshOnNew");
    QTest::addColumn<QString>("typed");   // empty: the edit is cancelled
    QTest::addColumn<QString>("expected");
    QTest::newRow("typed, refresh") << true << "count t" << "count t";
    QTest::newRow("typed, no refresh") << false << "count t" << "count t";
    QTest::newRow("cancelled, refresh") << true << "" << "watch value";
    QTest::newRow("cancelled, no refresh") << false << "" << "watch value";
}

void TestWatchBar::addWatchEditsItsLabel()
{
    QFETCH(bool, refreshOnNew);
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    m_settings.RefreshWatchOnNewOne = refreshOnNew;
    m_bar->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_bar.get()));
    m_bar->list()->setFocus();
    // Insert adds "watch value", checked, and edits its label.
    QTest::keyClick(m_bar->list(), Qt::Key_Insert);
    QCOMPARE(m_bar->model()->rowCount(), 1);
    QVERIFY(m_bar->list()->isEditingLabel());
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    QVERIFY(editor);
    QCOMPARE(editor->text(), QStringLiteral("watch value"));
    if (typed.isEmpty()) {
        QTest::keyClick(editor, Qt::Key_Escape);
    } else {
        editor->selectAll();
        QTest::keyClicks(editor, typed);
        QTest::keyClick(editor, Qt::Key_Return);
    }
    QTRY_VERIFY(!m_bar->list()->isEditingLabel());
    QCOMPARE(m_bar->model()->list().at(0).expression, expected);
    QVERIFY(m_bar->model()->list().at(0).checked);
    QCOMPARE(m_evaluations.size(), refreshOnNew ? 1 : 0);
    if (refreshOnNew)
        QVERIFY(m_evaluations.front().query.contains(u'"' + expected + u'"'));
    // Enter after the edit is "Query to output", not another edit.
    QTest::keyClick(m_bar->list(), Qt::Key_Return);
    QCOMPARE(m_runs, QStringList{expected});
}

void TestWatchBar::oneEvaluationAtATime()
{
    write(QStringLiteral("Watches.cfg"), "\ta\n\tb\n");
    QVERIFY(m_bar->load());
    m_bar->evaluate(QStringLiteral("`:h:1"));
    m_bar->evaluate();
    m_bar->evaluate();
    QCOMPARE(m_evaluations.size(), 1);
    QCOMPARE(m_evaluations.front().server, QStringLiteral("`:h:1"));
    QVERIFY(m_bar->isEvaluating());
    // The reply is applied, then the request made meanwhile runs (once).
    m_evaluations.front().done(longs({1, 2}));
    QCOMPARE(m_bar->model()->index(1, 1).data().toString().left(1), QStringLiteral("2"));
    QCOMPARE(m_evaluations.size(), 2);
    QVERIFY(m_evaluations.back().server.isEmpty());
    // A failed evaluation leaves the values.
    m_evaluations.back().done(KPtr());
    QVERIFY(!m_bar->isEvaluating());
    QCOMPARE(m_bar->model()->index(1, 1).data().toString().left(1), QStringLiteral("2"));
    QCOMPARE(m_evaluations.size(), 2);
    // An evaluation answered with an error: every watch shows it.
    m_bar->evaluate();
    QCOMPARE(m_evaluations.size(), 3);
    m_evaluations.back().done(KPtr(krr("wsfull")));
    QVERIFY(!m_bar->isEvaluating());
    for (int row = 0; row < 2; ++row)
        QCOMPARE(m_bar->model()->index(row, 1).data().toString(), QStringLiteral("ERROR: 'wsfull"));
    QVERIFY(m_bar->model()->list().isError(QStringLiteral("a")));
    // Unchecking all (a server change) leaves nothing to evaluate.
    m_bar->uncheckAll();
    m_bar->evaluate();
    QCOMPARE(m_evaluations.size(), 3);
}

void TestWatchBar::nothingCheckedSendsNothing()
{
    write(QStringLiteral("Watches.cfg"), "a\nb\n");
    QVERIFY(m_bar->load());
    m_bar->evaluate();
    QVERIFY(m_evaluations.isEmpty());
    QVERIFY(!m_bar->isEvaluating());
}

void TestWatchBar::queryToOutput()
{
    write(QStringLiteral("Watches.cfg"), "\ta\nb\n");
    QVERIFY(m_bar->load());
    m_bar->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_bar.get()));
    // A double click on a value runs the item's expression; not while a query runs.
    const QRect cell = m_bar->list()->visualRect(m_bar->model()->index(1, 1));
    QTest::mouseClick(m_bar->list()->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(m_bar->list()->viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(m_runs, QStringList{"b"});
    m_canRun = false;
    menuAction(QStringLiteral("Query to output"))->trigger();
    QCOMPARE(m_runs, QStringList{"b"});
    // A double click on an expression edits it instead.
    const QRect expression = m_bar->list()->visualRect(m_bar->model()->index(0, 0));
    QTest::mouseDClick(m_bar->list()->viewport(), Qt::LeftButton, {}, expression.center() + QPoint(20, 0));
    QVERIFY(m_bar->list()->isEditingLabel());
    QCOMPARE(m_runs, QStringList{"b"});
}

void TestWatchBar::filesOfThePane()
{
    // The pane's own file: created when missing.
    const QString own = m_dir->filePath(QStringLiteral("Watches.cfg"));
    QVERIFY(m_bar->load());
    QVERIFY(QFile::exists(own));
    QCOMPARE(m_bar->model()->rowCount(), 0);

    // Load watches from...: a file of the user's; Save watches to...: written whole.
    write(QStringLiteral("mine.cfg"), "\tx\ny\n");
    m_chooser.plan(m_dir->filePath(QStringLiteral("mine.cfg")));
    menuAction(QStringLiteral("Load watches from..."))->trigger();
    QCOMPARE(m_bar->model()->rowCount(), 2);
    m_chooser.plan(m_dir->filePath(QStringLiteral("copy.cfg")));
    menuAction(QStringLiteral("Save watches to..."))->trigger();
    QFile copy(m_dir->filePath(QStringLiteral("copy.cfg")));
    QVERIFY(copy.open(QIODevice::ReadOnly));
    QCOMPARE(copy.readAll(), QByteArray("\tx\r\ny\r\n"));
    // Cancelled dialogs change nothing.
    m_chooser.plan(QString());
    menuAction(QStringLiteral("Load watches from..."))->trigger();
    QCOMPARE(m_bar->model()->rowCount(), 2);

    // A file that cannot be opened is reported with the exact text, and the list stays.
    const QString folder = m_dir->path();
    m_chooser.plan(folder);
    m_prompter.expect(QStringLiteral("Can't open file ") + folder
                          + QStringLiteral(" for writing.\nMake sure readonly attribute is off and you have permissions "
                                           "for tovo dir, then try launching tovo again."),
                      QStringLiteral("Tovo - Fatal startup error"), Prompter::Buttons::Ok, Prompter::Icon::Error,
                      Prompter::Answer::Ok);
    menuAction(QStringLiteral("Load watches from..."))->trigger();
    QCOMPARE(m_bar->model()->rowCount(), 2);

    // The pane's own file in a folder that is not there: the fatal message, and load says so.
    CWatchBar::Context context;
    context.prompter = &m_prompter;
    context.defaultPath = m_dir->filePath(QStringLiteral("gone/Watches.cfg"));
    CWatchBar orphan(context);
    m_prompter.expect(QStringLiteral("Can't open file ") + context.defaultPath
                          + QStringLiteral(" for writing.\nMake sure readonly attribute is off and you have permissions "
                                           "for tovo dir, then try launching tovo again."),
                      QStringLiteral("Tovo - Fatal startup error"), Prompter::Buttons::Ok, Prompter::Icon::Error,
                      Prompter::Answer::Ok);
    QVERIFY(!orphan.load());

    // A file too large for a watch list: its head, and the user is told.
    QByteArray many;
    for (int i = 0; i < 10005; ++i)
        many += "w\n";
    write(QStringLiteral("many.cfg"), many);
    m_chooser.plan(m_dir->filePath(QStringLiteral("many.cfg")));
    m_prompter.expectInform(m_dir->filePath(QStringLiteral("many.cfg"))
                                + QStringLiteral(" is too large for a watch list: only its first 10000 watches were loaded."),
                            Prompter::Icon::Warning);
    menuAction(QStringLiteral("Load watches from..."))->trigger();
    QCOMPARE(m_bar->model()->rowCount(), 10000);
}

QTEST_MAIN(TestWatchBar)
#include "tst_watchbar.moc"
