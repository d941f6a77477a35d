// Auto-complete in a source view driven as a user would: opening the list
// over a few names, typing that narrows it or accepts, Enter, Esc, clicks,
// "." with CompleteOnDots, and the list's look.
#include "core/colors/CDialogFontsColors.h"
#include "core/settings/CDlgQSettings.h"
#include "editor/CLookupListBox.h"
#include "editor/CTovoView.h"

#include "ScriptedPrompter.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QtTest>

namespace {

class Names : public CompletionSource {
public:
    bool loading() const override { return busy; }
    QList<CompletionName> names() const override { return list; }
    bool busy = false;
    QList<CompletionName> list = {{QStringLiteral("trades"), 3, {}, false},
                                  {QStringLiteral("limit"), 5, {}, false},
                                  {QStringLiteral("upd"), 4, QStringLiteral("[t;x]"), false},
                                  {QStringLiteral("Upd2"), 4, QStringLiteral("[x]"), true},
                                  {QStringLiteral(".q.each"), 4, QStringLiteral("[x;y]"), false},
                                  {QStringLiteral(".feed.upd"), 4, QStringLiteral("[t;x]"), false},
                                  {QStringLiteral(".feed.sub.f"), 4, {}, false},
                                  {QStringLiteral(".z.pg"), 0, {}, false}};
};

// The kind number drawn into the icon, so the test can read it back.
QIcon numberedIcon(int kind)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(QColor(kind * 40, 0, 0));
    return QIcon(pixmap);
}

struct Fixture {
    CDialogFontsColors scheme;
    CDlgEditorSettings settings;
    ScriptedPrompter prompter;
    Names names;
    QWidget window;
    CTovoView* view = nullptr;

    Fixture()
    {
        settings.TypingDelayMS = 0;
        auto* layout = new QVBoxLayout(&window);
        layout->setContentsMargins(20, 20, 20, 20);
        view = new CTovoView(scheme, settings, prompter, &window);
        layout->addWidget(view);
        view->setCompletionSource(&names);
        view->setCompletionIcons(numberedIcon);
        window.resize(640, 420);
    }
    bool show()
    {
        window.show();
        window.activateWindow();
        if (!QTest::qWaitForWindowActive(&window))
            return false;
        view->setFocus();
        return QApplication::focusWidget() == view;
    }
    // text with "|" at the caret.
    void load(const QString& marked)
    {
        const qsizetype caret = marked.indexOf(u'|');
        view->loadDocumentText(QString(marked).remove(caret, 1));
        const QString before = marked.left(caret);
        const int line = int(before.count(u'\n'));
        view->setCursorPosition(line, int(before.size() - before.lastIndexOf(u'\n') - 1));
    }
    QString marked() const
    {
        int line = 0, index = 0;
        view->getCursorPosition(&line, &index);
        QStringList lines = view->text().split(u'\n');
        lines[line].insert(index, u'|');
        return lines.join(u'\n');
    }
    CLookupListBox* list() const { return view->lookupList(); }
    bool listShown() const { return list() && list()->isVisible(); }
    // "-" while hidden, else the chosen item.
    QString state() const
    {
        if (!listShown())
            return view->completionOpen() ? QStringLiteral("closed list still open") : QStringLiteral("-");
        return list()->itemText(list()->current());
    }
    // Space-separated steps: "open" (Ctrl+Space), key names, or characters typed.
    void play(const QString& script)
    {
        static const QHash<QString, std::pair<Qt::Key, Qt::KeyboardModifiers>> keys = {
            {QStringLiteral("Enter"), {Qt::Key_Return, Qt::NoModifier}},
            {QStringLiteral("Esc"), {Qt::Key_Escape, Qt::NoModifier}},
            {QStringLiteral("Up"), {Qt::Key_Up, Qt::NoModifier}},
            {QStringLiteral("Down"), {Qt::Key_Down, Qt::NoModifier}},
            {QStringLiteral("PgDn"), {Qt::Key_PageDown, Qt::NoModifier}},
            {QStringLiteral("PgUp"), {Qt::Key_PageUp, Qt::NoModifier}},
            {QStringLiteral("Ctrl+PgDn"), {Qt::Key_PageDown, Qt::ControlModifier}},
            {QStringLiteral("Ctrl+PgUp"), {Qt::Key_PageUp, Qt::ControlModifier}},
            {QStringLiteral("Left"), {Qt::Key_Left, Qt::NoModifier}},
            {QStringLiteral("Right"), {Qt::Key_Right, Qt::NoModifier}},
            {QStringLiteral("Home"), {Qt::Key_Home, Qt::NoModifier}},
            {QStringLiteral("Backspace"), {Qt::Key_Backspace, Qt::NoModifier}},
            {QStringLiteral("Space"), {Qt::Key_Space, Qt::NoModifier}},
        };
        for (const QString& step : script.split(u' ', Qt::SkipEmptyParts)) {
            if (step == QLatin1String("open"))
                view->autoComplete();
            else if (keys.contains(step))
                QTest::keyClick(view, keys.value(step).first, keys.value(step).second);
            else
                QTest::keyClicks(view, step);
            QCoreApplication::processEvents();
        }
    }
};

} // namespace

class TestAutoComplete : public QObject {
    Q_OBJECT
private slots:
    void typing_data();
    void typing();
    void listLooksAndSits();
    void clickAccepts();
    void hidesOnClickScrollAndFocus();
    void changesNotTypedHide();
};

void TestAutoComplete::typing_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<bool>("completeOnDots");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("list"); // "-" hidden, else the chosen item
    QTest::newRow("open chooses the best item") << "x:li|" << false << "open" << "x:li|" << "limit";
    QTest::newRow("letters narrow") << "x:|" << false << "open u p" << "x:up|" << "upd[t;x]";
    QTest::newRow("case decides") << "x:|" << false << "open U" << "x:U|" << "Upd2[x]";
    QTest::newRow("backspace widens") << "x:upd|" << false << "open Backspace Backspace" << "x:u|" << "upd[t;x]";
    QTest::newRow("Enter inserts name and parameters") << "x:up|" << false << "open Enter" << "x:upd[t;x]|" << "-";
    QTest::newRow("[ inserts only the name") << "x:up|" << false << "open [" << "x:upd[|" << "-";
    QTest::newRow("a bracket already there") << "x:up|[1;2]" << false << "open Enter" << "x:upd|[1;2]" << "-";
    QTest::newRow("other delimiter") << "x:tr|" << false << "open +" << "x:trades+|" << "-";
    QTest::newRow("Esc hides, text kept") << "x:li|" << false << "open Esc" << "x:li|" << "-";
    QTest::newRow("Down and Up") << "x:li|" << false << "open Down Down Up" << "x:li|" << "trades";
    QTest::newRow("Ctrl+PgDn, Ctrl+PgUp") << "x:li|" << false << "open Ctrl+PgDn" << "x:li|" << "upd[t;x]";
    QTest::newRow("to the first") << "x:li|" << false << "open Ctrl+PgDn Ctrl+PgUp" << "x:li|" << "each[x;y]";
    QTest::newRow("PgDn stops at the end") << "x:li|" << false << "open PgDn PgDn" << "x:li|" << "upd[t;x]";
    QTest::newRow("choice moved, then Enter") << "x:li|" << false << "open Down Enter" << "x:trades|" << "-";
    QTest::newRow("caret leaves the word") << "x:li|" << false << "open Left Left Left" << "x|:li" << "-";
    QTest::newRow("caret stays in the word") << "x:li|" << false << "open Left Left" << "x:|li" << "limit";
    QTest::newRow("dot drills into a namespace") << "x:|" << false << "open . f e e d ." << "x:.feed.|" << "sub.f";
    QTest::newRow("dot opens with CompleteOnDots") << "x:|" << true << ". f e e d . u" << "x:.feed.u|"
                                                   << "upd[t;x]";
    QTest::newRow("dot alone without it") << "x:|" << false << ". f e e d ." << "x:.feed.|" << "-";
    QTest::newRow(".q. lists nothing") << "x:|" << true << ". q ." << "x:.q.|" << "-";
    QTest::newRow("namespace name accepted") << "x:.feed.u|" << false << "open Space" << "x:.feed.upd[t;x] |"
                                             << "-";
    QTest::newRow("no match: the first item") << "x:zz|" << false << "open z" << "x:zzz|" << "each[x;y]";
}

void TestAutoComplete::typing()
{
    QFETCH(QString, before);
    QFETCH(bool, completeOnDots);
    QFETCH(QString, keys);
    Fixture f;
    f.settings.CompleteOnDots = completeOnDots;
    QVERIFY(f.show());
    f.load(before);
    f.play(keys);
    QTEST(f.marked(), "after");
    QTEST(f.state(), "list");
}

void TestAutoComplete::listLooksAndSits()
{
    Fixture f;
    QVERIFY(f.show());
    f.load(QStringLiteral("a:1\nx:tr|"));
    f.view->autoComplete();
    CLookupListBox* list = f.list();
    QVERIFY(list && list->isVisible());
    // A child of the window over the view, never taking the focus.
    QCOMPARE(list->parentWidget(), &f.window);
    QCOMPARE(QApplication::focusWidget(), f.view);
    QCOMPARE(list->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("entity"));
    QStringList rows;
    for (int i = 0; i < list->count(); ++i)
        rows << QStringLiteral("%1:%2").arg(list->itemText(i)).arg(list->itemIcon(i));
    QCOMPARE(rows.join(u' '), QStringLiteral("each[x;y]:4 limit:5 trades:3 Upd2[x]:6 upd[t;x]:4"));
    // The icons come from the provider, by kind.
    for (int i = 0; i < list->count(); ++i) {
        const QImage picture = list->model()->index(i, 0).data(Qt::DecorationRole).value<QIcon>().pixmap(16).toImage();
        QCOMPARE(picture.pixelColor(8, 8).red(), list->itemIcon(i) * 40);
    }
    // Under the start of the word, below the caret's line.
    const long start = f.view->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, 1UL) + 2;
    const int x = int(f.view->SendScintilla(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0UL, start));
    const int y = int(f.view->SendScintilla(QsciScintillaBase::SCI_POINTYFROMPOSITION, 0UL, start));
    const QPoint word = f.view->viewport()->mapTo(&f.window, QPoint(x, y));
    QCOMPARE(list->x(), word.x());
    QVERIFY(list->y() > word.y());
    QVERIFY(list->y() <= word.y() + 2 * QFontMetrics(f.view->font()).height());
    // The chosen row on light yellow, the others black on white; the column
    // fills the list less the scroll bar (fewer than 6 items: none).
    QCOMPARE(list->palette().color(QPalette::Highlight), QColor(0xFF, 0xF3, 0xCE));
    QCOMPARE(list->palette().color(QPalette::HighlightedText), QColor(Qt::black));
    QCOMPARE(list->palette().color(QPalette::Base), QColor(Qt::white));
    QCOMPARE(list->header()->sectionSize(0), list->width() - 2 * list->frameWidth());
    const QImage shot = list->grab().toImage();
    const QRect chosen = list->visualRect(list->model()->index(list->current(), 0));
    QCOMPARE(shot.pixelColor(chosen.right() - 2, chosen.center().y() + list->frameWidth()), QColor(0xFF, 0xF3, 0xCE));
    if (const QString shots = qEnvironmentVariable("TOVO_SHOTS"); !shots.isEmpty())
        f.window.grab().save(shots + QStringLiteral("/autocomplete-view.png"));

    // Six items or more: the column leaves room for the scroll bar.
    for (int i = 0; i < 10; ++i)
        f.names.list.append({QStringLiteral("tr%1").arg(i), 5, {}, false});
    f.view->autoComplete();
    QCOMPARE(list->count(), 15);
    QVERIFY(list->header()->sectionSize(0) < list->width() - 2 * list->frameWidth());
    QCOMPARE(list->itemText(list->current()), QStringLiteral("tr0"));
    QVERIFY(list->visualRect(list->model()->index(list->current(), 0)).intersects(list->viewport()->rect()));

    // Nothing is listed while the explorer loads.
    f.view->hideCompletion();
    f.names.busy = true;
    f.view->autoComplete();
    QVERIFY(!list->isVisible());
    QVERIFY(!f.view->completionOpen());
}

void TestAutoComplete::clickAccepts()
{
    Fixture f;
    QVERIFY(f.show());
    f.load(QStringLiteral("x:li|+1"));
    f.view->autoComplete();
    CLookupListBox* list = f.list();
    QVERIFY(list && list->isVisible());
    const QRect row = list->visualRect(list->model()->index(2, 0)); // trades
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
    QTRY_COMPARE(f.marked(), QStringLiteral("x:trades|+1"));
    QVERIFY(!list->isVisible());
    QCOMPARE(QApplication::focusWidget(), f.view);
}

void TestAutoComplete::hidesOnClickScrollAndFocus()
{
    Fixture f;
    QVERIFY(f.show());
    QStringList lines(200, QStringLiteral("a:1"));
    lines.front() = QStringLiteral("x:li");
    f.view->loadDocumentText(lines.join(u'\n'));
    f.view->setCursorPosition(0, 4);
    auto* other = new QLineEdit(&f.window);
    f.window.layout()->addWidget(other);
    const QList<std::pair<const char*, std::function<void()>>> ways = {
        {"click into the view", [&] { QTest::mouseClick(f.view->viewport(), Qt::LeftButton, {}, QPoint(5, 5)); }},
        {"scroll", [&] { f.view->verticalScrollBar()->setValue(20); }},
        {"focus elsewhere", [&] { other->setFocus(); }},
    };
    for (const auto& [name, hide] : ways) {
        f.view->setFocus();
        f.view->verticalScrollBar()->setValue(0);
        f.view->setCursorPosition(0, 4);
        f.view->autoComplete();
        QVERIFY2(f.listShown(), name);
        hide();
        QCoreApplication::processEvents();
        QVERIFY2(!f.listShown() && !f.view->completionOpen(), name);
    }
}

void TestAutoComplete::changesNotTypedHide()
{
    Fixture f;
    QVERIFY(f.show());
    f.load(QStringLiteral("x:li|"));
    // A paste is more than one typed character.
    QApplication::clipboard()->setText(QStringLiteral("mit"));
    f.view->autoComplete();
    QVERIFY(f.listShown());
    f.view->paste();
    QCoreApplication::processEvents();
    QVERIFY(!f.listShown());
    QCOMPARE(f.marked(), QStringLiteral("x:limit|"));
    // A change made in another window of the same text.
    std::unique_ptr<CTovoView> second(f.view->createWindowView());
    f.load(QStringLiteral("x:li|"));
    f.view->autoComplete();
    QVERIFY(f.listShown());
    second->insertAt(QStringLiteral("y"), 0, 0);
    QTRY_VERIFY(!f.listShown());
    QCOMPARE(f.view->text(), QStringLiteral("yx:li"));
}

QTEST_MAIN(TestAutoComplete)
#include "tst_autocomplete.moc"
