// Find and replace in a real source view: selecting occurrences with
// wrap-around, "Cannot find", Replace, Replace All as one undo step, F3, and
// the box acting on the view it was last opened for.
#include "core/colors/CDialogFontsColors.h"
#include "core/settings/CDlgQSettings.h"
#include "editor/CDlgFind.h"
#include "editor/CFindReplace.h"
#include "editor/CTovoView.h"

#include "ScriptedPrompter.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

namespace {

using Sci = QsciScintillaBase;

struct Fixture {
    CDialogFontsColors scheme;
    CDlgEditorSettings settings;
    ScriptedPrompter prompter;
    CFindReplace finder{prompter};
    std::unique_ptr<CTovoView> view;

    Fixture() { view = newView(); }
    std::unique_ptr<CTovoView> newView()
    {
        settings.TypingDelayMS = 0;
        auto v = std::make_unique<CTovoView>(scheme, settings, prompter);
        v->setFindReplace(&finder);
        return v;
    }
    CTovoView& v() { return *view; }
    void search(const QString& what, bool down = true, bool wholeWord = false, bool matchCase = false)
    {
        // As the box would leave it.
        finder.showDialog(view.get(), false);
        finder.dialog()->setOptions({what, QString(), wholeWord, matchCase, down});
        emit finder.dialog()->findNextClicked();
    }
};

// The selection in characters of the view's text.
int selStart(CTovoView& v) { return int(v.text(0, int(v.SendScintilla(Sci::SCI_GETSELECTIONSTART))).size()); }

} // namespace

class TestFindReplace : public QObject {
    Q_OBJECT
private slots:
    void findNextWraps_data();
    void findNextWraps();
    void notFoundTellsUser();
    void replaceStepByStep();
    void replaceAllOneUndoStep();
    void replaceAllNothingFound();
    void f3RepeatsLastSearch();
    void dialogTexts();
    void dialogFollowsView();
};

void TestFindReplace::findNextWraps_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("what");
    QTest::addColumn<bool>("down");
    QTest::addColumn<bool>("wholeWord");
    QTest::addColumn<QList<int>>("starts"); // selection starts of successive searches
    // Multi-byte text before a hit: positions must not drift.
    QTest::newRow("down, wrapping") << QStringLiteral("ab\nпривет ab\nab") << "AB" << true << false
                                    << QList<int>{0, 10, 13, 0};
    QTest::newRow("up, wrapping") << QStringLiteral("ab\nпривет ab\nab") << "ab" << false << false
                                  << QList<int>{10, 0, 13, 10};
    QTest::newRow("whole words") << QStringLiteral("x:max x\nx") << "x" << true << true << QList<int>{0, 6, 8, 0};
}

void TestFindReplace::findNextWraps()
{
    QFETCH(QString, text);
    QFETCH(QString, what);
    QFETCH(bool, down);
    QFETCH(bool, wholeWord);
    QFETCH(QList<int>, starts);
    Fixture f;
    f.v().loadDocumentText(text);
    // Up searches start from the caret at the start of the last line.
    f.v().setCursorPosition(down ? 0 : 2, 0);
    QList<int> seen;
    f.search(what, down, wholeWord);
    seen << selStart(f.v());
    QCOMPARE(f.v().selectedText().toLower(), what.toLower());
    for (int i = 1; i < starts.size(); ++i) {
        QVERIFY(f.v().findNext());
        seen << selStart(f.v());
    }
    QCOMPARE(seen, starts);
    QCOMPARE(f.prompter.asked(), QStringList());
}

void TestFindReplace::notFoundTellsUser()
{
    Fixture f;
    f.v().loadDocumentText(QStringLiteral("select from t"));
    f.v().setSelection(0, 0, 0, 6);
    f.prompter.expectInform(QStringLiteral("Cannot find \"upsert\""));
    f.search(QStringLiteral("upsert"));
    QCOMPARE(f.prompter.pending(), 0);
    QCOMPARE(f.v().selectedText(), QStringLiteral("select"));
    // Case matters when asked to.
    f.prompter.expectInform(QStringLiteral("Cannot find \"SELECT\""));
    f.search(QStringLiteral("SELECT"), true, false, true);
    QCOMPARE(f.prompter.pending(), 0);
}

void TestFindReplace::replaceStepByStep()
{
    Fixture f;
    f.v().loadDocumentText(QStringLiteral("a x a"));
    f.v().setCursorPosition(0, 0);
    f.finder.showDialog(&f.v(), true);
    f.finder.dialog()->setOptions({QStringLiteral("a"), QStringLiteral("bb"), true, false, true});
    // Nothing selected yet: the first press only finds.
    emit f.finder.dialog()->replaceClicked();
    QCOMPARE(f.v().text(), QStringLiteral("a x a"));
    QCOMPARE(selStart(f.v()), 0);
    emit f.finder.dialog()->replaceClicked();
    QCOMPARE(f.v().text(), QStringLiteral("bb x a"));
    QCOMPARE(selStart(f.v()), 5);
    // The last one replaced; no other "a" is left to find.
    f.prompter.expectInform(QStringLiteral("Cannot find \"a\""));
    emit f.finder.dialog()->replaceClicked();
    QCOMPARE(f.v().text(), QStringLiteral("bb x bb"));
    QCOMPARE(f.prompter.pending(), 0);
    // A selection that is not an occurrence is never replaced.
    f.v().setSelection(0, 3, 0, 4);
    f.prompter.expectInform(QStringLiteral("Cannot find \"a\""));
    emit f.finder.dialog()->replaceClicked();
    QCOMPARE(f.v().text(), QStringLiteral("bb x bb"));
}

void TestFindReplace::replaceAllOneUndoStep()
{
    Fixture f;
    const QString original = QStringLiteral("Привет:1\nx:привет+1\nпривет_2:3");
    f.v().loadDocumentText(original);
    f.v().setCursorPosition(2, 0);
    f.finder.options() = {QStringLiteral("привет"), QStringLiteral("hi"), true, false, true};
    QCOMPARE(f.finder.replaceAll(&f.v()), 2);
    QCOMPARE(f.v().text(), QStringLiteral("hi:1\nx:hi+1\nпривет_2:3"));
    QVERIFY(f.v().isModified());
    f.v().undo();
    QCOMPARE(f.v().text(), original);
    f.v().redo();
    QCOMPARE(f.v().text(), QStringLiteral("hi:1\nx:hi+1\nпривет_2:3"));
}

void TestFindReplace::replaceAllNothingFound()
{
    Fixture f;
    f.v().loadDocumentText(QStringLiteral("abc"));
    f.finder.options() = {QStringLiteral("x"), QStringLiteral("y"), false, false, true};
    f.prompter.expectInform(QStringLiteral("Cannot find \"x\""));
    QCOMPARE(f.finder.replaceAll(&f.v()), 0);
    QCOMPARE(f.prompter.pending(), 0);
    QCOMPARE(f.v().text(), QStringLiteral("abc"));
    QVERIFY(!f.v().isModified());
}

void TestFindReplace::f3RepeatsLastSearch()
{
    Fixture f;
    f.v().loadDocumentText(QStringLiteral("t:1\nt+t"));
    f.v().setCursorPosition(0, 0);
    // No search yet: F3 opens the Find box instead.
    f.v().findNext(); // F3 in the window
    QVERIFY(f.finder.dialog()->isVisible());
    QVERIFY(!f.finder.dialog()->replaceMode());
    QCOMPARE(f.finder.target(), &f.v());
    f.search(QStringLiteral("t"));
    f.finder.dialog()->hide();
    QCOMPARE(selStart(f.v()), 0);
    f.v().findNext(); // F3 in the window
    QCOMPARE(selStart(f.v()), 4);
    f.v().findNext(); // F3 in the window
    QCOMPARE(selStart(f.v()), 6);
    QVERIFY(!f.finder.dialog()->isVisible());
    // Another view repeats the same search.
    auto other = f.newView();
    other->loadDocumentText(QStringLiteral("x t"));
    QVERIFY(other->findNext());
    QCOMPARE(selStart(*other), 2);
}

void TestFindReplace::dialogTexts()
{
    CDlgFind box;
    auto visibleTexts = [&box] {
        QStringList texts;
        for (QLabel* l : box.findChildren<QLabel*>())
            if (l->isVisibleTo(&box))
                texts << l->text();
        for (QAbstractButton* b : box.findChildren<QAbstractButton*>())
            if (b->isVisibleTo(&box))
                texts << b->text();
        texts.sort();
        return texts;
    };
    box.setReplaceMode(false);
    QCOMPARE(box.windowTitle(), QStringLiteral("Find"));
    QCOMPARE(visibleTexts(), (QStringList{"&Down", "&Find Next", "&Up", "Cancel", "Fi&nd what:", "Match &case",
                                          "Match &whole word only"}));
    box.setReplaceMode(true);
    QCOMPARE(box.windowTitle(), QStringLiteral("Replace"));
    QCOMPARE(visibleTexts(), (QStringList{"&Find Next", "&Replace", "Cancel", "Fi&nd what:", "Match &case",
                                          "Match &whole word only", "Re&place with:", "Replace &All"}));
    // Nothing to search for: the buttons wait.
    box.whatEdit()->clear();
    QVERIFY(!box.findNextButton()->isEnabled());
    QVERIFY(!box.replaceAllButton()->isEnabled());
    box.whatEdit()->setText(QStringLiteral("x"));
    QVERIFY(box.findNextButton()->isEnabled());
    QVERIFY(box.replaceButton()->isEnabled());
    // Replace searches downwards whatever the Find box had.
    box.upButton()->setChecked(true);
    QVERIFY(box.options().down);
    box.setReplaceMode(false);
    QVERIFY(!box.options().down);
}

void TestFindReplace::dialogFollowsView()
{
    Fixture f;
    f.v().loadDocumentText(QStringLiteral("foo:1\nfoo"));
    auto second = f.newView();
    second->loadDocumentText(QStringLiteral("foo+foo+bar"));
    // The view's one-line selection starts the box.
    f.v().setSelection(0, 0, 0, 3);
    f.v().showFindDialog(false);
    CDlgFind* box = f.finder.dialog();
    QVERIFY(box->isVisible());
    QCOMPARE(box->whatEdit()->text(), QStringLiteral("foo"));
    QTest::mouseClick(box->findNextButton(), Qt::LeftButton);
    QCOMPARE(selStart(f.v()), 6);
    // Opened again from the second view, as Replace: acts there only.
    second->showFindDialog(true);
    QCOMPARE(f.finder.target(), second.get());
    QVERIFY(box->replaceMode());
    QCOMPARE(box->whatEdit()->text(), QStringLiteral("foo"));
    box->withEdit()->setText(QStringLiteral("x"));
    QTest::mouseClick(box->replaceAllButton(), Qt::LeftButton);
    QCOMPARE(second->text(), QStringLiteral("x+x+bar"));
    QCOMPARE(f.v().text(), QStringLiteral("foo:1\nfoo"));
    // The box's options are the last search for F3.
    QCOMPARE(f.finder.options().with, QStringLiteral("x"));
    QTest::mouseClick(box->cancelButton(), Qt::LeftButton);
    QVERIFY(!box->isVisible());
    // A closed view is no target any more.
    second.reset();
    QCOMPARE(f.finder.target(), nullptr);
    emit box->replaceAllClicked();
    QCOMPARE(f.v().text(), QStringLiteral("foo:1\nfoo"));
}

QTEST_MAIN(TestFindReplace)
#include "tst_findreplace.moc"
