// The quick watch dialog with a scripted session: a requery rebuilds the
// tree and keeps the expression history in the drop-down, a lost connection
// changes nothing, the mode buttons rebuild the tree and show or hide the
// path, and selecting a node in logical mode rewrites the expression.
#include "ValueNotation.h"
#include "watch/CQuickWatchDialog.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QTextEdit>
#include <QTreeWidget>

class TestQuickWatchDialog : public QObject {
    Q_OBJECT
private slots:
    void requeriesAndModes();
};

void TestQuickWatchDialog::requeriesAndModes()
{
    QStringList sent;
    // Answers by expression; "lost" stands for a connection that failed.
    auto requery = [&sent](const QString& text, std::function<void(KPtr)> done) {
        sent << text;
        if (text == QLatin1String("lost"))
            done(KPtr());
        else if (text == QLatin1String("f"))
            done(ValueNotation::parse(QStringLiteral("{x+y}")));
        else if (text == QLatin1String("d"))
            done(ValueNotation::parse(QStringLiteral("`a`b!1 2")));
        else
            done(ValueNotation::parse(QStringLiteral("(1;2 3)")));
    };
    QStringList coloured;
    CQuickWatchDialog dialog(QStringLiteral("l"), requery, RenderOptions());
    dialog.setColourer([&coloured](QTextEdit* view, int from) { coloured << view->toPlainText().mid(from); });
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(dialog.minimumSize(), QSize(500, 300));
    QVERIFY(dialog.physicalButton()->isChecked());

    dialog.requery();
    QCOMPARE(sent, QStringList{"l"});
    QCOMPARE(dialog.tree()->topLevelItem(0)->text(0), QStringLiteral("2 mixed"));
    QCOMPARE(dialog.tree()->currentItem(), dialog.tree()->topLevelItem(0));
    QCOMPARE(dialog.pathField()->text(), QStringLiteral("kK(pK)"));
    QVERIFY(dialog.selectPath({1}));
    QCOMPARE(dialog.pathField()->text(), QStringLiteral("kJ(kK(pK)[1])"));
    QCOMPARE(dialog.expressionBox()->count(), 0); // nothing evaluated before "l"

    // A lost connection leaves everything as it was.
    dialog.expressionBox()->setEditText(QStringLiteral("lost"));
    dialog.requery();
    QCOMPARE(dialog.tree()->currentItem()->text(0), QStringLiteral("[1] (2 longs)"));
    QCOMPARE(dialog.expressionBox()->count(), 0);

    // Another expression: the one before joins the drop-down.
    dialog.expressionBox()->setEditText(QStringLiteral("d"));
    dialog.requery();
    QCOMPARE(dialog.expressionBox()->count(), 1);
    QCOMPARE(dialog.expressionBox()->itemText(0), QStringLiteral("l"));
    QCOMPARE(dialog.tree()->topLevelItem(0)->childCount(), 2);
    QCOMPARE(dialog.tree()->topLevelItem(0)->child(0)->text(0), QStringLiteral("[0] (2 symbols)"));

    // Logical mode: the path field goes, the tree is rebuilt by key.
    dialog.logicalButton()->click();
    QVERIFY(!dialog.pathField()->isVisible());
    QCOMPARE(dialog.tree()->topLevelItem(0)->child(0)->text(0), QStringLiteral("[`a] (long atom)"));
    QVERIFY(dialog.selectPath({1}));
    QCOMPARE(dialog.expressionBox()->currentText(), QStringLiteral("(d)[`b]"));
    QCOMPARE(dialog.valueView()->toPlainText(), QStringLiteral("2j"));
    QCOMPARE(dialog.expressionBox()->count(), 2); // "d" joined
    QVERIFY(dialog.selectPath({}));
    QCOMPARE(dialog.expressionBox()->currentText(), QStringLiteral("d"));
    dialog.physicalButton()->click();
    QVERIFY(dialog.pathField()->isVisible());
    QCOMPARE(dialog.tree()->topLevelItem(0)->child(0)->text(0), QStringLiteral("[0] (2 symbols)"));
    QVERIFY(coloured.isEmpty()); // no function text, nothing to colour

    // A function's text is coloured as q from its first "{".
    dialog.expressionBox()->setEditText(QStringLiteral("f"));
    dialog.requery();
    QCOMPARE(dialog.tree()->topLevelItem(0)->text(0), QStringLiteral("lambda"));
    QCOMPARE(coloured, QStringList{"{x+y}"});
}

QTEST_MAIN(TestQuickWatchDialog)
#include "tst_quickwatchdialog.moc"
