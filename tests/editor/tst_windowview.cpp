// Several windows onto one source document ("New Window"): one text, one
// colouring, one undo history, one modified state and one file, while each
// window keeps its own caret, highlighting, brackets and marks; and the
// document outlives whichever window closes first.
#include "core/colors/CDialogFontsColors.h"
#include "core/settings/CDlgQSettings.h"
#include "editor/CQLexer.h"
#include "editor/CTovoView.h"
#include "editor/FontConv.h"

#include "ScriptedPrompter.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

using E = CDialogFontsColors;
using Sci = QsciScintillaBase;

QByteArray stylesOf(const CTovoView& view)
{
    const long n = view.SendScintilla(Sci::SCI_GETLENGTH);
    QByteArray out(n, '\0');
    for (qsizetype i = 0; i < n; ++i)
        out[i] = char(view.SendScintilla(Sci::SCI_GETSTYLEAT, static_cast<unsigned long>(i), 0L));
    return out;
}

int styleAt(const CTovoView& view, int pos)
{
    return int(view.SendScintilla(Sci::SCI_GETSTYLEAT, static_cast<unsigned long>(pos), 0L));
}

void typeAtEnd(CTovoView& view, const QString& keys)
{
    view.SendScintilla(Sci::SCI_DOCUMENTEND);
    QTest::keyClicks(&view, keys);
}

// Shown and painted, so that caret moves are reported as in use.
void showAndSettle(CTovoView& view)
{
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
}

void settle(CTovoView& view)
{
    view.viewport()->repaint();
    QCoreApplication::processEvents();
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A document in a first window and a second window made by "New Window".
struct Fixture {
    CDialogFontsColors scheme;
    CDlgEditorSettings settings;
    ScriptedPrompter prompter;
    std::unique_ptr<CTovoView> first;
    std::unique_ptr<CTovoView> second;

    explicit Fixture(int typingDelay = 0, const QString& text = QStringLiteral("a:1\nb:2\n"))
    {
        settings.TypingDelayMS = typingDelay;
        first = std::make_unique<CTovoView>(scheme, settings, prompter);
        first->loadDocumentText(text);
        first->document().setTitle(QStringLiteral("a.q"));
        second.reset(first->createWindowView());
    }
    CTovoView& view(int which) { return which == 1 ? *first : *second; }
};

} // namespace

class TestWindowView : public QObject {
    Q_OBJECT
private slots:
    void typingShowsInBothWindows_data();
    void typingShowsInBothWindows();
    void oneUndoStepFromEitherWindow_data();
    void oneUndoStepFromEitherWindow();
    void changeProcessedOnceForAllWindows();
    void highlightingAndWrapPerWindow();
    void modifiedStateAndSaveShared();
    void closingFirstWindowKeepsDocument();
    void closingFirstWindowColoursPendingTyping();
    void windowCountAndIndices();
    void bracketsAndMarksPerWindow();
    void oneDiskQuestionAndOneAutoSave();
    void destroyInEitherOrder_data();
    void destroyInEitherOrder();
};

void TestWindowView::typingShowsInBothWindows_data()
{
    QTest::addColumn<int>("typedIn");
    QTest::addColumn<int>("typingDelay");
    QTest::newRow("first, no delay") << 1 << 0;
    QTest::newRow("second, no delay") << 2 << 0;
    QTest::newRow("second, typing delay") << 2 << 100000;
}

void TestWindowView::typingShowsInBothWindows()
{
    QFETCH(int, typedIn);
    QFETCH(int, typingDelay);
    Fixture f(typingDelay);
    typeAtEnd(f.view(typedIn), QStringLiteral("c:`sym"));
    if (typingDelay > 0) {
        QVERIFY(f.first->changePending());
        QVERIFY(f.second->changePending());
        // The first window's colouring timer serves the text typed in the second.
        f.first->colourTimerTick();
        f.first->colourTimerTick();
    }
    QCoreApplication::processEvents();
    QVERIFY(!f.first->changePending());
    const QString expected = QStringLiteral("a:1\nb:2\nc:`sym");
    QCOMPARE(f.first->text(), expected);
    QCOMPARE(f.second->text(), expected);
    const int symbol = int(expected.indexOf(u'`'));
    QCOMPARE(styleAt(*f.first, symbol), int(E::Symbol));
    QCOMPARE(stylesOf(*f.second), stylesOf(*f.first));
    // Both windows draw the styles alike.
    QCOMPARE(f.second->lexer().color(E::Symbol), f.first->lexer().color(E::Symbol));
    QCOMPARE(f.second->lexer().color(E::Symbol), FontConv::toQColor(f.scheme.color(E::Symbol)));
}

void TestWindowView::oneUndoStepFromEitherWindow_data()
{
    QTest::addColumn<int>("typedIn");
    QTest::addColumn<int>("undoIn");
    QTest::newRow("typed in second, undone in second") << 2 << 2;
    QTest::newRow("typed in second, undone in first") << 2 << 1;
    QTest::newRow("typed in first, undone in second") << 1 << 2;
}

void TestWindowView::oneUndoStepFromEitherWindow()
{
    QFETCH(int, typedIn);
    QFETCH(int, undoIn);
    Fixture f(100000);
    typeAtEnd(f.view(typedIn), QStringLiteral("abc"));
    f.view(undoIn).undo();
    QCOMPARE(f.first->text(), QStringLiteral("a:1\nb:2\n"));
    QCOMPARE(f.second->text(), QStringLiteral("a:1\nb:2\n"));
    // One burst is one step, recorded once.
    QVERIFY(!f.first->isUndoAvailable());
    QVERIFY(!f.second->isUndoAvailable());
    QVERIFY(!f.first->isModified());
    const int other = undoIn == 1 ? 2 : 1;
    f.view(other).redo();
    QCOMPARE(f.first->text(), QStringLiteral("a:1\nb:2\nabc"));
    QVERIFY(!f.second->isRedoAvailable());
}

void TestWindowView::changeProcessedOnceForAllWindows()
{
    Fixture f(100000);
    QSignalSpy firstSpy(f.first.get(), &CTovoView::changeProcessed);
    QSignalSpy secondSpy(f.second.get(), &CTovoView::changeProcessed);
    typeAtEnd(*f.second, QStringLiteral("x"));
    for (int tick = 0; tick < 3; ++tick) {
        f.first->colourTimerTick();
        f.second->colourTimerTick();
    }
    // Each window hears of the one processing, so both can retitle.
    QCOMPARE(firstSpy.count(), 1);
    QCOMPARE(secondSpy.count(), 1);
    // Undo in the second window first processes the pending change of the document.
    typeAtEnd(*f.second, QStringLiteral("y"));
    QVERIFY(f.second->changePending());
    f.second->undo();
    QCOMPARE(firstSpy.count(), 2);
    QCOMPARE(secondSpy.count(), 2);
    // Without a typing delay the one processing follows each keystroke.
    f.settings.TypingDelayMS = 0;
    typeAtEnd(*f.second, QStringLiteral("z"));
    QCoreApplication::processEvents();
    QCOMPARE(firstSpy.count(), 3);
    QCOMPARE(secondSpy.count(), 3);
}

void TestWindowView::highlightingAndWrapPerWindow()
{
    Fixture f(0, QStringLiteral("x:`a"));
    const QColor plain = FontConv::toQColor(f.scheme.color(E::Default));
    const QColor symbolColour = FontConv::toQColor(f.scheme.color(E::Symbol));
    QVERIFY(symbolColour != plain);
    f.second->toggleHighlighting();
    QVERIFY(!f.second->highlighting());
    QVERIFY(f.first->highlighting());
    // The text stays coloured for the first window; the second shows it plain.
    QCOMPARE(styleAt(*f.first, 2), int(E::Symbol));
    QCOMPARE(f.first->lexer().color(E::Symbol), symbolColour);
    QCOMPARE(f.second->lexer().color(E::Symbol), plain);
    // No window wants colours: nothing is coloured, even new typing.
    f.first->toggleHighlighting();
    QCOMPARE(stylesOf(*f.first), QByteArray(4, '\0'));
    typeAtEnd(*f.second, QStringLiteral(" `b"));
    QCoreApplication::processEvents();
    QCOMPARE(stylesOf(*f.first), QByteArray(7, '\0'));
    // Switched on in the second window only: coloured again, shown there only.
    f.second->toggleHighlighting();
    QCOMPARE(styleAt(*f.first, 5), int(E::Symbol));
    QCOMPARE(f.second->lexer().color(E::Symbol), symbolColour);
    QCOMPARE(f.first->lexer().color(E::Symbol), plain);
    f.second->setLineWrapping(!f.second->lineWrapping());
    QVERIFY(f.second->lineWrapping() != f.first->lineWrapping());
}

void TestWindowView::modifiedStateAndSaveShared()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.q"));
    Fixture f;
    QSignalSpy firstModified(f.first.get(), &QsciScintilla::modificationChanged);
    typeAtEnd(*f.second, QStringLiteral("c:3"));
    QCoreApplication::processEvents();
    QVERIFY(f.first->isModified());
    QCOMPARE(firstModified.count(), 1);
    QCOMPARE(&f.first->document(), &f.second->document());
    QCOMPARE(f.second->document().markedTitle(f.second->document().title()), QStringLiteral("a.q*"));
    f.second->document().setSaveAsMode(true);
    QCOMPARE(f.second->document().save(path, 1, f.prompter), CTovoDoc::SaveResult::Saved);
    QCOMPARE(readFile(path), QByteArray("a:1\nb:2\nc:3"));
    QVERIFY(!f.first->isModified());
    QVERIFY(!f.second->isModified());
    QCOMPARE(f.first->document().markedTitle(QStringLiteral("a.q*")), QStringLiteral("a.q"));
    QCOMPARE(f.first->document().pathName(), path);
    // Edited back to the saved text in the other window: not modified.
    typeAtEnd(*f.first, QStringLiteral("4"));
    QVERIFY(f.second->isModified());
    QTest::keyClick(f.first.get(), Qt::Key_Backspace);
    QCOMPARE(f.second->document().markedTitle(QStringLiteral("a.q")), QStringLiteral("a.q"));
    QVERIFY(!f.second->isModified());
}

void TestWindowView::closingFirstWindowKeepsDocument()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.q"));
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("a:1\n");
    }
    Fixture f(100000);
    QVERIFY(f.first->document().open(path, f.prompter));
    f.first->document().setTitle(QStringLiteral("a.q"));
    typeAtEnd(*f.first, QStringLiteral("b:2"));
    const qint64 fileTime = f.first->document().fileTime();
    QSignalSpy windows(f.second.get(), &CTovoView::windowsChanged);
    f.first.reset();
    QCOMPARE(windows.count(), 1);
    CTovoView& v = *f.second;
    QVERIFY(v.isLastWindow());
    QCOMPARE(v.windowIndex(), 1);
    QVERIFY(v.processesChanges());
    QCOMPARE(v.document().pathName(), path);
    QCOMPARE(v.document().title(), QStringLiteral("a.q"));
    QCOMPARE(v.document().savedText(), QStringLiteral("a:1\n"));
    QCOMPARE(v.document().fileTime(), fileTime);
    QVERIFY(v.isModified());
    QCOMPARE(v.text(), QStringLiteral("a:1\nb:2"));
    // New typing: coloured, and one undo step of its own.
    v.SendScintilla(Sci::SCI_DOCUMENTSTART);
    QTest::keyClicks(&v, QStringLiteral("`c;"));
    QVERIFY(v.changePending());
    v.colourTimerTick();
    v.colourTimerTick();
    QVERIFY(!v.changePending());
    QCOMPARE(styleAt(v, 0), int(E::Symbol));
    v.undo();
    QCOMPARE(v.text(), QStringLiteral("a:1\nb:2"));
    typeAtEnd(v, QStringLiteral(";c:3"));
    QCOMPARE(v.document().save(path, 1, f.prompter), CTovoDoc::SaveResult::Saved);
    QCOMPARE(readFile(path), QByteArray("a:1\nb:2;c:3"));
    QVERIFY(!v.isModified());
}

void TestWindowView::closingFirstWindowColoursPendingTyping()
{
    Fixture f(100000, QStringLiteral("a:1"));
    typeAtEnd(*f.first, QStringLiteral(" \"s\""));
    QVERIFY(f.second->changePending());
    f.first.reset();
    QVERIFY(!f.second->changePending());
    QCOMPARE(styleAt(*f.second, 5), int(E::String));
}

void TestWindowView::windowCountAndIndices()
{
    Fixture f;
    std::unique_ptr<CTovoView> third(f.second->createWindowView());
    QSignalSpy firstSpy(f.first.get(), &CTovoView::windowsChanged);
    QSignalSpy thirdSpy(third.get(), &CTovoView::windowsChanged);
    const QString title = f.first->document().title();
    QCOMPARE(third->windowCount(), 3);
    QCOMPARE(f.first->windows(), (QList<CTovoView*>{f.first.get(), f.second.get(), third.get()}));
    QCOMPARE(f.first->frameTitle(title), QStringLiteral("a.q:1"));
    QCOMPARE(f.second->frameTitle(title), QStringLiteral("a.q:2"));
    QCOMPARE(third->frameTitle(QStringLiteral("a.q*")), QStringLiteral("a.q*:3"));
    QVERIFY(!f.first->isLastWindow());
    // Closing the middle window renumbers the rest.
    f.second.reset();
    QCOMPARE(firstSpy.count(), 1);
    QCOMPARE(thirdSpy.count(), 1);
    QCOMPARE(f.first->windowCount(), 2);
    QCOMPARE(third->windowIndex(), 2);
    QCOMPARE(third->frameTitle(title), QStringLiteral("a.q:2"));
    f.first.reset();
    QCOMPARE(thirdSpy.count(), 2);
    QVERIFY(third->isLastWindow());
    QCOMPARE(third->frameTitle(title), QStringLiteral("a.q"));
    QCOMPARE(third->document().title(), QStringLiteral("a.q"));
    // A window made from the survivor comes second.
    std::unique_ptr<CTovoView> fourth(third->createWindowView());
    QCOMPARE(thirdSpy.count(), 3);
    QCOMPARE(fourth->windowIndex(), 2);
    QCOMPARE(fourth->text(), third->text());
}

void TestWindowView::bracketsAndMarksPerWindow()
{
    Fixture f(0, QStringLiteral("(x)+max x"));
    showAndSettle(*f.first);
    showAndSettle(*f.second);
    f.second->setCursorPosition(0, 8);
    settle(*f.second);
    f.first->setCursorPosition(0, 0);
    settle(*f.first);
    QVERIFY(f.first->hasIndicator(CTovoView::BracketIndicator, 0));
    QCOMPARE(f.first->bracketOpen(), 0);
    QVERIFY(!f.second->hasIndicator(CTovoView::BracketIndicator, 0));
    QCOMPARE(f.second->bracketOpen(), -1);
    // A mark in the second window does not disturb the first's brackets.
    QTest::keyClick(f.second.get(), Qt::Key_M, Qt::ControlModifier);
    QCOMPARE(f.second->markedWord(), QStringLiteral("x"));
    QVERIFY(f.second->hasIndicator(CTovoView::MarkIndicator, 6));
    QVERIFY(!f.first->hasIndicator(CTovoView::MarkIndicator, 6));
    QVERIFY(f.first->hasIndicator(CTovoView::BracketIndicator, 2));
    QVERIFY(f.first->indicatorSlot() != f.second->indicatorSlot());
    // A new window in the closed one's slot starts without its marks.
    const int slot = f.second->indicatorSlot();
    f.second.reset();
    std::unique_ptr<CTovoView> next(f.first->createWindowView());
    QCOMPARE(next->indicatorSlot(), slot);
    QVERIFY(!next->hasIndicator(CTovoView::MarkIndicator, 6));
}

void TestWindowView::oneDiskQuestionAndOneAutoSave()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.q"));
    const QString saves = dir.filePath(QStringLiteral("saves"));
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("a:1\n");
    }
    Fixture f;
    f.settings.CheckFS = true;
    QVERIFY(f.first->document().open(path, f.prompter));
    f.second->setAutoSave(60000, saves);
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("a:2\n");
        file.flush();
        QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(30), QFileDevice::FileModificationTime));
    }
    f.prompter.expect(QDir::toNativeSeparators(path)
                          + QStringLiteral("\n\nThis file has been modified outside of the source editor.\nDo you "
                                           "want to reload it?"),
                      QStringLiteral("Tovo"), Prompter::Buttons::YesNo, Prompter::Icon::Question, Prompter::Answer::Yes);
    QSignalSpy reloaded(f.second.get(), &CTovoView::reloaded);
    f.second->diskTimerTick();
    f.first->diskTimerTick();
    f.second->diskTimerTick();
    QCOMPARE(f.prompter.pending(), 0);
    QCOMPARE(f.prompter.asked().size(), 1);
    QCOMPARE(reloaded.count(), 1);
    QCOMPARE(f.second->text(), QStringLiteral("a:2\n"));

    // The automatic copy belongs to the document: it survives the first
    // window and goes with the last.
    typeAtEnd(*f.second, QStringLiteral("b:3"));
    f.first->autoSaveTick();
    QCOMPARE(CTovoDoc::recoverableFiles(saves).size(), 1);
    f.first.reset();
    typeAtEnd(*f.second, QStringLiteral(";c:4"));
    f.second->autoSaveTick();
    const QStringList copies = CTovoDoc::recoverableFiles(saves);
    QCOMPARE(copies.size(), 1);
    QCOMPARE(readFile(copies.first()), QByteArray("a:2\r\nb:3;c:4"));
    f.second.reset();
    QVERIFY(CTovoDoc::recoverableFiles(saves).isEmpty());
}

void TestWindowView::destroyInEitherOrder_data()
{
    QTest::addColumn<bool>("firstGoesFirst");
    QTest::newRow("first window closed first") << true;
    QTest::newRow("second window closed first") << false;
}

void TestWindowView::destroyInEitherOrder()
{
    QFETCH(bool, firstGoesFirst);
    Fixture f(100000);
    f.first->show();
    f.second->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.second.get()));
    typeAtEnd(*f.first, QStringLiteral("(c)"));
    typeAtEnd(*f.second, QStringLiteral("`d"));
    f.first->processChange(); // a typing pause: what was typed so far is one undo step
    f.second->setCursorPosition(2, 0);
    QTest::keyClick(f.first.get(), Qt::Key_M, Qt::ControlModifier);
    (firstGoesFirst ? f.first : f.second).reset();
    CTovoView& survivor = firstGoesFirst ? *f.second : *f.first;
    survivor.viewport()->repaint();
    survivor.SendScintilla(Sci::SCI_DOCUMENTSTART);
    QTest::keyClicks(&survivor, QStringLiteral("e"));
    survivor.processChange();
    QCOMPARE(survivor.text(), QStringLiteral("ea:1\nb:2\n(c)`d"));
    survivor.undo();
    QCOMPARE(survivor.text(), QStringLiteral("a:1\nb:2\n(c)`d"));
    QCOMPARE(styleAt(survivor, 11), int(E::Symbol));
    (firstGoesFirst ? f.second : f.first).reset();
}

QTEST_MAIN(TestWindowView)
#include "tst_windowview.moc"
