// The "Fonts && Colors" page: its grid, pending choices applied on OK and
// dropped on Cancel, and Export, Import and Reset through the page.
#include "core/colors/CDialogFontsColors.h"
#include "editor/CFontsColorsPage.h"
#include "editor/FontConv.h"

#include "ScriptedPrompter.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

using E = CDialogFontsColors;

namespace {

QTreeWidgetItem* findItem(QTreeWidget* grid, const QString& name)
{
    const auto found = grid->findItems(name, Qt::MatchExactly | Qt::MatchRecursive, 0);
    return found.isEmpty() ? nullptr : found.first();
}

QPushButton* button(QWidget* page, const QString& text)
{
    for (QPushButton* b : page->findChildren<QPushButton*>())
        if (b->text() == text)
            return b;
    return nullptr;
}

} // namespace

class TestFontsPage : public QObject {
    Q_OBJECT
private slots:
    void gridLayout();
    void choicesApplyOnStore();
    void loadDropsChoices();
    void exportImportReset();
};

void TestFontsPage::gridLayout()
{
    E scheme;
    ScriptedPrompter prompter;
    CFontsColorsPage page(scheme, prompter);
    QTreeWidget* grid = page.grid();
    QCOMPARE(grid->headerItem()->text(0), QStringLiteral("Property"));
    QCOMPARE(grid->headerItem()->text(1), QStringLiteral("Value"));
    const QStringList groups{QStringLiteral("Fonts"), QStringLiteral("Colors - Table"), QStringLiteral("Colors - Watch"),
                             QStringLiteral("Colors - Debugger"), QStringLiteral("Colors - Syntax")};
    const QList<int> counts{5, 4, 3, 2, 31};
    QCOMPARE(grid->topLevelItemCount(), groups.size());
    for (int g = 0; g < groups.size(); ++g) {
        QCOMPARE(grid->topLevelItem(g)->text(0), groups[g]);
        QCOMPARE(grid->topLevelItem(g)->childCount(), counts[g]);
    }
    QCOMPARE(grid->topLevelItem(0)->child(0)->text(0), QStringLiteral("Source Font"));
    QTreeWidgetItem* comment = findItem(grid, QStringLiteral("Comment"));
    QVERIFY(comment);
    QCOMPARE(comment->text(1), QStringLiteral("#808080"));
    grid->setCurrentItem(comment);
    QVERIFY(page.description()->text().contains(QStringLiteral("Specifies the Comment color")));
    grid->setCurrentItem(findItem(grid, QStringLiteral("Trees Font")));
    QVERIFY(page.description()->text().contains(QStringLiteral("Specifies the default font for the tree controls")));
    QCOMPARE(page.keywordsBold()->text(), QStringLiteral("Keywords are bold"));
    for (const char* text : {"Export...", "Import...", "Reset to Default"})
        QVERIFY(button(&page, QString::fromLatin1(text)));
}

void TestFontsPage::choicesApplyOnStore()
{
    E scheme;
    scheme.setColor(E::Keyword, 0x111111);
    ScriptedPrompter prompter;
    CFontsColorsPage page(scheme, prompter);
    page.storeControls();
    QVERIFY(!scheme.isModified()); // nothing changed

    page.chooseColor(E::Comment, 0x0000FF);
    page.chooseDefaultColor(E::Keyword);
    LogFont grid;
    grid.faceName = QStringLiteral("Grid Face");
    grid.height = -20;
    page.chooseFont(E::GridFont, grid);
    QCOMPARE(findItem(page.grid(), QStringLiteral("Comment"))->text(1), QStringLiteral("#ff0000"));
    QCOMPARE(scheme.color(E::Comment), 0x808080u); // not before OK
    page.storeControls();
    QCOMPARE(scheme.color(E::Comment), 0x0000FFu);
    QCOMPARE(scheme.color(E::Keyword), E::defaultColor(E::Keyword));
    QCOMPARE(scheme.font(E::GridFont), grid);
    QVERIFY(scheme.isModified());

    scheme.setModified(false);
    page.keywordsBold()->setChecked(false);
    page.storeControls();
    QVERIFY(!scheme.keywordsAreBold());
    QVERIFY(scheme.isModified());
}

void TestFontsPage::loadDropsChoices()
{
    E scheme;
    ScriptedPrompter prompter;
    CFontsColorsPage page(scheme, prompter);
    page.chooseColor(E::String, 0x123456);
    page.keywordsBold()->setChecked(false);
    page.loadControls();
    page.storeControls();
    QCOMPARE(scheme.color(E::String), E::defaultColor(E::String));
    QVERIFY(scheme.keywordsAreBold());
    QVERIFY(!scheme.isModified());
}

void TestFontsPage::exportImportReset()
{
    QTemporaryDir dir;
    E scheme;
    ScriptedPrompter prompter;
    CFontsColorsPage page(scheme, prompter);
    // Export writes what the grid shows, a pending choice included.
    page.chooseColor(E::Background, 0x010203);
    const QString path = dir.filePath(QStringLiteral("scheme.txt"));
    page.askExportPath = [&] { return path; };
    button(&page, QStringLiteral("Export..."))->click();
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readLine(), QByteArray("Background:#030201\n"));
    f.close();

    QFile in(dir.filePath(QStringLiteral("in.txt")));
    QVERIFY(in.open(QIODevice::WriteOnly));
    in.write("comment : #ff0000\n");
    in.close();
    page.askImportPath = [&] { return in.fileName(); };
    button(&page, QStringLiteral("Import..."))->click();
    QCOMPARE(scheme.color(E::Comment), 0x0000FFu);
    QVERIFY(scheme.isModified());
    QCOMPARE(findItem(page.grid(), QStringLiteral("Comment"))->text(1), QStringLiteral("#ff0000"));
    // The grid was rebuilt from the scheme: the pending Background choice is gone.
    QCOMPARE(findItem(page.grid(), QStringLiteral("Background"))->text(1), QStringLiteral("#ffffff"));

    prompter.expect(QStringLiteral("You are about to Reset your current color schema to default.\n Are you sure?"),
                    QStringLiteral("Confirmation"), Prompter::Buttons::YesNo, Prompter::Icon::Warning,
                    Prompter::Answer::Yes);
    button(&page, QStringLiteral("Reset to Default"))->click();
    QCOMPARE(prompter.pending(), 0);
    QCOMPARE(scheme.color(E::Comment), 0x808080u);
    QCOMPARE(findItem(page.grid(), QStringLiteral("Comment"))->text(1), QStringLiteral("#808080"));
}

QTEST_MAIN(TestFontsPage)
#include "tst_fontspage.moc"
