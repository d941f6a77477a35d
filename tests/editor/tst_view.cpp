// The source view driven as a user would: colouring through the q lexer
// (whole and after edits), the typing delay, fonts and colours, and the
// editing commands.
#include "core/colors/CDialogFontsColors.h"
#include "core/settings/CDlgQSettings.h"
#include "editor/CDlgGoToLine.h"
#include "editor/CQLexer.h"
#include "editor/CSyntaxHighlighting.h"
#include "editor/CTextDocumentHiTarget.h"
#include "editor/CTovoView.h"

#include "ScriptedPrompter.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QtTest>

namespace {

using E = CDialogFontsColors;
using Sci = QsciScintillaBase;

QString readScript(const QString& name)
{
    QFile f(QDir(QStringLiteral(TOVO_EDITOR_SCRIPTS)).filePath(name));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

QByteArray stylesOf(const CTovoView& view)
{
    const long n = view.SendScintilla(Sci::SCI_GETLENGTH);
    QByteArray out(n, '\0');
    for (qsizetype i = 0; i < n; ++i)
        out[i] = char(view.SendScintilla(Sci::SCI_GETSTYLEAT, static_cast<unsigned long>(i), 0L));
    return out;
}

int bytePos(const QString& text, int charPos) { return int(text.left(charPos).toUtf8().size()); }

struct Fixture {
    CDialogFontsColors scheme;
    CDlgEditorSettings settings;
    ScriptedPrompter prompter;
    std::unique_ptr<CTovoView> view;

    explicit Fixture(int typingDelay = 0)
    {
        settings.TypingDelayMS = typingDelay;
        view = std::make_unique<CTovoView>(scheme, settings, prompter);
    }
    CTovoView& v() { return *view; }
    // Shown and painted, so that caret moves are reported as in use.
    void show()
    {
        view->show();
        QVERIFY(QTest::qWaitForWindowExposed(view.get()));
    }
    void settle()
    {
        view->viewport()->repaint();
        QCoreApplication::processEvents();
    }
    void load(const QString& text) { view->loadDocumentText(text); }
};

} // namespace

class TestView : public QObject {
    Q_OBJECT
private slots:
    void helpAddress();
    void lexerAgreesWithColouriser();
    void editsMatchFullColouring_data();
    void editsMatchFullColouring();
    void typingDelay();
    void fontsAndColours();
    void highlightingOff();
    void execute_data();
    void execute();
    void identifierCommands_data();
    void identifierCommands();
    void dropFiles();
    void textDocumentTarget();
    void autoSaveCopies();
    void wordKeysStopAtBackquote();
    void wordHighlightFollowsCaret();
    void tabKeys_data();
    void tabKeys();
    void undoGroupsTyping();
    void undoStepIsOneBurstBetweenColouringRuns();
    void bracketHighlight();
    void markToggles();
    void copyForms();
    void plainTextPaste();
    void goToLine();
    void noDiskQuestionWithoutCheckFS();
    void diskReload();
};

void TestView::lexerAgreesWithColouriser()
{
    Fixture f;
    const QString text = readScript(QStringLiteral("feed.q"));
    f.load(text);
    CSyntaxHighlighting hl(nullptr, f.scheme);
    hl.colourText(text);
    QList<int> expected(text.size(), 0);
    for (const CHiRegion& r : hl.regions())
        for (int i = r.start; i <= r.end; ++i)
            expected[i] = CQLexer::styleOf(r.element);
    const QByteArray styles = stylesOf(f.v());
    for (int i = 0; i < text.size(); ++i) {
        if (int(styles[bytePos(text, i)]) != expected[i])
            QFAIL(qPrintable(QStringLiteral("char %1 near \"%2\": style %3, expected %4")
                                 .arg(i).arg(text.mid(i, 20)).arg(int(styles[bytePos(text, i)])).arg(expected[i])));
    }
}

void TestView::editsMatchFullColouring_data()
{
    QTest::addColumn<QString>("script");
    QTest::newRow("trades") << "trades.q";
    QTest::newRow("feed") << "feed.q";
    QTest::newRow("utils") << "utils.q";
}

void TestView::editsMatchFullColouring()
{
    QFETCH(QString, script);
    Fixture f(100000);
    f.load(readScript(script));
    const QStringList pieces{QStringLiteral("\""), QStringLiteral("/"), QStringLiteral("\\"), QStringLiteral("\n"),
                             QStringLiteral("\n/\n"), QStringLiteral("\n\\\n"), QStringLiteral(" /"),
                             QStringLiteral("x"), QStringLiteral("`a"), QString::fromUtf8("\xd0\xaf"),
                             QStringLiteral("\\\""), QStringLiteral("select"), QStringLiteral("\t")};
    QRandomGenerator rng(7u + quint32(qHash(script)));
    Fixture fresh;
    for (int step = 0; step < 150; ++step) {
        const QString text = f.v().text();
        const int pos = int(rng.bounded(quint32(text.size() + 1)));
        const int removed = rng.bounded(3) == 0 ? int(rng.bounded(quint32(std::min<qsizetype>(30, text.size() - pos) + 1))) : 0;
        const int at = bytePos(text, pos);
        bool edited = removed > 0;
        if (removed > 0)
            f.v().SendScintilla(Sci::SCI_DELETERANGE, static_cast<unsigned long>(at),
                                static_cast<long>(bytePos(text, pos + removed) - at));
        if (rng.bounded(4) != 0) {
            const QByteArray piece = pieces[int(rng.bounded(quint32(pieces.size())))].toUtf8();
            f.v().SendScintilla(Sci::SCI_INSERTTEXT, static_cast<unsigned long>(at), piece.constData());
            edited = true;
        }
        if (rng.bounded(3) != 0)
            continue;
        if (edited)
            QVERIFY(f.v().changePending());
        f.v().processChange();
        fresh.load(f.v().text());
        const QByteArray got = stylesOf(f.v());
        const QByteArray want = stylesOf(fresh.v());
        if (got != want) {
            int i = 0;
            while (got[i] == want[i])
                ++i;
            QFAIL(qPrintable(QStringLiteral("step %1: byte %2 style %3, full colouring gives %4")
                                 .arg(step).arg(i).arg(int(got[i])).arg(int(want[i]))));
        }
    }
}

void TestView::typingDelay()
{
    Fixture slow(100000);
    slow.load(QStringLiteral("a:1\nb:2"));
    slow.v().setCursorPosition(0, 0);
    QTest::keyClicks(&slow.v(), QStringLiteral("\""));
    QCOMPARE(slow.v().text(), QStringLiteral("\"a:1\nb:2"));
    QCOMPARE(int(slow.v().SendScintilla(Sci::SCI_GETSTYLEAT, 5UL, 0L)), int(E::Identifier));
    QVERIFY(slow.v().changePending());
    slow.v().colourTimerTick(); // "typed" becomes "pending"
    QCOMPARE(int(slow.v().SendScintilla(Sci::SCI_GETSTYLEAT, 5UL, 0L)), int(E::Identifier));
    slow.v().colourTimerTick(); // a whole quiet period: processed
    QVERIFY(!slow.v().changePending());
    QCOMPARE(int(slow.v().SendScintilla(Sci::SCI_GETSTYLEAT, 5UL, 0L)), int(E::String));

    // A keystroke between ticks starts the wait again.
    QTest::keyClicks(&slow.v(), QStringLiteral("x"));
    slow.v().colourTimerTick();
    QTest::keyClicks(&slow.v(), QStringLiteral("\""));
    slow.v().colourTimerTick();
    QCOMPARE(int(slow.v().SendScintilla(Sci::SCI_GETSTYLEAT, 5UL, 0L)), int(E::String));
    slow.v().colourTimerTick();
    QCOMPARE(slow.v().text(), QStringLiteral("\"x\"a:1\nb:2"));
    QCOMPARE(int(slow.v().SendScintilla(Sci::SCI_GETSTYLEAT, 4UL, 0L)), int(E::Operator));

    Fixture now(0);
    now.load(QStringLiteral("a:1"));
    QSignalSpy processed(&now.v(), &CTovoView::changeProcessed);
    now.v().setCursorPosition(0, 3);
    QTest::keyClicks(&now.v(), QStringLiteral("j"));
    QCoreApplication::processEvents();
    QCOMPARE(processed.size(), 1);
    QCOMPARE(int(now.v().SendScintilla(Sci::SCI_GETSTYLEAT, 2UL, 0L)), int(E::Long));
}

void TestView::fontsAndColours()
{
    Fixture f;
    f.load(QStringLiteral("select x"));
    QVERIFY(f.v().lexer().font(E::Keyword).bold());
    QVERIFY(!f.v().lexer().font(E::Identifier).bold());
    QCOMPARE(f.v().lexer().color(E::Comment), QColor(0x80, 0x80, 0x80));
    QCOMPARE(f.v().lexer().color(0), QColor(0, 0, 0));
    QCOMPARE(f.v().lexer().paper(E::Keyword), QColor(0xFF, 0xFF, 0xFF));
    f.scheme.setKeywordsAreBold(false);
    f.scheme.setColor(E::Background, 0x102030);
    f.v().applyFontsAndColours();
    QVERIFY(!f.v().lexer().font(E::Keyword).bold());
    QCOMPARE(f.v().lexer().paper(E::Keyword), QColor(0x30, 0x20, 0x10));
    f.v().setCritical(true, 0xC8C8FF);
    QCOMPARE(f.v().lexer().paper(0), QColor(0xFF, 0xC8, 0xC8));
    // Colouring survives re-applying: the keyword keeps its style.
    QCOMPARE(int(f.v().SendScintilla(Sci::SCI_GETSTYLEAT, 0UL, 0L)), int(E::Keyword));
}

void TestView::highlightingOff()
{
    Fixture f;
    f.load(QStringLiteral("x:\"s\" / c"));
    QVERIFY(stylesOf(f.v()).count('\0') < f.v().text().size());
    f.v().toggleHighlighting(); // Ctrl+U in the window
    QVERIFY(!f.v().highlighting());
    QCOMPARE(stylesOf(f.v()), QByteArray(f.v().text().size(), '\0'));
    // Typing while off colours nothing.
    QTest::keyClicks(&f.v(), QStringLiteral("`a"));
    QCoreApplication::processEvents();
    QCOMPARE(stylesOf(f.v()).count('\0'), f.v().text().size());
    f.v().toggleHighlighting(); // Ctrl+U in the window
    QCOMPARE(int(f.v().SendScintilla(Sci::SCI_GETSTYLEAT, 2UL, 0L)), int(E::Symbol));
}

void TestView::execute_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("selection"); // line from, index from, line to, index to
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("shift");
    QTest::addColumn<bool>("executeAll");
    QTest::addColumn<QStringList>("queries"); // each as text then "as is" flag
    QTest::addColumn<bool>("message");
    const int line = Qt::Key_Return;
    const int sel = Qt::Key_E;
    QTest::newRow("line") << "a:1\n  b:2  " << QList<int>{1, 1, 1, 1} << line << false << true
                          << QStringList{"b:2", "0"} << false;
    QTest::newRow("line as is") << "a:1\nb:2" << QList<int>{0, 1, 0, 1} << line << true << true
                                << QStringList{"a:1", "1"} << false;
    QTest::newRow("blank line") << "a:1\n   \nb" << QList<int>{1, 1, 1, 1} << line << false << true << QStringList{}
                                << false;
    QTest::newRow("selection") << "a:1\nb:2\nc" << QList<int>{0, 0, 1, 3} << sel << false << false
                               << QStringList{"a:1\nb:2", "0"} << false;
    QTest::newRow("nothing selected, all") << " x\ny " << QList<int>{0, 0, 0, 0} << sel << true << true
                                           << QStringList{"x\ny", "1"} << false;
    QTest::newRow("nothing selected") << "x" << QList<int>{0, 0, 0, 0} << sel << false << false << QStringList{}
                                      << true;
}

void TestView::execute()
{
    QFETCH(QString, text);
    QFETCH(QList<int>, selection);
    QFETCH(int, key);
    QFETCH(bool, shift);
    QFETCH(bool, executeAll);
    QFETCH(QStringList, queries);
    QFETCH(bool, message);
    Fixture f;
    f.settings.ExecuteAll = executeAll;
    f.load(text);
    f.v().setSelection(selection[0], selection[1], selection[2], selection[3]);
    QStringList sent;
    connect(&f.v(), &CTovoView::queryRequested, this,
            [&](const QString& q, bool asIs) { sent << q << QString::number(asIs); });
    if (message)
        f.prompter.expectInform(QStringLiteral("Nothing to execute as nothing is selected.\nYou can execute whole "
                                               "pane content in such cases,\nif you'll check corresponding setting "
                                               "in the Editor tab"),
                                Prompter::Icon::Warning);
    // Ctrl+Enter and Ctrl+E come through the window's actions, Shift as the flag.
    if (key == Qt::Key_Return)
        f.v().executeLine(shift);
    else
        f.v().executeSelection(shift);
    QCOMPARE(sent, queries);
    QCOMPARE(f.prompter.pending(), 0);
    QCOMPARE(f.v().text(), text); // the keys type nothing
}

void TestView::identifierCommands_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("expected"); // "signal:identifier", empty when nothing is asked
    const QString server = QStringLiteral("`:h:5001");
    QTest::newRow("lookup") << int(Qt::Key_D) << "f[.trd.gen;1]" << 4 << QString() << "lookup:.trd.gen";
    QTest::newRow("watch without underscores") << int(Qt::Key_W) << "x+__tmp" << 4 << QString() << "watch:tmp";
    QTest::newRow("quick watch") << int(Qt::Key_Q) << "a:`sym" << 0 << server << "quick:a";
    QTest::newRow("quick watch needs a server") << int(Qt::Key_Q) << "a:`sym" << 0 << QString() << "";
    QTest::newRow("nothing at caret") << int(Qt::Key_D) << "a + b" << 2 << QString() << "";
}

void TestView::identifierCommands()
{
    QFETCH(int, key);
    QFETCH(QString, text);
    QFETCH(int, caret);
    QFETCH(QString, server);
    QFETCH(QString, expected);
    Fixture f;
    f.load(text);
    f.v().setServerText(server);
    f.v().setCursorPosition(0, caret);
    QStringList asked;
    connect(&f.v(), &CTovoView::lookupRequested, this, [&](const QString& id) { asked << "lookup:" + id; });
    connect(&f.v(), &CTovoView::addWatchRequested, this, [&](const QString& id) { asked << "watch:" + id; });
    connect(&f.v(), &CTovoView::quickWatchRequested, this, [&](const QString& id) { asked << "quick:" + id; });
    if (key == Qt::Key_Q)
        f.v().quickWatch(); // the window's Quick Watch command (Ctrl+Q)
    else
        QTest::keyClick(&f.v(), Qt::Key(key), Qt::ControlModifier);
    QCOMPARE(asked, expected.isEmpty() ? QStringList() : QStringList{expected});
    QCOMPARE(f.v().text(), text);
}

void TestView::dropFiles()
{
    // Drag and drop cannot be simulated; the handler is called as the platform would.
    struct DropView : CTovoView {
        using CTovoView::CTovoView;
        using CTovoView::dropEvent;
    };
    CDialogFontsColors scheme;
    CDlgEditorSettings settings;
    ScriptedPrompter prompter;
    DropView view(scheme, settings, prompter);
    view.loadDocumentText(QStringLiteral("x"));
    QSignalSpy dropped(&view, &CTovoView::filesDropped);
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/a.q")), QUrl(QStringLiteral("http://127.0.0.1/b.q"))});
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    view.dropEvent(&drop);
    QCOMPARE(dropped.size(), 1);
    QCOMPARE(dropped[0][0].toStringList(), QStringList{QStringLiteral("/tmp/a.q")});
    QCOMPARE(view.text(), QStringLiteral("x"));
}

void TestView::textDocumentTarget()
{
    QTextDocument doc(QStringLiteral("select x\ny:\"s\" / c"));
    CTextDocumentHiTarget target(&doc);
    CDialogFontsColors scheme;
    auto formatAt = [&](int pos) {
        QTextCursor c(&doc);
        c.setPosition(pos + 1); // the format of the character before the cursor
        return c.charFormat();
    };
    {
        CSyntaxHighlighting hl(&target, scheme);
        hl.colour();
        hl.apply();
        QCOMPARE(hl.markOccurrences(QStringLiteral("s"), 0x00FF00, 9, -1), 12);
    }
    QCOMPARE(formatAt(0).foreground().color(), QColor(0, 0, 0xFF));
    QCOMPARE(formatAt(0).fontWeight(), int(QFont::Bold));
    QCOMPARE(formatAt(7).foreground().color(), QColor(0xB4, 0xA0, 0x00));
    QCOMPARE(formatAt(12).foreground().color(), QColor(0x14, 0xC8, 0x00)); // the string on the second line
    QCOMPARE(formatAt(17).foreground().color(), QColor(0x80, 0x80, 0x80));
    QCOMPARE(formatAt(12).background().color(), QColor(0, 0xFF, 0));
    QCOMPARE(formatAt(0).background().style(), Qt::NoBrush); // "s" of select is before the range
    CSyntaxHighlighting(&target, scheme).setBackground(12, 12, 0, true);
    QCOMPARE(formatAt(12).background().style(), Qt::NoBrush);
}

void TestView::autoSaveCopies()
{
    QTemporaryDir dir;
    auto f = std::make_unique<Fixture>();
    f->v().setAutoSave(0, dir.path());
    f->v().document().setTitle(QStringLiteral("q1"));
    f->load(QStringLiteral("a:1"));
    f->v().autoSaveTick();
    QVERIFY(CTovoDoc::recoverableFiles(dir.path()).isEmpty()); // unmodified
    QTest::keyClicks(&f->v(), QStringLiteral("x"));
    f->v().autoSaveTick();
    const QStringList copies = CTovoDoc::recoverableFiles(dir.path());
    QCOMPARE(copies.size(), 1);
    QFile copy(copies.first());
    QVERIFY(copy.open(QIODevice::ReadOnly));
    QCOMPARE(copy.readAll(), QByteArray("xa:1"));
    copy.close();
    // Undone back to the loaded text: the copy goes.
    f->v().undo();
    f->v().autoSaveTick();
    QVERIFY(CTovoDoc::recoverableFiles(dir.path()).isEmpty());
    QTest::keyClicks(&f->v(), QStringLiteral("y"));
    f->v().autoSaveTick();
    QCOMPARE(CTovoDoc::recoverableFiles(dir.path()).size(), 1);
    f.reset(); // closing the view removes it
    QVERIFY(CTovoDoc::recoverableFiles(dir.path()).isEmpty());
}

void TestView::wordKeysStopAtBackquote()
{
    Fixture f;
    f.load(QStringLiteral("x:`abc`def ghi"));
    f.v().setCursorPosition(0, 3);
    QTest::keyClick(&f.v(), Qt::Key_Right, Qt::ControlModifier);
    QCOMPARE(int(f.v().SendScintilla(Sci::SCI_GETCURRENTPOS, 0UL, 0L)), 6);
    QTest::keyClick(&f.v(), Qt::Key_Right, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(f.v().selectedText(), QStringLiteral("`"));
    f.v().setCursorPosition(0, 10);
    QTest::keyClick(&f.v(), Qt::Key_Left, Qt::ControlModifier);
    QCOMPARE(int(f.v().SendScintilla(Sci::SCI_GETCURRENTPOS, 0UL, 0L)), 7);
}

void TestView::wordHighlightFollowsCaret()
{
    Fixture f;
    f.settings.WordHighlight = true;
    f.load(QStringLiteral("abc+abc+d"));
    f.show();
    f.v().setCursorPosition(0, 1);
    f.settle();
    QCOMPARE(f.v().markedWord(), QStringLiteral("abc"));
    QVERIFY(f.v().hasIndicator(CTovoView::MarkIndicator, 4));
    f.v().setCursorPosition(0, 2); // same word: stays marked
    f.settle();
    QCOMPARE(f.v().markedWord(), QStringLiteral("abc"));
    f.v().setCursorPosition(0, 9);
    f.settle();
    QCOMPARE(f.v().markedWord(), QStringLiteral("d"));
    QVERIFY(!f.v().hasIndicator(CTovoView::MarkIndicator, 4));
}

void TestView::tabKeys_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("selection"); // line from, index from, line to, index to
    QTest::addColumn<bool>("shift");
    QTest::addColumn<QString>("expected");
    QTest::newRow("tab inserts spaces") << "ab" << QList<int>{0, 1, 0, 1} << false << "a    b";
    QTest::newRow("tab replaces selection") << "abc" << QList<int>{0, 1, 0, 2} << false << "a    c";
    QTest::newRow("block indent") << "a\nb\nc" << QList<int>{0, 1, 2, 1} << false << "    a\n    b\n    c";
    QTest::newRow("block unindent") << "      a\n  b\nc" << QList<int>{0, 3, 2, 1} << true << "  a\nb\nc";
    QTest::newRow("shift tab in indent") << "x\n      y" << QList<int>{1, 6, 1, 6} << true << "x\n  y";
    QTest::newRow("shift tab after text") << "x\n  y  z" << QList<int>{1, 5, 1, 5} << true << "x\n  y  z";
}

void TestView::tabKeys()
{
    QFETCH(QString, text);
    QFETCH(QList<int>, selection);
    QFETCH(bool, shift);
    QFETCH(QString, expected);
    Fixture f;
    f.settings.SpacesInTab = 4;
    f.load(text);
    f.v().setSelection(selection[0], selection[1], selection[2], selection[3]);
    QTest::keyClick(&f.v(), shift ? Qt::Key_Backtab : Qt::Key_Tab, shift ? Qt::ShiftModifier : Qt::NoModifier);
    QCOMPARE(f.v().text(), expected);
    if (selection[0] != selection[2]) // the block stays selected
        QCOMPARE(f.v().selectedText(), expected);
}

void TestView::undoGroupsTyping()
{
    Fixture f(100000);
    f.load(QStringLiteral("x"));
    f.v().setCursorPosition(0, 1);
    QTest::keyClicks(&f.v(), QStringLiteral("abc"));
    f.v().undo();
    QCOMPARE(f.v().text(), QStringLiteral("x"));
    f.v().redo();
    QCOMPARE(f.v().text(), QStringLiteral("xabc"));
    f.v().undo();
    QVERIFY(f.v().isRedoAvailable());
    QTest::keyClicks(&f.v(), QStringLiteral("d"));
    QVERIFY(!f.v().isRedoAvailable());
}

void TestView::undoStepIsOneBurstBetweenColouringRuns()
{
    Fixture f(100000); // colouring runs only when the test asks
    f.load(QStringLiteral("x"));
    f.v().setCursorPosition(0, 1);
    // One burst in two places is one step...
    QTest::keyClicks(&f.v(), QStringLiteral("abc"));
    QTest::keyClick(&f.v(), Qt::Key_Home);
    QTest::keyClicks(&f.v(), QStringLiteral("z"));
    f.v().processChange();
    QCOMPARE(f.v().text(), QStringLiteral("zxabc"));
    f.v().undo();
    QCOMPARE(f.v().text(), QStringLiteral("x"));
    f.v().redo();
    QCOMPARE(f.v().text(), QStringLiteral("zxabc"));

    // ...and typing on at the same place after a colouring run is a step of its own.
    f.v().setCursorPosition(0, 5);
    QTest::keyClicks(&f.v(), QStringLiteral("d"));
    f.v().processChange();
    QTest::keyClicks(&f.v(), QStringLiteral("e"));
    f.v().processChange();
    f.v().undo();
    QCOMPARE(f.v().text(), QStringLiteral("zxabcd"));
    // A pending burst is closed by Undo itself.
    QTest::keyClicks(&f.v(), QStringLiteral("fg"));
    f.v().undo();
    QCOMPARE(f.v().text(), QStringLiteral("zxabcd"));
}

void TestView::bracketHighlight()
{
    Fixture f;
    f.load(QStringLiteral("(a[1])"));
    f.show();
    f.v().setCursorPosition(0, 6);
    f.settle();
    QCOMPARE(f.v().bracketOpen(), 0);
    QCOMPARE(f.v().bracketClose(), 5);
    QVERIFY(f.v().hasIndicator(CTovoView::BracketIndicator, 0));
    QVERIFY(f.v().hasIndicator(CTovoView::BracketContentIndicator, 3));
    f.v().setCursorPosition(0, 2);
    f.settle();
    QCOMPARE(f.v().bracketOpen(), 2);
    QCOMPARE(f.v().bracketClose(), 4);
    QVERIFY(!f.v().hasIndicator(CTovoView::BracketIndicator, 0)); // the old pair is cleared
    f.v().goToMatchingBracket(); // Ctrl+] in the window
    QCOMPARE(int(f.v().SendScintilla(Sci::SCI_GETCURRENTPOS, 0UL, 0L)), 4);
    QTest::keyClick(&f.v(), Qt::Key_BracketRight, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(f.v().selectedText(), QStringLiteral("[1]"));
}

void TestView::markToggles()
{
    Fixture f;
    f.load(QStringLiteral("x:max x"));
    f.v().setCursorPosition(0, 0);
    QTest::keyClick(&f.v(), Qt::Key_M, Qt::ControlModifier);
    QCOMPARE(f.v().markedWord(), QStringLiteral("x"));
    QList<int> marked;
    for (int i = 0; i < 7; ++i)
        if (f.v().hasIndicator(CTovoView::MarkIndicator, i))
            marked << i;
    QCOMPARE(marked, (QList<int>{0, 4, 6}));
    QTest::keyClick(&f.v(), Qt::Key_M, Qt::ControlModifier);
    QVERIFY(f.v().markedWord().isEmpty());
    for (int i = 0; i < 7; ++i)
        QVERIFY(!f.v().hasIndicator(CTovoView::MarkIndicator, i));
}

void TestView::copyForms()
{
    Fixture f;
    f.load(QStringLiteral("a\"b\\c\ntil 3"));
    f.v().setSelection(0, 0, 0, 5);
    f.v().copyAsString();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("\"a\\\"b\\\\c\""));
    f.v().setSelection(1, 0, 1, 5);
    f.v().copyAsUrl(QStringLiteral("`:localhost:5001"));
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("http://localhost:5001?til%203"));
}

void TestView::plainTextPaste()
{
    Fixture f;
    f.load(QStringLiteral("ab"));
    auto* mime = new QMimeData;
    mime->setText(QStringLiteral("x\"y"));
    mime->setHtml(QStringLiteral("<b>formatted</b>"));
    QApplication::clipboard()->setMimeData(mime);
    f.v().setCursorPosition(0, 1);
    f.v().paste(); // Ctrl+V in the window
    QCOMPARE(f.v().text(), QStringLiteral("ax\"yb"));
    QCoreApplication::processEvents();
    QCOMPARE(int(f.v().SendScintilla(Sci::SCI_GETSTYLEAT, 3UL, 0L)), int(E::String));
}

void TestView::goToLine()
{
    Fixture f;
    f.load(QStringLiteral("a\nb\nc"));
    QCOMPARE(f.v().lineTotal(), 3);
    f.v().goToLine(3);
    QCOMPARE(int(f.v().SendScintilla(Sci::SCI_GETCURRENTPOS, 0UL, 0L)), 4);

    // Through the box: OK only for 1 to the number of lines; the number joins the history once.
    auto runBox = [&](const QString& typed, bool expectOk) {
        QTimer::singleShot(0, [&] {
            auto* dialog = f.v().findChild<CDlgGoToLine*>();
            QVERIFY(dialog);
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Go to line"));
            QCOMPARE(dialog->label()->text(), QStringLiteral("Line number (1 - 3):"));
            QCOMPARE(dialog->box()->currentText(), QStringLiteral("3"));
            // Typed as a user would: the shown number is replaced, not extended.
            QTest::keyClicks(dialog->box()->lineEdit(), typed);
            QCOMPARE(dialog->box()->currentText(), typed);
            QCOMPARE(dialog->okButton()->isEnabled(), expectOk);
            if (expectOk)
                dialog->okButton()->click();
            else
                dialog->reject();
        });
        f.v().goToLineDialog(); // Ctrl+G in the window
    };
    runBox(QStringLiteral("4"), false);
    runBox(QStringLiteral("0"), false);
    runBox(QStringLiteral("x"), false);
    QVERIFY(f.v().goToHistory().isEmpty());
    runBox(QStringLiteral("2"), true);
    QCOMPARE(int(f.v().SendScintilla(Sci::SCI_GETCURRENTPOS, 0UL, 0L)), 2);
    f.v().goToLine(3);
    runBox(QStringLiteral("2"), true);
    QCOMPARE(f.v().goToHistory(), QStringList{QStringLiteral("2")});
}

void TestView::noDiskQuestionWithoutCheckFS()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.q"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("a:1\n");
    file.close();
    Fixture f;
    f.settings.CheckFS = false;
    QVERIFY(f.v().document().open(path, f.prompter));
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(30), QFileDevice::FileModificationTime));
    file.close();
    f.v().diskTimerTick(); // any question would fail the test
    QVERIFY(f.prompter.asked().isEmpty());
}

void TestView::diskReload()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.q"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("a:1\nb:2\nc:3\n");
    file.close();
    Fixture f;
    f.settings.CheckFS = true;
    QVERIFY(f.v().document().open(path, f.prompter));
    f.v().setCursorPosition(2, 1);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("x:\"1\"\ny:2\n");
    file.flush();
    QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(30), QFileDevice::FileModificationTime));
    file.close();
    f.prompter.expect(QDir::toNativeSeparators(path)
                          + QStringLiteral("\n\nThis file has been modified outside of the source editor.\nDo you "
                                           "want to reload it?"),
                      QStringLiteral("Tovo"), Prompter::Buttons::YesNo, Prompter::Icon::Question, Prompter::Answer::Yes);
    f.v().diskTimerTick();
    QCOMPARE(f.prompter.pending(), 0);
    QCOMPARE(f.v().text(), QStringLiteral("x:\"1\"\ny:2\n"));
    int line = -1, index = -1;
    f.v().getCursorPosition(&line, &index);
    QCOMPARE(line, 2);
    QCOMPARE(index, 0);
    QVERIFY(!f.v().isModified());
    QCOMPARE(int(f.v().SendScintilla(Sci::SCI_GETSTYLEAT, 2UL, 0L)), int(E::String));
}

void TestView::helpAddress()
{
    Fixture f;
    f.settings.HelpURL = QStringLiteral("https://ref/");
    f.settings.AltHelpURL = QStringLiteral("https://search?q=");
    f.load(QStringLiteral("select myTab_ from t\n\n"));
    f.v().setCursorPosition(0, 2);
    QCOMPARE(f.v().helpAddress(), QStringLiteral("https://ref/select"));
    f.v().setCursorPosition(0, 9);
    QCOMPARE(f.v().helpAddress(), QStringLiteral("https://search?q=myTab_")); // the identifier at the caret
    f.v().setCursorPosition(1, 0);
    QCOMPARE(f.v().helpAddress(), QStringLiteral("https://search?q="));
    f.settings.AltHelpURL.clear();
    f.v().setCursorPosition(0, 9);
    QCOMPARE(f.v().helpAddress(), QStringLiteral("https://ref/myTab"));
}

QTEST_MAIN(TestView)
#include "tst_view.moc"
