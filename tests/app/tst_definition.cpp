// Go to Definition and Navigate Backward through the real window against the
// test instance: a root function opens the instance's copy of its file
// read-only, a namespaced one its local counterpart once a local codebase is
// read, a bare name its one namespaced function, a function without a file is
// selected in the namespace explorer, an unknown name says so; Navigate
// Backward walks back through the places left, skipping closed documents.
#include "ScriptedPrompter.h"
#include "InstanceNamespaces.h"
#include "TestInstance.h"
#include "WindowOnInstance.h"
#include "app/CActionRegistry.h"
#include "app/CChildFrame.h"
#include "app/CDocumentArea.h"
#include "app/CFrameStatusBar.h"
#include "app/CMainFrame.h"
#include "app/CTovoApp.h"
#include "app/CommandIds.h"
#include "editor/CTovoView.h"
#include "explorer/NamespaceModel.h"
#include "explorer/panes/CClassView.h"
#include "files/CFileView.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class TestDefinition : public QObject {
    Q_OBJECT
private slots:
    void goToDefinitionAndBack();
};

namespace {

InstanceNamespaces::Function function(const QString& body, const QString& file)
{
    InstanceNamespaces::Function f;
    f.params = {QStringLiteral("x")};
    f.body = body;
    f.file = file;
    f.line = file.isEmpty() ? -1 : 2;
    return f;
}

struct Caret {
    int line;
    int column;
};

} // namespace

void TestDefinition::goToDefinitionAndBack()
{
    TestInstance instance;
    // The instance's file of each function holds a comment line, then the definition.
    instance.namespaces().addFunction(QStringLiteral("f"), function(QStringLiteral("{[x] x+1}"), "/srv/q/root.q"));
    instance.namespaces().addFunction(QStringLiteral(".feed.upd"), function(QStringLiteral("{[x] x*2}"), "/srv/q/feed.q"));
    instance.namespaces().addFunction(QStringLiteral(".feed.nofile"), function(QStringLiteral("{[x] x}"), QString()));
    QVERIFY(instance.start());
    WindowOnInstance window;
    QVERIFY(window.start(instance.port()));
    CMainFrame* frame = window.frame();
    auto* explorer = window.pane<CClassView>(CMainFrame::NamespaceExplorer);
    QVERIFY(explorer);
    QTRY_VERIFY_WITH_TIMEOUT(explorer->entities() && explorer->entities()->contains(QStringLiteral(".feed.upd")), 10000);
    QTRY_VERIFY(!explorer->isLoading());

    CChildFrame* source = frame->activeDocument();
    QVERIFY(source);
    auto* view = qobject_cast<CTovoView*>(source->view());
    view->setText(QStringLiteral("r:f 1\ns:.feed.upd 2\nt:.feed.nofile 3\nu:upd 4\nv:nothere 5\n"));
    QAction* go = frame->action(cmd::GoToDefinition);
    QAction* back = frame->action(cmd::NavigateBackward);
    auto goFrom = [&](CTovoView* from, Caret caret) {
        from->setCursorPosition(caret.line, caret.column);
        frame->actions().updateCommands();
        QVERIFY(go->isEnabled());
        go->trigger();
    };
    auto activeView = [&] { return qobject_cast<CTovoView*>(frame->activeDocument()->view()); };
    auto caretOf = [](CTovoView* v) {
        int line = 0, column = 0;
        v->getCursorPosition(&line, &column);
        return QPair<int, int>(line, column);
    };
    frame->actions().updateCommands();
    QVERIFY(!back->isEnabled()); // nowhere to go back to yet

    // F12 on a root function without a local codebase: the instance's copy,
    // read-only, at its line.
    frame->show();
    frame->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(frame));
    view->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), view);
    view->setCursorPosition(0, 2);
    QTest::keyClick(view, Qt::Key_F12);
    CChildFrame* remote = frame->activeDocument();
    QVERIFY(remote != source);
    QCOMPARE(remote->title(), QStringLiteral("root.q (remote)"));
    CTovoView* remoteView = activeView();
    QVERIFY(remoteView->isReadOnly());
    QVERIFY(!remoteView->isModified());
    QCOMPARE(remoteView->text(), QStringLiteral("/ /srv/q/root.q\nf:{[x] x+1}\n"));
    QCOMPARE(caretOf(remoteView).first, 1);
    // Alt+Left where the jump landed: back to the place left.
    QTRY_COMPARE(QApplication::focusWidget(), remoteView);
    QTest::keyClick(remoteView, Qt::Key_Left, Qt::AltModifier);
    QCOMPARE(frame->activeDocument(), source);
    QCOMPARE(caretOf(view), (QPair<int, int>(0, 2)));
    frame->actions().updateCommands();
    QVERIFY(!back->isEnabled());
    // The same jump again reuses the copy.
    goFrom(view, {0, 2});
    QCOMPARE(frame->activeDocument(), remote);
    // Once more from inside that copy: the same document, no second one.
    goFrom(remoteView, {1, 0});
    QCOMPARE(frame->activeDocument(), remote);

    // A namespaced function whose file has a local counterpart (same name, same
    // length with CR LF counted once): the local file opens at the line.
    QTemporaryDir local;
    QVERIFY(QDir(local.path()).mkpath("src"));
    const QString feed = QFileInfo(local.filePath("src/feed.q")).absoluteFilePath();
    {
        QFile file(feed);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("/ /srv/q/feed.q\r\n.feed.upd:{[x] x*2}\r\n");
    }
    auto* fileView = qobject_cast<CFileView*>(frame->pane(CMainFrame::FileView)->widget());
    QVERIFY(fileView);
    QSignalSpy loaded(fileView, &CFileView::codebaseLoaded);
    // The content-search box waits for a local codebase.
    frame->onTimer();
    QVERIFY(frame->contentSearchBox() && !frame->contentSearchBox()->isEnabled());
    fileView->loadCodebaseFrom(local.path());
    QVERIFY(loaded.wait(10000));
    frame->onTimer();
    QVERIFY(frame->contentSearchBox()->isEnabled());
    frame->documentArea()->activateDocument(source);
    goFrom(view, {1, 5});
    QCOMPARE(frame->activeDocument()->filePath(), feed);
    QVERIFY(!activeView()->isReadOnly());
    QCOMPARE(caretOf(activeView()).first, 1);

    // A bare name that one namespace defines: that function.
    frame->documentArea()->activateDocument(source);
    goFrom(view, {3, 3});
    QCOMPARE(frame->activeDocument()->filePath(), feed);

    // No file known: the entity is selected in the namespace explorer.
    frame->documentArea()->activateDocument(source);
    goFrom(view, {2, 4});
    QCOMPARE(explorer->selectedName(), QStringLiteral(".feed.nofile"));
    QCOMPARE(frame->activeDocument(), source);

    // Nothing known: said in the status bar, no place remembered.
    goFrom(view, {4, 3});
    QCOMPARE(frame->frameStatusBar()->paneText(CFrameStatusBar::Message),
             QStringLiteral("No definition found for nothere"));

    // Back through the places left, newest first.
    const QList<QPair<int, int>> expected{{2, 4}, {3, 3}, {1, 5}};
    for (const QPair<int, int>& place : expected) {
        frame->documentArea()->activateDocument(remote);
        frame->actions().updateCommands();
        QVERIFY(back->isEnabled());
        back->trigger();
        QCOMPARE(frame->activeDocument(), source);
        QCOMPARE(caretOf(view), place);
    }
    // The place left inside the remote copy goes with it: going back skips it.
    QVERIFY(frame->closeDocument(remote));
    frame->actions().updateCommands();
    QVERIFY(back->isEnabled());
    back->trigger();
    QCOMPARE(frame->activeDocument(), source);
    QCOMPARE(caretOf(view), (QPair<int, int>(0, 2)));
    frame->actions().updateCommands();
    QVERIFY(!back->isEnabled());
}

QTEST_MAIN(TestDefinition)
#include "tst_definition.moc"
