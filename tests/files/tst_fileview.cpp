// The "File View" pane under a real (offscreen) window: selecting a path,
// double clicks that open q scripts and remember them, the context menu's
// codebase entry and the read codebase with its status and Cancel, the
// message of a file that cannot be read, and the dummy pane.
#include "ScriptedPrompter.h"
#include "TempHome.h"
#include "TestFiles.h"
#include "core/settings/KeptSettings.h"
#include "files/CFileView.h"
#include "files/CVelShellTreeCtrl.h"
#include "files/LocalCodebase.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLabel>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

namespace {

using TestFiles::write;

QString absolute(const QTemporaryDir& dir, const QString& name) { return QFileInfo(dir.filePath(name)).absoluteFilePath(); }

} // namespace

class TestFileView : public QObject {
    Q_OBJECT
private slots:
    void init();
    void selectsAPathAndStartsAtTheLastOpened();
    void doubleClickOpensQScripts_data();
    void doubleClickOpensQScripts();
    void contextMenuReadsTheCodebase();
    void unreadableFileIsReported();
    void dummyPaneIsEmpty();

private:
    std::unique_ptr<TempHome> m_home;
    std::unique_ptr<SettingsStore> m_store;
    ScriptedPrompter m_prompter;
};

void TestFileView::init()
{
    m_home = std::make_unique<TempHome>();
    m_store = m_home->store();
    m_prompter = ScriptedPrompter();
}

void TestFileView::selectsAPathAndStartsAtTheLastOpened()
{
    QTemporaryDir dir;
    QVERIFY(write(dir.filePath("src/deep/er/feed.q"), "upd:{x}\n"));
    const QString feed = absolute(dir, "src/deep/er/feed.q");
    {
        CFileView view(m_store.get(), &m_prompter, false);
        view.resize(300, 400);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QVERIFY(view.showPath(feed));
        QCOMPARE(view.tree()->selectedPath(), feed);
        QVERIFY(view.tree()->isExpanded(view.tree()->fileSystem()->index(absolute(dir, "src/deep"))));
        QVERIFY(!view.showPath(dir.filePath("src/none.q")));
        QCOMPARE(view.tree()->selectedPath(), feed);
        if (const QString shots = qEnvironmentVariable("TOVO_SHOTS"); !shots.isEmpty())
            view.grab().save(shots + QStringLiteral("/file-view.png"));
    }
    // A pane made later starts on the file opened last from a tree.
    m_store->writeText(QString::fromLatin1(kept::LastTreePath), feed);
    CFileView again(m_store.get(), &m_prompter, false);
    QCOMPARE(again.tree()->selectedPath(), feed);
}

void TestFileView::doubleClickOpensQScripts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("opens");
    QTest::newRow("script.q") << "script.q" << true;
    QTest::newRow("upper case: script.Q") << "script.Q" << true;
    QTest::newRow("script.k") << "script.k" << false;
    QTest::newRow("script.qq") << "script.qq" << false;
    QTest::newRow("a folder named lib.q") << "lib.q/" << false;
}

void TestFileView::doubleClickOpensQScripts()
{
    QFETCH(QString, name);
    QFETCH(bool, opens);
    QTemporaryDir dir;
    if (name.endsWith(u'/'))
        QVERIFY(QDir(dir.path()).mkpath(name));
    else
        QVERIFY(write(dir.filePath(name), "a:1\n"));
    const QString path = absolute(dir, name.chopped(name.endsWith(u'/') ? 1 : 0));
    CFileView view(m_store.get(), &m_prompter, false);
    view.resize(300, 500);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QSignalSpy opened(&view, &CFileView::openRequested);
    CVelShellTreeCtrl* tree = view.tree();
    QSignalSpy listed(tree->fileSystem(), &QFileSystemModel::directoryLoaded);
    QVERIFY(view.showPath(path));
    // The folder is listed in the background; the double click comes after.
    const QString folder = QFileInfo(path).absolutePath();
    QTRY_VERIFY(std::any_of(listed.cbegin(), listed.cend(), [&](const QList<QVariant>& a) { return a.at(0).toString() == folder; }));
    const QModelIndex index = tree->currentIndex();
    tree->scrollTo(index);
    QTRY_VERIFY(tree->visualRect(index).isValid());
    QCOMPARE(tree->indexAt(tree->visualRect(index).center()), index);
    // The model keeps listing and sorting in the background, which may swallow
    // a double click; it is repeated until the tree takes one.
    QSignalSpy doubleClicked(tree, &QAbstractItemView::doubleClicked);
    for (int attempt = 0; attempt < 50 && doubleClicked.isEmpty(); ++attempt) {
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualRect(index).center());
        QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, tree->visualRect(index).center());
        QTest::qWait(20);
    }
    QVERIFY(!doubleClicked.isEmpty());
    QCOMPARE(doubleClicked.at(0).at(0).value<QModelIndex>(), index);
    // Every double click on a q script opens it, none on anything else.
    QCOMPARE(opened.count(), opens ? doubleClicked.count() : 0);
    for (const QList<QVariant>& request : opened)
        QCOMPARE(request.at(0).toString(), path);
    QCOMPARE(m_store->readText(QString::fromLatin1(kept::LastTreePath), QString()), opens ? path : QString());
}

void TestFileView::contextMenuReadsTheCodebase()
{
    QTemporaryDir dir;
    for (int i = 0; i < 120; ++i)
        QVERIFY(write(dir.filePath(QStringLiteral("code/m%1/f%2.q").arg(i % 7).arg(i)), "f:{x}\n"));
    QVERIFY(write(dir.filePath("code/big.q"), QByteArray(2 * 1048576, 'x')));
    QVERIFY(write(dir.filePath("code/small.q"), "s:1234567\n"));
    const QString root = absolute(dir, "code");
    CFileView view(m_store.get(), &m_prompter, false);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QVERIFY(view.showPath(root + "/small.q"));
    // A file's menu has no codebase entry; a folder's has it on top, then a separator.
    std::unique_ptr<QMenu> fileMenu(view.tree()->contextMenuFor(view.tree()->currentIndex()));
    QVERIFY(fileMenu);
    QVERIFY(!fileMenu->actions().isEmpty());
    for (QAction* action : fileMenu->actions())
        QVERIFY(action->text() != QStringLiteral("Show Codebase from here..."));
    QVERIFY(view.showPath(root));
    std::unique_ptr<QMenu> menu(view.tree()->contextMenuFor(view.tree()->currentIndex()));
    QVERIFY(menu && menu->actions().size() > 2);
    QCOMPARE(menu->actions().at(0)->text(), QStringLiteral("Show Codebase from here..."));
    QVERIFY(menu->actions().at(1)->isSeparator());
    QSignalSpy loaded(&view, &CFileView::codebaseLoaded);
    menu->actions().at(0)->trigger();
    QCOMPARE(view.tree()->codebaseRoot(), root);
    // Reading: the status widget with its Cancel button.
    QVERIFY(view.codebase()->isLoading());
    QVERIFY(!view.statusWidget()->isHidden());
    QVERIFY(!view.cancelButton()->isHidden());
    QVERIFY(loaded.wait(20000));
    QCOMPARE(loaded.at(0).at(0).toString(), root);
    QCOMPARE(int(view.codebase()->files().size()), 121); // not the 2 MiB file
    QVERIFY(view.cancelButton()->isHidden());
    QCOMPARE(view.statusLabel()->text(), QStringLiteral("Codebase: 121 files"));
    // Cancel: no hand-over to the inventory.
    for (int i = 0; i < 3000; ++i)
        QVERIFY(write(dir.filePath(QStringLiteral("many/g%1.q").arg(i)), "g:1\n"));
    QSignalSpy finished(view.codebase(), &LocalCodebase::finished);
    view.loadCodebaseFrom(absolute(dir, "many"));
    view.cancelButton()->click();
    QVERIFY(finished.wait(20000));
    QCOMPARE(loaded.count(), 1);
    QVERIFY(view.statusLabel()->text().startsWith(QStringLiteral("Codebase reading cancelled: ")));
    QVERIFY(view.codebase()->files().size() < 3000);
}

void TestFileView::unreadableFileIsReported()
{
    QTemporaryDir dir;
    QString locked = dir.filePath("locked.q");
    if (!TestFiles::makeUnreadable(locked))
        QSKIP("no file here refuses to be read");
    locked = QFileInfo(locked).absoluteFilePath();
    m_prompter.expectInform(QStringLiteral("Access to %1 was denied.").arg(locked), Prompter::Icon::Error);
    CFileView view(m_store.get(), &m_prompter, false);
    QSignalSpy loaded(&view, &CFileView::codebaseLoaded);
    QSignalSpy finished(view.codebase(), &LocalCodebase::finished);
    view.loadCodebaseFrom(dir.path());
    QVERIFY(finished.wait(20000));
    QCOMPARE(m_prompter.pending(), 0);
    QCOMPARE(loaded.count(), 0); // the inventory is not shown
    QCOMPARE(view.codebase()->failedPath(), locked);
}

void TestFileView::dummyPaneIsEmpty()
{
    CFileView view(m_store.get(), &m_prompter, true);
    QVERIFY(!view.tree());
    QVERIFY(view.findChild<QWidget*>(QStringLiteral("dummy")));
    QVERIFY(!view.showPath(QDir::tempPath()));
    QSignalSpy changed(view.codebase(), &LocalCodebase::changed);
    view.loadCodebaseFrom(QDir::tempPath());
    QVERIFY(!view.codebase()->isLoading());
    QCOMPARE(changed.count(), 0);
}

QTEST_MAIN(TestFileView)
#include "tst_fileview.moc"
