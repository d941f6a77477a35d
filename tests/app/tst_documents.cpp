// The File menu's document commands through the real main window: saving,
// the modified mark, the question before closing, recent files.
#include "ScriptedFileChooser.h"
#include "ScriptedPrompter.h"
#include "TempHome.h"
#include "app/CChildFrame.h"
#include "app/CDocumentArea.h"
#include "app/CDocumentCommands.h"
#include "app/CMainFrame.h"
#include "app/CTovoApp.h"
#include "app/CommandIds.h"
#include "editor/CTovoView.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

using Answer = Prompter::Answer;

class TestDocuments : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void saveAsNamesTheDocument();
    void modifiedMarkFollowsText();
    void closeAsksAboutChanges_data();
    void closeAsksAboutChanges();
    void windowCloseCanBeCancelled();
    void failedSaveKeepsTheMark();
    void recentFiles();
    void pasteCommandsInsertPlainText();
    void newWindowShowsTheSameDocument();

private:
    void start();
    CTovoView* view(CChildFrame* child) { return qobject_cast<CTovoView*>(child->view()); }
    void type(CChildFrame* child, const QString& text)
    {
        view(child)->insert(text);
        view(child)->processChange();
    }
    QStringList recentMenuTexts();
    void expectSaveQuestion(const QString& name, Answer answer)
    {
        m_prompter.expect(QStringLiteral("Save changes to %1?").arg(name), QStringLiteral("Tovo"),
                          Prompter::Buttons::YesNoCancel, Prompter::Icon::Warning, answer);
    }

    std::unique_ptr<TempHome> m_home;
    ScriptedPrompter m_prompter;
    ScriptedFileChooser m_chooser;
    std::unique_ptr<CTovoApp> m_app;
    CMainFrame* frame() { return m_app->mainFrame(); }
    CDocumentCommands* commands() { return frame()->findChild<CDocumentCommands*>(); }
};

void TestDocuments::init()
{
    m_home = std::make_unique<TempHome>();
    m_prompter = ScriptedPrompter();
    m_chooser = ScriptedFileChooser();
    start();
}

void TestDocuments::start()
{
    m_app = std::make_unique<CTovoApp>(CommandLine(QStringLiteral("--homedir:") + m_home->path()), m_prompter,
                                       m_home->store());
    m_app->setFileChooser(&m_chooser);
    QVERIFY(m_app->initInstance());
    QVERIFY(commands());
}

void TestDocuments::cleanup()
{
    if (m_app && frame())
        frame()->setCloseAllQuery(nullptr);
    m_app.reset();
    m_home.reset();
    QCOMPARE(m_prompter.pending(), 0);
    QCOMPARE(m_chooser.pending(), 0);
}

QStringList TestDocuments::recentMenuTexts()
{
    QStringList texts;
    for (QAction* menuAction : frame()->menuBar()->actions()) {
        if (menuAction->text() != QStringLiteral("&File"))
            continue;
        for (QAction* item : menuAction->menu()->actions())
            if (item->text().startsWith(u'&') && item->text().at(1).isDigit())
                texts.append(item->text());
    }
    return texts;
}

void TestDocuments::saveAsNamesTheDocument()
{
    CChildFrame* child = frame()->activeDocument();
    QVERIFY(child);
    type(child, QStringLiteral("a:1\nb:2"));
    QVERIFY(child->title().endsWith(u'*'));

    // A name without extension gets ".q"; the tab, the path and the recent list follow.
    m_chooser.plan(m_home->filePath(QStringLiteral("first")));
    frame()->action(cmd::FileSave)->trigger(); // no file yet: Save acts as Save As
    const QString saved = m_home->filePath(QStringLiteral("first.q"));
    QCOMPARE(m_chooser.asked(), QStringList{QStringLiteral("Save As")});
    QCOMPARE(child->title(), QStringLiteral("first.q"));
    QCOMPARE(child->filePath(), saved);
    QFile file(saved);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("a:1\r\nb:2"));
    QCOMPARE(recentMenuTexts(), QStringList{QStringLiteral("&1 ") + QDir::toNativeSeparators(saved)});

    // Save again goes to the same file without asking for a name.
    type(child, QStringLiteral("c:3\n"));
    frame()->action(cmd::FileSave)->trigger();
    QCOMPARE(m_chooser.asked().size(), 1);
    QCOMPARE(child->title(), QStringLiteral("first.q"));
    file.close();
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("c:3\r\na:1\r\nb:2"));

    // Cancelling the Save As dialog changes nothing.
    m_chooser.plan(QString());
    frame()->action(cmd::FileSaveAs)->trigger();
    QCOMPARE(child->filePath(), saved);
}

void TestDocuments::modifiedMarkFollowsText()
{
    CChildFrame* child = frame()->activeDocument();
    const QString clean = child->title();
    QVERIFY(!clean.endsWith(u'*'));
    type(child, QStringLiteral("x"));
    QCOMPARE(child->title(), clean + u'*');
    view(child)->undo();
    QCOMPARE(child->title(), clean);
}

void TestDocuments::closeAsksAboutChanges_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("chosenFile"); // for Yes: the Save As answer
    QTest::addColumn<bool>("closed");
    QTest::newRow("cancel keeps it") << int(Answer::Cancel) << QString() << false;
    QTest::newRow("no discards") << int(Answer::No) << QString() << true;
    QTest::newRow("yes saves") << int(Answer::Yes) << QStringLiteral("kept.q") << true;
    QTest::newRow("yes, then no file chosen") << int(Answer::Yes) << QString() << false;
}

void TestDocuments::closeAsksAboutChanges()
{
    QFETCH(int, answer);
    QFETCH(QString, chosenFile);
    QFETCH(bool, closed);
    CChildFrame* child = frame()->activeDocument();
    const QString title = child->title().remove(u'*');
    type(child, QStringLiteral("1+1"));
    expectSaveQuestion(title, Answer(answer));
    if (Answer(answer) == Answer::Yes)
        m_chooser.plan(chosenFile.isEmpty() ? QString() : m_home->filePath(chosenFile));
    frame()->action(cmd::FileClose)->trigger();
    QCOMPARE(frame()->documentArea()->documents().contains(child), !closed);
    if (!chosenFile.isEmpty())
        QVERIFY(QFile::exists(m_home->filePath(chosenFile)));

    // An unmodified document closes without a question.
    if (!closed) {
        view(child)->undo();
        frame()->action(cmd::FileClose)->trigger();
        QVERIFY(!frame()->documentArea()->documents().contains(child));
    }
}

void TestDocuments::windowCloseCanBeCancelled()
{
    CChildFrame* child = frame()->activeDocument();
    type(child, QStringLiteral("keep me"));
    CChildFrame* other = frame()->newDocument();
    QCOMPARE(frame()->activeDocument(), other);
    // Only the modified document is asked about, and it is shown first.
    expectSaveQuestion(child->title().remove(u'*'), Answer::Cancel);
    QVERIFY(!frame()->close());
    QCOMPARE(frame()->activeDocument(), child);
    QCOMPARE(view(child)->text(), QStringLiteral("keep me"));
}

void TestDocuments::failedSaveKeepsTheMark()
{
    CChildFrame* child = frame()->activeDocument();
    type(child, QStringLiteral("x"));
    m_chooser.plan(m_home->filePath(QStringLiteral("no/such/folder/x.q")));
    m_prompter.expectInform(QStringLiteral("Failed to save document."), Prompter::Icon::Warning);
    QVERIFY(!commands()->saveAs(child));
    QVERIFY(child->title().endsWith(u'*'));
    QVERIFY(child->filePath().isEmpty());
}

void TestDocuments::recentFiles()
{
    QStringList paths;
    for (const char* name : {"a.q", "b.q", "c.q", "d.q", "e.q"}) {
        const QString path = m_home->filePath(QString::fromLatin1(name));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("1");
        paths.prepend(path);
    }
    for (int i = paths.size() - 1; i >= 0; --i) {
        m_chooser.plan(paths[i]);
        frame()->action(cmd::FileOpen)->trigger();
        QCOMPARE(frame()->activeDocument()->filePath(), paths[i]);
    }
    // Four entries by default, newest first.
    QCOMPARE(commands()->recentFiles().files(), paths.mid(0, 4));
    QCOMPARE(recentMenuTexts().size(), 4);

    // The list is kept for the next run; an entry whose file is gone is dropped when chosen.
    frame()->setCloseAllQuery(nullptr);
    m_app->exitInstance();
    m_app.reset();
    start();
    QCOMPARE(commands()->recentFiles().files(), paths.mid(0, 4));
    for (CChildFrame* child : frame()->documentArea()->documents())
        if (child->filePath() == paths[1])
            QVERIFY(frame()->closeDocument(child));
    QVERIFY(QFile::remove(paths[1]));
    m_prompter.expectInform(QStringLiteral("Failed to open document."), Prompter::Icon::Warning);
    const int open = frame()->documentArea()->documents().size();
    emit frame()->recentFileRequested(paths[1]);
    QCOMPARE(frame()->documentArea()->documents().size(), open);
    QCOMPARE(commands()->recentFiles().files(), QStringList({paths[0], paths[2], paths[3]}));
    QCOMPARE(recentMenuTexts().size(), 3);
}

void TestDocuments::pasteCommandsInsertPlainText()
{
    CChildFrame* child = frame()->activeDocument();
    frame()->show();
    frame()->activateWindow();
    view(child)->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(view(child)));
    for (int id : {cmd::EditPaste, cmd::EditPasteSpecial}) {
        auto* data = new QMimeData;
        data->setHtml(QStringLiteral("<b>bold</b>"));
        data->setText(QStringLiteral("1+1"));
        QApplication::clipboard()->setMimeData(data);
        view(child)->clear();
        frame()->action(id)->trigger();
        QCOMPARE(view(child)->text(), QStringLiteral("1+1"));
    }
}

void TestDocuments::newWindowShowsTheSameDocument()
{
    CChildFrame* first = frame()->activeDocument();
    const QString name = first->title();
    frame()->action(cmd::WindowNew)->trigger();
    CChildFrame* second = frame()->activeDocument();
    QVERIFY(second != first);
    QCOMPARE(first->title(), name + QStringLiteral(":1"));
    QCOMPARE(second->title(), name + QStringLiteral(":2"));

    // One text, one modified mark.
    type(second, QStringLiteral("x:42"));
    QCOMPARE(view(first)->text(), QStringLiteral("x:42"));
    QCOMPARE(first->title(), name + QStringLiteral(":1*"));
    QCOMPARE(second->title(), name + QStringLiteral(":2*"));

    // Closing one of two windows asks nothing and loses nothing.
    QVERIFY(frame()->closeDocument(first));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(second->title(), name + u'*');
    QCOMPARE(view(second)->text(), QStringLiteral("x:42"));

    // Saving from any window names all of them.
    frame()->action(cmd::WindowNew)->trigger();
    CChildFrame* third = frame()->activeDocument();
    m_chooser.plan(m_home->filePath(QStringLiteral("shared.q")));
    QVERIFY(commands()->save(third));
    QCOMPARE(second->title(), QStringLiteral("shared.q:1"));
    QCOMPARE(third->title(), QStringLiteral("shared.q:2"));
    QCOMPARE(second->filePath(), third->filePath());

    // The window closing with unsaved changes asks once for the document.
    type(third, QStringLiteral("y"));
    expectSaveQuestion(m_home->filePath(QStringLiteral("shared.q")), Answer::Cancel);
    QVERIFY(!frame()->close());
    QVERIFY(frame()->closeDocument(second));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    expectSaveQuestion(m_home->filePath(QStringLiteral("shared.q")), Answer::No);
    QVERIFY(frame()->closeDocument(third));
}

QTEST_MAIN(TestDocuments)
#include "tst_documents.moc"
