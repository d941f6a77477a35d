// The grid's model: every shape of value it shows, headers and labels, the
// number column, cell texts and colours, tooltips, copy forms, records, and
// the values it refuses or ignores.
#include "GridValues.h"

#include "ScriptedPrompter.h"

#include "core/colors/CDialogFontsColors.h"
#include "core/settings/CDlgQSettings.h"
#include "results/grid/CKTableRenderer.h"
#include "results/grid/GridChartBinding.h"
#include "results/grid/GridCopy.h"

#include <QColor>
#include <QSignalSpy>
#include <QTest>

using namespace gv;
using Outcome = CKTableRenderer::Outcome;

Q_DECLARE_METATYPE(CKTableRenderer::Outcome)

namespace {

class CountingChart : public QObject, public GridChartBinding {
    Q_OBJECT
    Q_INTERFACES(GridChartBinding)
public:
    void gridDataChanged() override { ++changes; }
    int changes = 0;
};

const QString key = CKTableRenderer::keyPrefix();

} // namespace

class TestGrid : public QObject {
    Q_OBJECT
private slots:
    void shapes_data();
    void shapes();
    void keyedTableColours();
    void rowColours();
    void schemeColours_data();
    void schemeColours();
    void sameValueIsNotReloaded();
    void otherKindsLeaveContentAlone_data();
    void otherKindsLeaveContentAlone();
    void clearReleasesEverything();
    void numberColumn_data();
    void numberColumn();
    void cellTextSettings();
    void raggedTableShowsEmptyCells();
    void tooManyRowsRefused_data();
    void tooManyRowsRefused();
    void tooltips_data();
    void tooltips();
    void copyForms();
    void recordGivenOrTakenFromLastQuery();
    void boundChartToldOfEveryValue();
    void nestedItemAndUnderlyingObject();
};

void TestGrid::shapes_data()
{
    QTest::addColumn<KPtr>("value");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("keyColumns");

    QTest::newRow("table") << own(table({"s", "n"}, {syms({"a", "bb"}), list<J>(KJ, {1, 2})}))
                           << "s|n\na|1\nbb|2" << "Table:2" << 0;
    QTest::newRow("keyed table: one key, two values")
        << own(xD(table({"k"}, {syms({"x", "y"})}), table({"a", "b"}, {list<J>(KJ, {1, 2}), list<double>(KF, {1.5, 2.5})})))
        << key + "k|a|b\nx|1|1.5\ny|2|2.5" << "Table:2" << 1;
    QTest::newRow("dictionary of symbols to longs")
        << own(xD(syms({"a", "b"}), list<J>(KJ, {10, 20}))) << "key|value\na|10\nb|20" << "Dict:2" << 0;
    QTest::newRow("dictionary of a list to a table")
        << own(xD(syms({"p", "q"}), table({"a"}, {list<J>(KJ, {1, 2})}))) << key + "key|a\np|1\nq|2" << "Dict:2" << 1;
    QTest::newRow("dictionary of a table to a list")
        << own(xD(table({"k"}, {list<J>(KJ, {7, 8})}), strings({"xx", "yz"}))) << key + "k|value\n7|\"xx\"\n8|\"yz\""
        << "Dict:2" << 1;
    QTest::newRow("long vector") << own(list<J>(KJ, {5, 6, 7})) << "index|value\n0|5\n1|6\n2|7" << "List:3" << 0;
    QTest::newRow("char vector") << own(kp("ab")) << "index|value\n0|a\n1|b" << "List:2" << 0;
    QTest::newRow("general list") << own(knk(2, kj(1), kp("xy"))) << "index|value\n0|1j\n1|\"xy\"" << "List:2" << 0;
    QTest::newRow("empty table") << own(table({"a"}, {ktn(KJ, 0)})) << "a" << "Table:0" << 0;
    // A column of a type outside 0..19 makes the table one row long.
    QTest::newRow("enumeration first column")
        << own(table({"e", "n"}, {list<J>(20, {0, 1, 0}), list<J>(KJ, {1, 2, 3})})) << "e|n\n!TYPE:20!n=3 |1"
        << "Table(Quirked):1" << 0;
}

void TestGrid::shapes()
{
    QFETCH(KPtr, value);
    QFETCH(QString, text);
    QFETCH(QString, label);
    QFETCH(int, keyColumns);
    CKTableRenderer grid;
    QCOMPARE(grid.setValue(value.get()), Outcome::Shown);
    QCOMPARE(gridText(grid), text);
    QCOMPARE(grid.label(), label);
    QCOMPARE(grid.keyColumnCount(), keyColumns);
    QCOMPARE(grid.underlyingObject(), value.get());
    QCOMPARE(grid.valueToSend(), value.get());
}

void TestGrid::keyedTableColours()
{
    CKTableRenderer grid;
    GridColors colours;
    colours.oddRows = 1;
    colours.evenRows = 2;
    colours.keyOddRows = 3;
    colours.keyEvenRows = 4;
    grid.setColours(colours);
    CDlgQSettings settings;
    settings.AddNumColumn = true;
    grid.setSettings(&settings);
    KPtr keyed(xD(table({"k"}, {list<J>(KJ, {1, 2})}), table({"a", "b"}, {list<J>(KJ, {3, 4}), list<J>(KJ, {5, 6})})));
    grid.setValue(keyed.get());
    QCOMPARE(grid.headerText(0), QStringLiteral("#"));
    QCOMPARE(grid.headerText(1), key + "k");
    QCOMPARE(grid.headerText(2), QStringLiteral("a"));
    // Number column, key column, value columns; even then odd row.
    const QList<std::uint32_t> even{2, 4, 2, 2}, odd{2, 3, 1, 1};
    for (int c = 0; c < 4; ++c) {
        QCOMPARE(grid.cellColour(0, c), even[c]);
        QCOMPARE(grid.cellColour(1, c), odd[c]);
        QCOMPARE(grid.data(grid.index(1, c), CKTableRenderer::ColourRefRole).value<std::uint32_t>(), odd[c]);
    }
}

void TestGrid::rowColours()
{
    CKTableRenderer grid;
    KPtr t(table({"a"}, {list<J>(KJ, {1, 2, 3})}));
    grid.setValue(t.get());
    const GridColors defaults;
    QCOMPARE(grid.cellColour(0, 0), defaults.evenRows);
    QCOMPARE(grid.cellColour(1, 0), defaults.oddRows);
    QCOMPARE(grid.cellColour(2, 0), defaults.evenRows);
}

void TestGrid::schemeColours_data()
{
    QTest::addColumn<int>("element");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column"); // model column: 0 number, 1 key, 2 value
    QTest::newRow("odd rows: value column, odd row") << int(CDialogFontsColors::OddRowsBackground) << 1 << 2;
    QTest::newRow("even rows: value column, even row") << int(CDialogFontsColors::EvenRowsBackground) << 0 << 2;
    QTest::newRow("even rows: number column, odd row") << int(CDialogFontsColors::EvenRowsBackground) << 1 << 0;
    QTest::newRow("key odd rows: key column, odd row") << int(CDialogFontsColors::KeyOddRowsBackground) << 1 << 1;
    QTest::newRow("key even rows: key column, even row") << int(CDialogFontsColors::KeyEvenRowsBackground) << 2 << 1;
}

// A colour changed in the live scheme reaches exactly the cells of its
// element, as background, with a text colour that stays readable on it.
void TestGrid::schemeColours()
{
    QFETCH(int, element);
    QFETCH(int, row);
    QFETCH(int, column);
    CDialogFontsColors scheme;
    CKTableRenderer grid;
    CDlgQSettings settings;
    settings.AddNumColumn = true;
    grid.setSettings(&settings);
    grid.setColours(GridColors::from(scheme));
    KPtr keyed(xD(table({"k"}, {list<J>(KJ, {1, 2, 3})}), table({"v"}, {list<J>(KJ, {4, 5, 6})})));
    grid.setValue(keyed.get());
    auto background = [&](int r, int c) { return grid.data(grid.index(r, c), Qt::BackgroundRole).value<QColor>(); };
    auto foreground = [&](int r, int c) { return grid.data(grid.index(r, c), Qt::ForegroundRole).value<QColor>(); };
    QList<QColor> before;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            before << background(r, c);
    QCOMPARE(foreground(row, column), QColor(Qt::black)); // the default scheme is light

    scheme.setColor(element, 0x00402010); // dark: #104020
    QSignalSpy changed(&grid, &QAbstractItemModel::dataChanged);
    grid.setColours(GridColors::from(scheme));
    QCOMPARE(changed.count(), 1);
    QVERIFY(changed.first().at(2).value<QList<int>>().contains(Qt::BackgroundRole));
    QCOMPARE(background(row, column), QColor(0x10, 0x20, 0x40));
    QCOMPARE(foreground(row, column), QColor(Qt::white));
    QCOMPARE(grid.data(grid.index(row, column), CKTableRenderer::ColourRefRole).value<std::uint32_t>(), 0x00402010u);
    // Cells of other elements keep their colours.
    int recoloured = 0;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            recoloured += background(r, c) != before[r * 3 + c];
    const int expected = element == CDialogFontsColors::EvenRowsBackground ? 2 + 3 // rows 0, 2 of the value column; the number column
        : element == CDialogFontsColors::OddRowsBackground || element == CDialogFontsColors::KeyOddRowsBackground ? 1
                                                                                                                : 2;
    QCOMPARE(recoloured, expected);
}

void TestGrid::sameValueIsNotReloaded()
{
    CKTableRenderer grid;
    KPtr t(table({"a"}, {list<J>(KJ, {3, 1, 2})}));
    QCOMPARE(grid.setValue(t.get()), Outcome::Shown);
    grid.sortBy(0, 1);
    QSignalSpy resets(&grid, &QAbstractItemModel::modelReset);
    QCOMPARE(grid.setValue(t.get()), Outcome::Same);
    QCOMPARE(resets.count(), 0);
    QCOMPARE(grid.sortDirection(), 1);
    // Another value with the same content is a new value.
    KPtr copy(table({"a"}, {list<J>(KJ, {3, 1, 2})}));
    QCOMPARE(grid.setValue(copy.get()), Outcome::Shown);
    QCOMPARE(grid.sortDirection(), 0);
}

void TestGrid::otherKindsLeaveContentAlone_data()
{
    QTest::addColumn<KPtr>("value");
    QTest::newRow("atom") << own(kj(5));
    QTest::newRow("lambda") << own(knk(2, ks(""), kp("{x}")));
    QTest::newRow("error") << own(krr("type"));
    QTest::newRow("splayed table reference") << own(kv::table(syms({"a", "b"}), ks(":/db/t/")));
}

void TestGrid::otherKindsLeaveContentAlone()
{
    QFETCH(KPtr, value);
    if (value->t == 0)
        value->t = KLAMBDA;
    CKTableRenderer grid;
    KPtr shown(list<J>(KJ, {1}));
    grid.setValue(shown.get());
    QCOMPARE(grid.setValue(value.get()), Outcome::NotShown);
    QCOMPARE(grid.shownValue(), shown.get());
    QCOMPARE(gridText(grid), QStringLiteral("index|value\n0|1"));
}

void TestGrid::clearReleasesEverything()
{
    KPtr dict(xD(syms({"a"}), list<J>(KJ, {1})));
    CKTableRenderer grid;
    grid.setValue(dict.get());
    QVERIFY(dict->r > 0); // held by the grid
    QCOMPARE(grid.setValue(nullptr), Outcome::Cleared);
    QCOMPARE(dict->r, 0);
    QCOMPARE(grid.rowCount(), 0);
    QCOMPARE(grid.columnCount(), 0);
    QVERIFY(!grid.firstTable());
}

void TestGrid::numberColumn_data()
{
    QTest::addColumn<int>("numbering");
    QTest::addColumn<QString>("text");
    // Sorted descending by n: the value rows shown are 2, 1, 0.
    QTest::newRow("display position") << 0 << "#|n\n0|30\n1|20\n2|10";
    QTest::newRow("position in the value") << 1 << "#i|n\n2|30\n1|20\n0|10";
}

void TestGrid::numberColumn()
{
    QFETCH(int, numbering);
    QFETCH(QString, text);
    CDlgQSettings settings;
    settings.AddNumColumn = true;
    settings.QColNI = numbering;
    CKTableRenderer grid;
    grid.setSettings(&settings);
    KPtr t(table({"n"}, {list<J>(KJ, {10, 20, 30})}));
    grid.setValue(t.get());
    // The settings are taken when the value is added, not at each cell.
    settings.AddNumColumn = false;
    settings.QColNI = 1 - numbering;
    QVERIFY(!grid.clickHeader(0)); // the number column does not sort
    QVERIFY(grid.clickHeader(1));
    QVERIFY(grid.clickHeader(1));
    QCOMPARE(grid.sortDirection(), -1);
    QCOMPARE(grid.sortSection(), 1);
    QCOMPARE(gridText(grid), text);
    QVERIFY(grid.tooltipText(0, 0).isEmpty());
}

void TestGrid::cellTextSettings()
{
    CDlgQSettings settings;
    settings.QCellCharsLimit = 5;
    CKTableRenderer grid;
    grid.setSettings(&settings);
    KPtr t(table({"s", "n"}, {strings({"abcdefghij", "ab"}), list<J>(KJ, {nj, 1})}));
    grid.setValue(t.get());
    // Bounded by the renderer's truncation rule.
    QVERIFY(grid.cellText(0, 0).startsWith(QLatin1String("\"abc")));
    QVERIFY(grid.cellText(0, 0).endsWith(QLatin1String("...")));
    QVERIFY(grid.cellText(0, 0).size() < 10);
    QCOMPARE(grid.cellText(1, 0), QStringLiteral("\"ab\""));
    QCOMPARE(grid.cellText(0, 0, 0), QStringLiteral("\"abcdefghij\""));
    QCOMPARE(grid.cellText(0, 1), QStringLiteral("0N"));
    settings.NullsAreEmpty = true; // read at each cell
    QCOMPARE(grid.cellText(0, 1), QString());
    QCOMPARE(grid.data(grid.index(1, 1)).toString(), QStringLiteral("1"));
    QCOMPARE(grid.cellText(2, 1), QString()); // beyond the rows
}

void TestGrid::raggedTableShowsEmptyCells()
{
    // Received tables are not trusted to have columns of one length.
    CKTableRenderer grid;
    KPtr t(table({"a", "b"}, {list<J>(KJ, {3, 1, 2}), list<J>(KJ, {9})}));
    grid.setValue(t.get());
    QCOMPARE(gridText(grid), QStringLiteral("a|b\n3|9\n1|\n2|"));
    grid.sortBy(1, -1);
    QCOMPARE(displayOrder(grid), (QList<int>{0, 1, 2}));
    grid.sortBy(1, 1);
    QCOMPARE(displayOrder(grid), (QList<int>{1, 2, 0}));

    // Names that are not symbols: no columns at all.
    KPtr bad(xT(xD(list<J>(KJ, {1}), knk(1, list<J>(KJ, {1})))));
    QCOMPARE(grid.setValue(bad.get()), Outcome::Shown);
    QCOMPARE(grid.columnCount(), 0);
    QCOMPARE(grid.rowCount(), 0);
}

void TestGrid::tooManyRowsRefused_data()
{
    QTest::addColumn<bool>("asList");
    QTest::newRow("table") << false;
    QTest::newRow("list") << true;
}

void TestGrid::tooManyRowsRefused()
{
    QFETCH(bool, asList);
    // A vector claiming more rows than a view can count; nothing reads its items.
    KPtr column(ktn(KJ, 0));
    column->n = 3000000000LL;
    KPtr value(asList ? r1(column.get()) : table({"a"}, {r1(column.get())}));
    ScriptedPrompter prompter;
    prompter.expectInform(QStringLiteral("Failed to set count of CListCtrl.\nMost probably you went over 100Mil rows "
                                         "limit of the control.\nNo results will be shown, try requesting less results."),
                          Prompter::Icon::Warning);
    CKTableRenderer grid;
    grid.setPrompter(&prompter);
    QCOMPARE(grid.setValue(value.get()), Outcome::Refused);
    QCOMPARE(prompter.pending(), 0);
    QCOMPARE(grid.rowCount(), 0);
    QCOMPARE(grid.label(), asList ? QStringLiteral("List:0") : QStringLiteral("Table:0"));
    grid.clear();
    column->n = 0;
}

void TestGrid::tooltips_data()
{
    QTest::addColumn<int>("section");
    QTest::addColumn<QString>("tip");
    QTest::newRow("sorted long column") << 0 << "Column:\n type:7h (long)\n count:2\nattr: `s# (sorted)";
    QTest::newRow("nested vector") << 1 << "Cell:\n type:10h (char)\n count:3";
    QTest::newRow("nested atom holds its payload") << 2 << "Cell:\n type:-7h (long (Scalar))\n count:42";
    QTest::newRow("symbol column") << 3 << "Column:\n type:11h (symbol)\n count:2";
}

void TestGrid::tooltips()
{
    QFETCH(int, section);
    QFETCH(QString, tip);
    KPtr t(table({"a", "s", "m", "y"}, {withAttr(list<J>(KJ, {1, 2}), 1), strings({"abc", "d"}),
                                         knk(2, kj(42), kj(1)), syms({"x", "y"})}));
    CKTableRenderer grid;
    grid.setValue(t.get());
    QCOMPARE(grid.tooltipText(0, section), tip);
    QVERIFY(grid.tooltipText(2, section).isEmpty()); // below the last row
}

void TestGrid::copyForms()
{
    CDlgQSettings settings;
    settings.AddNumColumn = true;
    CKTableRenderer grid;
    grid.setSettings(&settings);
    GridColors colours;
    colours.fontFace = QStringLiteral("Mono");
    colours.evenRows = 0x00ccbbaa; // shows as #aabbcc
    colours.oddRows = 0x00030201;
    grid.setColours(colours);
    KPtr t(table({"a", "b"}, {syms({"x", "y"}), strings({"<p>", "qq"})}));
    grid.setValue(t.get());

    // Rows 1 then 0 as selected in display order; columns b, a as dragged.
    GridCopy::Forms forms = GridCopy::rows(grid, {0, 1}, {2, 1}, true);
    QCOMPARE(forms.text, QStringLiteral("b\ta\r\n\"<p>\"\tx\r\n\"qq\"\ty\r\n"));
    QCOMPARE(forms.html,
             QStringLiteral("<font face=\"Mono\" size=\"9\"><TABLE cellspacing=0 border=1>"
                            "<TR><TH>b</TH><TH>a</TH></TR>"
                            "<TR align=right><TD bgcolor=\"#aabbcc\">\"&lt;p&gt;\"</TD><TD bgcolor=\"#aabbcc\">x</TD></TR>"
                            "<TR align=right><TD bgcolor=\"#010203\">\"qq\"</TD><TD bgcolor=\"#010203\">y</TD></TR>"
                            "</TABLE></font>"));
    forms = GridCopy::rows(grid, {1}, {0, 1}, false);
    QCOMPARE(forms.text, QStringLiteral("1\ty\r\n"));
    QVERIFY(!forms.html.contains(QLatin1String("<TH>")));

    forms = GridCopy::cell(grid, 0, 2);
    QCOMPARE(forms.text, QStringLiteral("\"<p>\""));
    QCOMPARE(forms.html, QStringLiteral("<font face=\"Mono\" size=\"9\"><TABLE cellspacing=0 border=1>"
                                        "<TR><TD bgcolor=\"#aabbcc\">\"&lt;p&gt;\"</TD></TR></TABLE></font>"));
}

void TestGrid::recordGivenOrTakenFromLastQuery()
{
    CKTableRenderer grid;
    CResultInfo last;
    last.roundtrip = 12;
    last.size = 345;
    last.server = QStringLiteral("`:h:1");
    last.query = QStringLiteral("select from t");
    grid.setRecordSource([&] { return last; });
    KPtr a(list<J>(KJ, {1}));
    grid.setValue(a.get());
    QCOMPARE(grid.record().query, last.query);
    QCOMPARE(grid.record().size, 345);
    QVERIFY(grid.record().received.endsWith(QLatin1String(" GMT")));
    QVERIFY(grid.record().received.contains(QString::number(QDate::currentDate().year())));

    CResultInfo given;
    given.query = QStringLiteral("given");
    given.received = QStringLiteral("then");
    KPtr b(list<J>(KJ, {2}));
    grid.setValue(b.get(), &given);
    QCOMPARE(grid.record(), given);
}

void TestGrid::boundChartToldOfEveryValue()
{
    CKTableRenderer grid;
    auto* chart = new CountingChart;
    grid.bindChart(chart);
    KPtr a(list<J>(KJ, {1}));
    grid.setValue(a.get());
    grid.setValue(a.get());
    grid.setValue(nullptr);
    QCOMPARE(chart->changes, 3);
    delete chart; // a closed chart is forgotten
    grid.setValue(a.get());
    QVERIFY(!grid.boundChart());
}

void TestGrid::nestedItemAndUnderlyingObject()
{
    KPtr inner(list<J>(KJ, {4, 5}));
    KPtr t(table({"v", "n"}, {knk(2, r1(inner.get()), kj(1)), list<J>(KJ, {1, 2})}));
    CKTableRenderer grid;
    grid.setValue(t.get());
    QCOMPARE(grid.nestedItem(0, 0), inner.get());
    QVERIFY(!grid.nestedItem(0, 1)); // a simple column has no nested items
    QVERIFY(!grid.nestedItem(5, 0));

    // A cell shown on its own keeps the table it came from as underlying object.
    CKTableRenderer view;
    view.setValue(grid.nestedItem(0, 0), &grid.record());
    view.setUnderlyingObject(grid.valueToSend());
    QCOMPARE(view.label(), QStringLiteral("List:2"));
    QCOMPARE(view.setValue(view.underlyingObject()), Outcome::Shown);
    QCOMPARE(view.label(), QStringLiteral("Table:2"));
}

QTEST_GUILESS_MAIN(TestGrid)
#include "tst_grid.moc"
