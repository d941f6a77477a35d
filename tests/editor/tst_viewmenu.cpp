// The source view's context menu through the real widget: its items in order
// with their keys, what is enabled when, and what each item does.
#include "core/colors/CDialogFontsColors.h"
#include "core/settings/CDlgQSettings.h"
#include "editor/CTovoView.h"

#include "ScriptedPrompter.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMimeData>
#include <QTimer>
#include <QtTest>

namespace {

const QStringList kItems{QStringLiteral("&Quick Watch"),
                         QStringLiteral("Add &Watch"),
                         QStringLiteral("Lookup in &Namespaces"),
                         QStringLiteral("&Mark selection/identifier"),
                         QStringLiteral("Copy as &String->Handle"),
                         QStringLiteral("Copy as &URL"),
                         QStringLiteral("Cu&t"),
                         QStringLiteral("&Copy"),
                         QStringLiteral("&Paste"),
                         QStringLiteral("Select A&ll")};

struct Fixture {
    CDialogFontsColors scheme;
    CDlgEditorSettings settings;
    ScriptedPrompter prompter;
    std::unique_ptr<CTovoView> view;

    Fixture()
    {
        settings.TypingDelayMS = 0;
        view = std::make_unique<CTovoView>(scheme, settings, prompter);
    }
    CTovoView& v() { return *view; }
};

QStringList itemTexts(const QMenu& menu)
{
    QStringList texts;
    for (QAction* a : menu.actions())
        if (!a->isSeparator())
            texts << a->text();
    return texts;
}

QAction* item(const QMenu& menu, const QString& text)
{
    for (QAction* a : menu.actions())
        if (a->text() == text)
            return a;
    return nullptr;
}

} // namespace

class TestViewMenu : public QObject {
    Q_OBJECT
private slots:
    void itemsAndKeys();
    void shownOnRightClickAndMenuKey_data();
    void shownOnRightClickAndMenuKey();
    void enabledStates_data();
    void enabledStates();
    void itemEffects_data();
    void itemEffects();
};

void TestViewMenu::itemsAndKeys()
{
    Fixture f;
    std::unique_ptr<QMenu> menu(f.v().createContextMenu());
    QCOMPARE(itemTexts(*menu), kItems);
    QCOMPARE(item(*menu, kItems[0])->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
    QCOMPARE(item(*menu, kItems[1])->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_W));
    QCOMPARE(item(*menu, kItems[2])->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_D));
    QCOMPARE(item(*menu, kItems[3])->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_M));
}

void TestViewMenu::shownOnRightClickAndMenuKey_data()
{
    QTest::addColumn<int>("reason");
    QTest::newRow("right button") << int(QContextMenuEvent::Mouse);
    QTest::newRow("menu key") << int(QContextMenuEvent::Keyboard);
}

void TestViewMenu::shownOnRightClickAndMenuKey()
{
    QFETCH(int, reason);
    Fixture f;
    f.v().loadDocumentText(QStringLiteral("a:1"));
    f.v().show();
    QVERIFY(QTest::qWaitForWindowExposed(f.view.get()));
    QStringList shown;
    QTimer::singleShot(0, this, [&shown] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            shown = itemTexts(*menu);
            menu->close();
        }
    });
    const QPoint at(5, 5);
    QContextMenuEvent event(QContextMenuEvent::Reason(reason), at, f.v().viewport()->mapToGlobal(at));
    QApplication::sendEvent(f.v().viewport(), &event);
    QCOMPARE(shown, kItems);
}

void TestViewMenu::enabledStates_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<bool>("selection");
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QString>("enabled"); // one letter per item, "1" enabled
    QTest::newRow("no server, no selection, empty clipboard") << QString() << false << QString() << "0111000001";
    QTest::newRow("server, selection, clipboard text")
        << QStringLiteral("`:h:5001") << true << QStringLiteral("x") << "1111111111";
    QTest::newRow("server, no selection") << QStringLiteral("`:h:5001") << false << QStringLiteral("x")
                                          << "1111000011";
}

void TestViewMenu::enabledStates()
{
    QFETCH(QString, server);
    QFETCH(bool, selection);
    QFETCH(QString, clipboard);
    QFETCH(QString, enabled);
    Fixture f;
    f.v().loadDocumentText(QStringLiteral("abc:1"));
    f.v().setServerText(server);
    if (selection)
        f.v().setSelection(0, 0, 0, 3);
    QApplication::clipboard()->setText(clipboard);
    std::unique_ptr<QMenu> menu(f.v().createContextMenu());
    QString states;
    for (const QString& text : kItems)
        states += item(*menu, text)->isEnabled() ? u'1' : u'0';
    QCOMPARE(states, enabled);
}

void TestViewMenu::itemEffects_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("from"); // selection on the first line, characters
    QTest::addColumn<int>("to");
    QTest::addColumn<QString>("server");
    QTest::addColumn<QStringList>("effects");
    const QString server = QStringLiteral("`:localhost:5001:u:p");
    QTest::newRow("quick watch") << kItems[0] << "a:`sym" << 0 << 0 << server << QStringList{"quick:a"};
    QTest::newRow("add watch") << kItems[1] << "x+__tmp" << 4 << 4 << QString() << QStringList{"watch:tmp"};
    QTest::newRow("lookup") << kItems[2] << "f[.trd.gen;1]" << 4 << 4 << QString()
                            << QStringList{"lookup:.trd.gen"};
    QTest::newRow("lookup, nothing at caret") << kItems[2] << "a + b" << 2 << 2 << QString() << QStringList{};
    QTest::newRow("mark") << kItems[3] << "x:max x" << 0 << 0 << QString() << QStringList{"marks:0,4,6"};
    QTest::newRow("copy as string") << kItems[4] << "s:a\"b\\c" << 2 << 7 << QString()
                                    << QStringList{"clip:\"a\\\"b\\\\c\""};
    QTest::newRow("copy as URL") << kItems[5] << "til 3" << 0 << 5 << server
                                 << QStringList{"clip:http://localhost:5001?til%203"};
    QTest::newRow("cut") << kItems[6] << "abc" << 0 << 2 << QString() << QStringList{"clip:ab", "text:c"};
    QTest::newRow("copy") << kItems[7] << "abc" << 1 << 3 << QString() << QStringList{"clip:bc"};
    QTest::newRow("paste plain text") << kItems[8] << "abc" << 1 << 2 << QString() << QStringList{"text:aCLIPc"};
    QTest::newRow("select all") << kItems[9] << "a\nb" << 0 << 0 << QString() << QStringList{"selected:a\nb"};
}

void TestViewMenu::itemEffects()
{
    QFETCH(QString, item);
    QFETCH(QString, text);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QString, server);
    QFETCH(QStringList, effects);
    Fixture f;
    f.v().loadDocumentText(text);
    f.v().setServerText(server);
    f.v().setSelection(0, from, 0, to);
    auto* mime = new QMimeData;
    mime->setText(QStringLiteral("CLIP"));
    mime->setHtml(QStringLiteral("<b>formatted</b>"));
    QApplication::clipboard()->setMimeData(mime);
    QStringList seen;
    connect(&f.v(), &CTovoView::quickWatchRequested, this, [&](const QString& id) { seen << "quick:" + id; });
    connect(&f.v(), &CTovoView::addWatchRequested, this, [&](const QString& id) { seen << "watch:" + id; });
    connect(&f.v(), &CTovoView::lookupRequested, this, [&](const QString& id) { seen << "lookup:" + id; });

    std::unique_ptr<QMenu> menu(f.v().createContextMenu());
    QAction* action = ::item(*menu, item);
    QVERIFY(action && action->isEnabled());
    action->trigger();

    QStringList marks;
    for (int i = 0; i < f.v().length(); ++i)
        if (f.v().hasIndicator(CTovoView::MarkIndicator, i))
            marks << QString::number(i);
    if (!marks.isEmpty())
        seen << "marks:" + marks.join(u',');
    if (QApplication::clipboard()->text() != QStringLiteral("CLIP"))
        seen << "clip:" + QApplication::clipboard()->text();
    if (f.v().text() != text)
        seen << "text:" + f.v().text();
    // A new selection (not the one the item started with).
    if (f.v().hasSelectedText() && f.v().selectedText() != text.mid(from, to - from))
        seen << "selected:" + f.v().selectedText();
    QCOMPARE(seen, effects);
}

QTEST_MAIN(TestViewMenu)
#include "tst_viewmenu.moc"
