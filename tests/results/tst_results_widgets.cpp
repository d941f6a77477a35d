#include "core/files/PrivateTempFolder.h"
// The result widgets driven through their real windows: the history pane and
// its menu, the stash dialog, the properties and Set Results dialogs, and the
// file commands of a grid with scripted file dialogs and messages.
#include "GridValues.h"

#include "ScriptedFileChooser.h"
#include "ScriptedPrompter.h"

#include "results/CResultCommands.h"
#include "results/binary/BinaryResultFile.h"
#include "results/export/CsvExport.h"
#include "results/dialogs/CDlgResultProps.h"
#include "results/dialogs/CDlgSetResults.h"
#include "results/grid/COutputTable.h"
#include "results/history/CDlgResults.h"
#include "results/history/CHistoryListCtrl.h"
#include "results/history/CHistoryPane.h"
#include "results/history/ResultHistory.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace gv;

namespace {

CResultInfo record(const QString& received, const QString& query = QStringLiteral("q"))
{
    CResultInfo r;
    r.received = received;
    r.query = query;
    r.server = QStringLiteral("`localhost:5001");
    r.roundtrip = 1500;
    r.size = 2048;
    return r;
}

QAction* action(QMenu* menu, const QString& text)
{
    for (QAction* a : menu->actions())
        if (a->text() == text)
            return a;
    return nullptr;
}

QStringList column(const QTableWidget* list, int c)
{
    QStringList texts;
    for (int r = 0; r < list->rowCount(); ++r)
        texts << list->item(r, c)->text();
    return texts;
}

} // namespace

class TestResultWidgets : public QObject {
    Q_OBJECT
private slots:
    void historyPaneShowsNewestFirst();
    void historyMenuStates();
    void historyCommands();
    void stashAddsOncePerLabel();
    void stashRemoveAndButtons();
    void propertiesDialog();
    void setResultsDialog();
    void csvExportThroughTheDialog();
    void failedSavesTellTheUser();
    void binaryThroughTheGrid();
    void saveResultAs();
    void filesNobodyOpensAreNamed();
};

void TestResultWidgets::historyPaneShowsNewestFirst()
{
    ResultHistory history;
    history.setLimitSource([] { return 3; });
    CHistoryPane pane(history);
    KPtr v(longs(0, 3));
    for (int i = 1; i <= 5; ++i)
        history.record(v.get(), record(QStringLiteral("t%1").arg(i), QStringLiteral("query %1").arg(i)));
    const CHistoryListCtrl* list = pane.list();
    QCOMPARE(list->columnCount(), 5);
    QCOMPARE(list->horizontalHeaderItem(0)->text(), QStringLiteral("Timestamp"));
    QCOMPARE(list->horizontalHeaderItem(4)->text(), QStringLiteral("Query"));
    QCOMPARE(column(list, 0), (QStringList {"t5", "t4", "t3"}));
    QCOMPARE(column(list, 4), (QStringList {"query 5", "query 4", "query 3"}));
    QCOMPARE(column(list, 3).first(), QStringLiteral("00:01.500"));
    QCOMPARE(list->columnWidth(4), 300);
}

void TestResultWidgets::historyMenuStates()
{
    ResultHistory history;
    history.setLimitSource([] { return 5; });
    CHistoryPane pane(history);
    KPtr v(longs(0, 3));
    history.record(v.get(), record(QStringLiteral("a")));
    history.record(v.get(), record(QStringLiteral("b")));
    struct Case {
        QList<int> rows;
        bool one, any;
    };
    for (const Case& c : {Case {{}, false, false}, Case {{0}, true, true}, Case {{0, 1}, false, true}}) {
        pane.list()->clearSelection();
        for (int r : c.rows)
            pane.list()->selectionModel()->select(pane.list()->model()->index(r, 0),
                                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
        std::unique_ptr<QMenu> menu(pane.createContextMenu());
        QCOMPARE(action(menu.get(), QStringLiteral("Properties"))->isEnabled(), c.one);
        QCOMPARE(action(menu.get(), QStringLiteral("Remove"))->isEnabled(), c.any);
        QCOMPARE(action(menu.get(), QStringLiteral("Send to Instance..."))->isEnabled(), c.one);
        QCOMPARE(action(menu.get(), QStringLiteral("Send to Stash..."))->isEnabled(), c.any);
        QCOMPARE(action(menu.get(), QStringLiteral("Send to Grid View"))->isEnabled(), c.one);
    }
    pane.list()->selectAll();
    std::unique_ptr<QMenu> menu(pane.createContextMenu());
    QVERIFY(!action(menu.get(), QStringLiteral("Properties"))->isEnabled());
}

void TestResultWidgets::historyCommands()
{
    ResultHistory history;
    history.setLimitSource([] { return 5; });
    CHistoryPane pane(history);
    KPtr a(longs(0, 1)), b(longs(0, 2)), c(longs(0, 3));
    history.record(a.get(), record(QStringLiteral("a")));
    history.record(b.get(), record(QStringLiteral("b")));
    history.record(c.get(), record(QStringLiteral("c")));
    QSignalSpy grid(&pane, &CHistoryPane::sendToGridViewRequested);
    QSignalSpy shown(&pane, &CHistoryPane::gridViewShowRequested);
    QSignalSpy stash(&pane, &CHistoryPane::sendToStashRequested);
    pane.list()->selectRow(1);
    pane.sendToGridView();
    QCOMPARE(grid.count(), 1);
    QCOMPARE(grid.at(0).at(0).value<K>(), b.get());
    QCOMPARE(shown.count(), 1);
    pane.list()->clearSelection();
    pane.sendToGridView(); // the pane comes forward even with nothing selected
    QCOMPARE(grid.count(), 1);
    QCOMPARE(shown.count(), 2);

    pane.list()->selectAll();
    pane.sendToStash();
    QCOMPARE(stash.count(), 1);
    {
        const auto records = stash.takeFirst().at(0).value<std::vector<CResultWithInfo>>();
        QCOMPARE(int(records.size()), 3);
        QCOMPARE(records[0].info.received, QStringLiteral("c"));
    }

    // Delete removes the selection and releases the values.
    pane.list()->clearSelection();
    pane.list()->selectionModel()->select(pane.list()->model()->index(0, 0),
                                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
    pane.list()->selectionModel()->select(pane.list()->model()->index(2, 0),
                                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QTest::keyClick(pane.list(), Qt::Key_Delete);
    QCOMPARE(column(pane.list(), 0), QStringList {"b"});
    QCOMPARE(a->r, 0);
    QCOMPARE(c->r, 0);
}

void TestResultWidgets::stashAddsOncePerLabel()
{
    CDlgResults stash;
    KPtr t(table({"a"}, {list<J>(KJ, {1, 2})}));
    const CResultInfo r = record(QStringLiteral("Thursday, 10:00 GMT"));
    stash.setCurrentSource([&] { return CResultWithInfo {r, KPtr(r1(t.get()))}; });
    stash.addCurrent();
    stash.add(t.get(), record(QStringLiteral("Thursday, 11:00 GMT")));
    QCOMPARE(stash.labels()->count(), 2);
    QCOMPARE(stash.selectedIndex(), 1);
    stash.button(QStringLiteral("Add Current"))->click(); // the same result again
    QCOMPARE(stash.labels()->count(), 2);
    QCOMPARE(stash.selectedIndex(), 0);
    QCOMPARE(stash.grid()->renderer()->rowCount(), 2);
    QCOMPARE(stash.grid()->renderer()->record().received, r.received);
}

void TestResultWidgets::stashRemoveAndButtons()
{
    CDlgResults stash;
    KPtr t(table({"a"}, {list<J>(KJ, {1, 2, 3})}));
    stash.add(t.get(), record(QStringLiteral("only")));
    QSignalSpy send(&stash, &CDlgResults::sendToInstanceRequested);
    QSignalSpy grid(&stash, &CDlgResults::sendToGridViewRequested);
    QSignalSpy props(&stash, &CDlgResults::propertiesRequested);
    stash.button(QStringLiteral("Send to..."))->click();
    stash.button(QStringLiteral("Send to Grid"))->click();
    stash.button(QStringLiteral("Properties"))->click();
    QCOMPARE(send.count(), 1);
    QCOMPARE(send.at(0).at(0).value<K>(), t.get());
    QCOMPARE(grid.count(), 1);
    QCOMPARE(props.at(0).at(0).value<CResultInfo>().received, QStringLiteral("only"));
    QVERIFY(!stash.grid()->renderer()->isEmpty());
    stash.button(QStringLiteral("Remove"))->click();
    QCOMPARE(stash.labels()->count(), 0);
    QVERIFY(stash.grid()->renderer()->isEmpty()); // removing the only entry clears the grid
    QCOMPARE(t->r, 0);
}

void TestResultWidgets::propertiesDialog()
{
    CResultInfo r = record(QStringLiteral("Thursday, December 10, 2026 10:00:00 GMT"), QStringLiteral("select\nfrom t"));
    r.roundtrip = 45;
    CDlgResultProps dialog(r);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Result properties"));
    QVERIFY(dialog.isModal());
    QCOMPARE(dialog.minimumSize(), QSize(480, 320));
    QCOMPARE(dialog.findChild<QLineEdit*>(QStringLiteral("instance"))->text(), r.server);
    QCOMPARE(dialog.findChild<QLineEdit*>(QStringLiteral("received"))->text(), r.received);
    QCOMPARE(dialog.findChild<QPlainTextEdit*>(QStringLiteral("query"))->toPlainText(), r.query);
    QCOMPARE(dialog.findChild<QLineEdit*>(QStringLiteral("roundtrip"))->text(), QStringLiteral("045ms"));
    QVERIFY(!dialog.findChild<QLineEdit*>(QStringLiteral("size"))->text().isEmpty());
    QVERIFY(dialog.findChild<QLineEdit*>(QStringLiteral("size"))->isReadOnly());
}

void TestResultWidgets::setResultsDialog()
{
    CDlgSetResults dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Set Results to"));
    QCOMPARE(dialog.name(), QStringLiteral(".tovo.test"));
    QCOMPARE(dialog.edit()->selectedText(), QStringLiteral(".tovo.test"));
    QCOMPARE(dialog.edit()->maxLength(), 128);
}

void TestResultWidgets::csvExportThroughTheDialog()
{
    QTemporaryDir dir;
    ScriptedFileChooser files;
    ScriptedPrompter prompter;
    CResultCommands commands({&files, &prompter, nullptr, nullptr, [](const QString&) { return true; }});
    COutputTable grid;
    commands.attach(&grid);
    KPtr t(table({"a", "s"}, {list<J>(KJ, {1, 2, 3}), syms({"x,y", "p", "q"})}));
    grid.setValue(t.get());
    QSignalSpy done(&commands, &CResultCommands::fileDone);
    files.plan(QString()); // cancelled: nothing happens
    emit grid.exportAllToCsv();
    const QString path = dir.filePath(QStringLiteral("all.csv"));
    files.plan(path);
    emit grid.exportAllToCsv();
    // The export runs off the window's thread on what the grid showed when
    // it was asked for, whatever the grid shows next.
    KPtr other(table({"b"}, {list<J>(KJ, {9})}));
    grid.setValue(other.get());
    QTRY_COMPARE(done.count(), 1);
    QCOMPARE(files.lastSuggested(), QStringLiteral("test.csv"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("a,s\r\n1,\"x,y\"\r\n2,p\r\n3,q\r\n"));
    file.close();
    grid.setValue(t.get());
    grid.selectRow(2);
    files.plan(path); // replaces the file
    emit grid.exportSelectionToCsv();
    QTRY_COMPARE(done.count(), 2);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("a,s\r\n3,q\r\n"));
    QCOMPARE(files.pending(), 0);
}

void TestResultWidgets::failedSavesTellTheUser()
{
    QTemporaryDir dir;
    ScriptedFileChooser files;
    ScriptedPrompter prompter;
    CResultCommands commands({&files, &prompter, nullptr, nullptr, [](const QString&) { return true; }});
    COutputTable grid;
    commands.attach(&grid);
    KPtr t(table({"a"}, {list<J>(KJ, {1})}));
    grid.setValue(t.get());
    const QString bad = dir.filePath(QStringLiteral("missing/x.csv"));
    QSignalSpy done(&commands, &CResultCommands::fileDone);
    // The platform's reason, as the file reports it.
    QString reason;
    QVERIFY(!CsvExport::save(bad, *grid.renderer(), nullptr, QLatin1Char(','), &reason));
    QVERIFY(!reason.isEmpty());
    files.plan(bad);
    prompter.expectInform(QStringLiteral("Could not write ") + bad + QStringLiteral("\n") + reason,
                          Prompter::Icon::Error, QStringLiteral("Error"));
    emit grid.exportAllToCsv();
    QTRY_COMPARE(done.count(), 1);
    QCOMPARE(prompter.asked().size(), 1);
    QCOMPARE(done.at(0).at(0).toBool(), false);
    QVERIFY(!QFile::exists(bad));
    files.plan(dir.filePath(QStringLiteral("missing/x.xlsx")));
    prompter.expectInform(QStringLiteral("Could not write ") + dir.filePath(QStringLiteral("missing/x.xlsx"))
                              + QStringLiteral("\nNo such file or directory"),
                          Prompter::Icon::Error, QStringLiteral("Error"));
    emit grid.exportToXlsx();
    QTRY_COMPARE(done.count(), 2);
}

void TestResultWidgets::binaryThroughTheGrid()
{
    QTemporaryDir dir;
    ScriptedFileChooser files;
    ScriptedPrompter prompter;
    CResultCommands commands({&files, &prompter, nullptr, nullptr, [](const QString&) { return true; }});
    COutputTable source, target;
    commands.attach(&source);
    commands.attach(&target);
    KPtr t(table({"a", "s"}, {list<J>(KJ, {1, 2}), syms({"x", "y"})}));
    source.setValue(t.get());
    QSignalSpy done(&commands, &CResultCommands::fileDone);
    const QString path = dir.filePath(QStringLiteral("t.bin"));
    files.plan(path);
    emit source.saveToBinary(source.renderer()->valueToSend());
    QTRY_COMPARE(done.count(), 1);
    QCOMPARE(done.at(0).at(0).toBool(), true);

    files.plan(path);
    emit target.loadFromBinary();
    QTRY_COMPARE(done.count(), 2);
    QCOMPARE(gridText(*target.renderer()), QStringLiteral("a|s\n1|x\n2|y"));
    const CResultInfo loaded = target.renderer()->record();
    QCOMPARE(loaded.query, QStringLiteral("Loaded from binary ") + path);
    QCOMPARE(loaded.server, QStringLiteral("Loaded locally"));
    QVERIFY(loaded.received.endsWith(QLatin1String(" GMT")));
    // The value holds at least its file's bytes, whatever the working set did.
    QVERIFY2(loaded.size >= QFileInfo(path).size(), qPrintable(QString::number(loaded.size)));

    // A file that is not a binary result: the refusal, the grid unchanged.
    const QString text = dir.filePath(QStringLiteral("notes.txt"));
    QFile f(text);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("some text");
    f.close();
    prompter.expectInform(BinaryResultFile::refusedText(), Prompter::Icon::Error, QStringLiteral("Error"));
    files.plan(text);
    emit target.loadFromBinary();
    QTRY_COMPARE(done.count(), 3);
    QCOMPARE(done.at(2).at(0).toBool(), false);
    QCOMPARE(target.renderer()->rowCount(), 2);

    // A save that cannot create its file tells the user and leaves nothing.
    const QString bad = dir.filePath(QStringLiteral("missing/t.bin"));
    QString reason;
    QVERIFY(!BinaryResultFile::save(bad, t.get(), &reason));
    prompter.expectInform(QStringLiteral("Could not save the binary file ") + bad + QStringLiteral("\n") + reason,
                          Prompter::Icon::Error, QStringLiteral("Error"));
    files.plan(bad);
    emit source.saveToBinary(source.renderer()->valueToSend());
    QTRY_COMPARE(done.count(), 4);
    QCOMPARE(done.at(3).at(0).toBool(), false);
    QVERIFY(prompter.asked().last().startsWith(QStringLiteral("Could not save the binary file ") + bad));
    QVERIFY(!QFile::exists(bad));
}

void TestResultWidgets::saveResultAs()
{
    KPtr bytes(ktn(KG, 3)), text(kp("<?xml x")), t(table({"a"}, {list<J>(KJ, {1})}));
    QCOMPARE(CResultCommands::saveResultAsText(bytes.get()), QStringLiteral("Save Binary Result As..."));
    QCOMPARE(CResultCommands::saveResultAsText(text.get()), QStringLiteral("Save String Result As..."));
    QCOMPARE(CResultCommands::saveResultAsText(t.get()), QString()); // disabled for a table
    QTemporaryDir dir;
    ScriptedFileChooser files;
    ScriptedPrompter prompter;
    QStringList opened;
    CResultCommands commands({&files, &prompter, nullptr, nullptr, [&opened](const QString& p) {
                                  opened << p;
                                  return true;
                              }});
    files.plan(dir.filePath(QStringLiteral("r.xml")));
    commands.saveResultAs(text.get());
    QFile file(dir.filePath(QStringLiteral("r.xml")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("<?xml x"));
    commands.saveResultAs(t.get()); // no dialog for a table
    commands.saveAndOpenInShell(text.get());
    QCOMPARE(opened.size(), 1);
    QVERIFY(opened[0].endsWith(QLatin1String(".xml")));
    QFile shell(opened[0]);
    QVERIFY(shell.open(QIODevice::ReadOnly));
    QCOMPARE(shell.readAll(), QByteArray("\xEF\xBB\xBF<?xml x"));
    shell.remove();
}

QTEST_MAIN(TestResultWidgets)
#include "tst_results_widgets.moc"

void TestResultWidgets::filesNobodyOpensAreNamed()
{
    // Where no browser or spreadsheet application is installed, the file is
    // still written and the user is told where it is.
    ScriptedFileChooser files;
    ScriptedPrompter prompter;
    QStringList tried;
    // The message is planned as the file is tried: it must name that file.
    CResultCommands commands({&files, &prompter, nullptr, nullptr, [&tried, &prompter](const QString& path) {
                                  tried << path;
                                  prompter.expectInform(CResultCommands::notOpenedText(path), Prompter::Icon::Warning,
                                                        QStringLiteral("Tovo"));
                                  return false;
                              }});
    COutputTable grid;
    commands.attach(&grid);
    KPtr t(table({"a"}, {list<J>(KJ, {1, 2})}));
    grid.setValue(t.get());
    QSignalSpy done(&commands, &CResultCommands::fileDone);
    const struct {
        void (COutputTable::*command)();
        const char* extension;
    } cases[] = {{&COutputTable::openInBrowser, ".html"}, {&COutputTable::openInExcel, ".xml"}};
    int expected = 0;
    for (const auto& c : cases) {
        emit(grid.*c.command)();
        ++expected;
        QTRY_COMPARE(done.count(), expected);
        QCOMPARE(int(tried.size()), expected);
        QVERIFY(tried.last().endsWith(QLatin1String(c.extension)));
        QVERIFY(QFileInfo::exists(tried.last()));
        QCOMPARE(done.last().at(0).toBool(), false);
        QCOMPARE(prompter.pending(), 0);
        QCOMPARE(prompter.asked().size(), int(tried.size()));
        QVERIFY(prompter.asked().last().contains(tried.last()));
    }
}
