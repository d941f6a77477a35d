// Grid exports: CSV fields and files, the browser page, the clipboard
// envelope, the spreadsheet XML and the .xlsx workbook (read back by an
// independent reader when one is installed).
#include "GridValues.h"

#include "core/settings/CDlgQSettings.h"
#include "results/export/CsvExport.h"
#include "results/export/HtmlExport.h"
#include "results/export/SpreadsheetXmlExport.h"
#include "results/export/XlsxExport.h"
#include "results/grid/CKTableRenderer.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using namespace gv;

namespace {

QByteArray csvOf(const CKTableRenderer& grid, QChar separator, const std::vector<int>* rows = nullptr)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (!CsvExport::write(grid, rows, separator, buffer))
        return "failed";
    return buffer.data();
}

QString xmlOf(const CKTableRenderer& grid)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (!SpreadsheetXmlExport::write(grid, buffer) || !buffer.data().startsWith("\xEF\xBB\xBF"))
        return QStringLiteral("failed");
    return QString::fromUtf8(buffer.data().mid(3));
}

QString pageOf(const CKTableRenderer& grid)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (!HtmlExport::writePage(grid, buffer) || !buffer.data().startsWith("\xEF\xBB\xBF"))
        return QStringLiteral("failed");
    return QString::fromUtf8(buffer.data().mid(3));
}

// A device that fails once more than a few bytes have been written.
class FailingDevice : public QIODevice {
public:
    FailingDevice() { open(QIODevice::WriteOnly); }
protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64) override { return -1; }
};

// The system's Python first: Debian's python3-openpyxl installs there.
QString pythonWithOpenpyxl()
{
    for (const QString& candidate : {QStandardPaths::findExecutable(QStringLiteral("python3"), {QStringLiteral("/usr/bin")}),
                                     QStandardPaths::findExecutable(QStringLiteral("python3"))}) {
        if (!candidate.isEmpty()
            && QProcess::execute(candidate, {QStringLiteral("-c"), QStringLiteral("import openpyxl")}) == 0)
            return candidate;
    }
    return QString();
}

// The first column's cell values of a workbook, one a line, as Python's repr.
QString firstColumn(const QString& python, const QString& path)
{
    QProcess reader;
    reader.start(python, {QStringLiteral("-c"),
                          QStringLiteral("import sys, openpyxl\nws = openpyxl.load_workbook(sys.argv[1])['Sheet1']\n"
                                         "print('\\n'.join(repr(r[0].value) for r in ws.iter_rows()))"),
                          path});
    if (!reader.waitForFinished(60000) || reader.exitCode() != 0)
        return QStringLiteral("failed: ") + QString::fromUtf8(reader.readAllStandardError());
    return QString::fromUtf8(reader.readAllStandardOutput()).trimmed();
}

} // namespace

class TestExports : public QObject {
    Q_OBJECT
private slots:
    void csvField_data();
    void csvField();
    void csvFile();
    void csvSelectedRowsAndUnboundedCells();
    void csvSaveIsWholeOrNothing();
    void envelopeOffsets();
    void browserPage();
    void spreadsheetCells_data();
    void spreadsheetCells();
    void spreadsheetWorkbook();
    void spreadsheetStreamsFailures();
    void xlsxReadBack();
    void xlsxTexts();
    void xlsxTooManyRowsRefused();
};

void TestExports::csvField_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<QString>("field");
    QTest::newRow("plain") << "abc" << "," << "abc";
    QTest::newRow("comma, default separator") << "a,b" << "," << "\"a,b\"";
    QTest::newRow("comma, semicolon separator") << "a,b" << ";" << "a,b";
    QTest::newRow("semicolon, semicolon separator") << "a;b" << ";" << "\"a;b\"";
    QTest::newRow("double quote") << "say \"hi\"" << "," << "\"say \"\"hi\"\"\"";
    QTest::newRow("line feed") << "a\nb" << "," << "\"a\nb\"";
    QTest::newRow("carriage return") << "a\rb" << "," << "\"a\rb\"";
    QTest::newRow("empty") << "" << "," << "";
}

void TestExports::csvField()
{
    QFETCH(QString, text);
    QFETCH(QString, separator);
    QFETCH(QString, field);
    QCOMPARE(CsvExport::field(text, separator.at(0)), field);
}

void TestExports::csvFile()
{
    CKTableRenderer grid;
    KPtr t(xD(table({"k"}, {syms({"x", "y"})}), table({"a", "b", "c"}, {list<J>(KJ, {1, nj}), syms({"p,q", "r"}), strings({"s\"t", "uv"})})));
    grid.setValue(t.get());
    // Key headers keep their mark and stay unquoted; strings are shown as q does.
    const QByteArray expected = (CKTableRenderer::keyPrefix()
                                 + "k,a,b,c\r\nx,1,\"p,q\",\"\"\"s\"\"t\"\"\"\r\ny,0N,r,\"\"\"uv\"\"\"\r\n")
                                    .toUtf8();
    QCOMPARE(csvOf(grid, QLatin1Char(',')), expected);
    grid.sortBy(1, -1); // display order; a comma is bare under another separator
    QCOMPARE(csvOf(grid, QLatin1Char(';')).split('\n').mid(1),
             (QList<QByteArray> {"x;1;p,q;\"\"\"s\"\"t\"\"\"\r", "y;0N;r;\"\"\"uv\"\"\"\r", ""}));
}

void TestExports::csvSelectedRowsAndUnboundedCells()
{
    CDlgQSettings settings;
    settings.QCellCharsLimit = 5;
    CKTableRenderer grid;
    grid.setSettings(&settings);
    const QString longText(40, QLatin1Char('z'));
    KPtr t(table({"s", "n"}, {syms({"a", "b", "c"}), strings({"12", longText.toLatin1().constData(), "34"})}));
    grid.setValue(t.get());
    const std::vector<int> rows {2, 1};
    const QByteArray csv = csvOf(grid, QLatin1Char(','), &rows);
    QCOMPARE(csv, QByteArray("s,n\r\nc,\"\"\"34\"\"\"\r\nb,\"\"\"") + longText.toLatin1() + "\"\"\"\r\n");
    QCOMPARE(settings.QCellCharsLimit, 5); // the grid still bounds its cells
    QVERIFY(grid.cellText(1, 1).endsWith(QLatin1String("...")));
    // The spreadsheet keeps the grid's bound.
    QVERIFY(xmlOf(grid).contains(QLatin1String("...</ss:Data>")));
    QVERIFY(!xmlOf(grid).contains(longText));
}

void TestExports::csvSaveIsWholeOrNothing()
{
    QTemporaryDir dir;
    CKTableRenderer grid;
    KPtr t(table({"a"}, {list<J>(KJ, {1, 2})}));
    grid.setValue(t.get());
    const QString path = dir.filePath(QStringLiteral("out.csv"));
    QString error;
    QVERIFY(CsvExport::save(path, grid, nullptr, QLatin1Char(','), &error));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("a\r\n1\r\n2\r\n"));
    file.close();
    // A folder that does not exist: an error and no file.
    const QString bad = dir.filePath(QStringLiteral("missing/out.csv"));
    QVERIFY(!CsvExport::save(bad, grid, nullptr, QLatin1Char(','), &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!QFile::exists(bad));
    // A device that refuses bytes fails the export.
    FailingDevice failing;
    QVERIFY(!CsvExport::write(grid, nullptr, QLatin1Char(','), failing));
}

void TestExports::envelopeOffsets()
{
    const QByteArray fragment = "0123456789";
    const QByteArray envelope = HtmlExport::clipboardEnvelope(fragment);
    QVERIFY(envelope.startsWith("Version:0.9\r\nStartHTML:00000097\r\nEndHTML:00000182\r\n"
                                "StartFragment:00000111\r\nEndFragment:00000146\r\n"));
    QCOMPARE(envelope.size(), 182);
    QCOMPARE(envelope.indexOf("<html>"), 97);
    QCOMPARE(envelope.indexOf("<!--StartFragment -->"), 111);
    QCOMPARE(envelope.indexOf("<!--EndFragment-->"), 146);
    QCOMPARE(envelope.mid(111 + 23, 10), fragment);
    // Offsets count bytes, not characters.
    const QByteArray utf8 = QStringLiteral("\u00e9\u00e9").toUtf8();
    const QByteArray wide = HtmlExport::clipboardEnvelope(utf8);
    QCOMPARE(wide.mid(wide.indexOf("EndHTML:") + 8, 8).toInt(), wide.size());
    QCOMPARE(wide.mid(wide.indexOf("EndFragment:") + 12, 8).toInt(), wide.indexOf("<!--EndFragment-->"));
}

void TestExports::browserPage()
{
    CDlgQSettings settings;
    settings.AddNumColumn = true;
    CKTableRenderer grid;
    grid.setSettings(&settings);
    GridColors colours;
    colours.keyOddRows = 0x0000FF;  // red
    colours.keyEvenRows = 0x00FF00; // green
    colours.oddRows = 0xFF0000;     // blue
    colours.evenRows = 0x102030;
    colours.fontFace = QStringLiteral("Mono");
    grid.setColours(colours);
    CResultInfo record;
    record.server = QStringLiteral("`h:1");
    record.query = QStringLiteral("select from t where a<2");
    record.received = QStringLiteral("now");
    KPtr t(xD(table({"k"}, {syms({"x", "y"})}), table({"a"}, {list<J>(KJ, {1, 2})})));
    grid.setValue(t.get(), &record);
    QVERIFY(grid.hasNumberColumn());
    const QString page = pageOf(grid);
    QVERIFY(page.startsWith(QStringLiteral("<html><head>")));
    QVERIFY(page.contains(QLatin1String("<style type=\"text/css\">*.ko {background:#ff0000}\n*.ke {background:#00ff00}\n"
                                        "*.o {background:#0000ff}\n*.e {background:#302010}\n</style></head><body>")));
    QVERIFY(page.contains(QLatin1String("<th align=right>Query:</th><td>select from t where a&lt;2</td>")));
    QVERIFY(page.contains(QLatin1String("<font face=\"Mono\" size=\"9\"><TABLE width=100% cellspacing=0 border=1>")));
    // The number column is never a key column; rows count from 0.
    QVERIFY(page.contains(QLatin1String("<TR><TD class=e>0</TD><TD class=ke>x</TD><TD class=e>1</TD></TR>"
                                        "<TR><TD class=o>1</TD><TD class=ko>y</TD><TD class=o>2</TD></TR></TBODY>")));
    QVERIFY(page.endsWith(QLatin1String("</TBODY></TABLE></font></td><tr></table></body></html>")));
}

void TestExports::spreadsheetCells_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("number");
    QTest::addColumn<QString>("cell");
    const QString open = QStringLiteral("<ss:Cell><ss:Data ss:Type=\"");
    const QString close = QStringLiteral("</ss:Data></ss:Cell>");
    QTest::newRow("number") << "1.5" << true << open + "Number\">1.5" + close;
    QTest::newRow("float null") << "0n" << true << open + "String\">" + close;
    QTest::newRow("long null") << "0N" << true << open + "String\">" + close;
    QTest::newRow("infinity") << "0w" << true << open + "String\">&#8734;" + close;
    QTest::newRow("minus infinity") << "-0w" << true << open + "String\">-&#8734;" + close;
    QTest::newRow("long infinity") << "0W" << true << open + "String\">&#8734;" + close;
    QTest::newRow("byte in hex") << "0a" << true << open + "String\">0a" + close;
    QTest::newRow("thousands separator") << "1,234" << true << open + "String\">1,234" + close;
    QTest::newRow("exponent") << "1e+10" << true << open + "Number\">1e+10" + close;
    QTest::newRow("negative") << "-12" << true << open + "Number\">-12" + close;
    QTest::newRow("boolean") << "1b" << true << open + "String\">1b" + close;
    QTest::newRow("digits then text") << "12 " << true << open + "String\">12 " + close;
    QTest::newRow("text escaped") << "a&b<c>" << false << open + "String\">a&amp;b&lt;c&gt;" + close;
    QTest::newRow("text ending in n stays") << "0n" << false << open + "String\">0n" + close;
}

void TestExports::spreadsheetCells()
{
    QFETCH(QString, text);
    QFETCH(bool, number);
    QFETCH(QString, cell);
    QCOMPARE(SpreadsheetXmlExport::cell(text, number), cell);
}

void TestExports::spreadsheetWorkbook()
{
    CKTableRenderer grid;
    KPtr t(table({"f", "d", "s"}, {list<double>(KF, {qnan, qinf, -qinf}), list<I>(KD, {0, 1, ni}),
                                   syms({"a", "b", "c"})}));
    grid.setValue(t.get());
    const QString xml = xmlOf(grid);
    QVERIFY(xml.startsWith(QStringLiteral("<?xml version=\"1.0\"?><ss:Workbook ")));
    QVERIFY(xml.contains(QLatin1String("<ss:Style ss:ID=\"date\"><ss:NumberFormat ss:Format=\"yyyy\\-mm\\-dd\"/></ss:Style>")));
    QVERIFY(xml.contains(QLatin1String("<ss:Table><ss:Column ss:AutoFitWidth=\"1\" ss:Width=\"80\" />"
                                       "<ss:Column ss:AutoFitWidth=\"1\" ss:Width=\"80\" ss:StyleID=\"date\"/>"
                                       "<ss:Column ss:AutoFitWidth=\"1\" ss:Width=\"80\" /><ss:Row>")));
    const QString s = QStringLiteral("<ss:Cell><ss:Data ss:Type=\"String\">");
    const QString e = QStringLiteral("</ss:Data></ss:Cell>");
    QVERIFY(xml.contains(QStringLiteral("<ss:Row>") + s + "f" + e + s + "d" + e + s + "s" + e + "</ss:Row>"));
    QVERIFY(xml.contains(QStringLiteral("<ss:Row>") + s + e + s + "2000.01.01" + e + s + "a" + e + "</ss:Row>"));
    QVERIFY(xml.contains(QStringLiteral("<ss:Row>") + s + "&#8734;" + e + s + "2000.01.02" + e));
    QVERIFY(xml.contains(QStringLiteral("<ss:Row>") + s + "-&#8734;" + e));
    QVERIFY(xml.endsWith(QLatin1String("</ss:Row></ss:Table></ss:Worksheet></ss:Workbook>")));
    // Key and number classes of the column types.
    KPtr longs(list<J>(KJ, {}));
    QVERIFY(SpreadsheetXmlExport::columnClass(longs.get()).number);
    KPtr stamps(ktn(KP, 0)), times(ktn(KT, 0)), guids(ktn(UU, 0));
    QCOMPARE(SpreadsheetXmlExport::columnClass(stamps.get()).style, "timestamp");
    QCOMPARE(SpreadsheetXmlExport::columnClass(times.get()).style, "time");
    QVERIFY(!SpreadsheetXmlExport::columnClass(guids.get()).number);
    QVERIFY(!SpreadsheetXmlExport::columnClass(guids.get()).style);
}

void TestExports::spreadsheetStreamsFailures()
{
    CKTableRenderer grid;
    KPtr t(table({"a"}, {longs(0, 100000)}));
    grid.setValue(t.get());
    FailingDevice failing;
    QVERIFY(!SpreadsheetXmlExport::write(grid, failing));
    QVERIFY(!HtmlExport::writePage(grid, failing));
}

void TestExports::xlsxReadBack()
{
    const QString python = pythonWithOpenpyxl();
    if (python.isEmpty())
        QSKIP("python3-openpyxl is not installed (scripts/setup.sh installs it)");
    QTemporaryDir dir;
    CKTableRenderer grid;
    // 2001.02.03D04:05:06.007 and 12:00:00.000.
    const J stamp = (ymd(2001, 2, 3) * 86400LL + 4 * 3600 + 5 * 60 + 6) * 1000000000LL + 7000000;
    KPtr t(table({"j", "f", "s", "p", "d", "t", "b"},
                 {list<J>(KJ, {3, nj, 1}), list<double>(KF, {1.25, qnan, qinf}), syms({"x", "y", "z"}),
                  list<J>(KP, {stamp, nj, 0}), list<I>(KD, {0, ni, 31}), list<I>(KT, {43200000, 0, ni}),
                  list<G>(KB, {1, 0, 1})}));
    grid.setValue(t.get());
    grid.sortBy(0, 1); // display order: 0N, 1, 3
    const QString path = dir.filePath(QStringLiteral("out.xlsx"));
    QString error;
    QVERIFY2(XlsxExport::save(path, grid, &error), qPrintable(error));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList {QStringLiteral("out.xlsx")});

    const char* script = R"(
import sys, openpyxl
wb = openpyxl.load_workbook(sys.argv[1])
ws = wb["Sheet1"]
print(ws.freeze_panes, ws.auto_filter.ref, ws["A1"].font.b)
for row in ws.iter_rows():
    print("|".join("%s:%s:%s" % (c.data_type, c.value, c.number_format) for c in row))
)";
    QProcess reader;
    reader.start(python, {QStringLiteral("-c"), QString::fromLatin1(script), path});
    QVERIFY(reader.waitForFinished(60000));
    const QString out = QString::fromUtf8(reader.readAllStandardOutput());
    QVERIFY2(reader.exitCode() == 0, qPrintable(QString::fromUtf8(reader.readAllStandardError())));
    const QStringList lines = out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 5);
    QCOMPARE(lines[0], QStringLiteral("A2 A1:G4 True"));
    QCOMPARE(lines[1], QStringLiteral("s:j:General|s:f:General|s:s:General|s:p:General|s:d:General|s:t:General|s:b:General"));
    // Value row 1: nulls are empty cells.
    QCOMPARE(lines[2], QStringLiteral("n:None:General|n:None:General|s:y:General|n:None:General|n:None:General|"
                                      "d:00:00:00:hh:mm:ss.000|b:False:General"));
    // Value row 2: infinity keeps its text; dates and times as the spreadsheet's own.
    QCOMPARE(lines[3], QStringLiteral("n:1:General|s:0w:General|s:z:General|d:2000-01-01 00:00:00:yyyy\\-mm\\-dd "
                                      "hh:mm:ss.000|d:2000-02-01 00:00:00:yyyy\\-mm\\-dd|n:None:General|b:True:General"));
    QCOMPARE(lines[4], QStringLiteral("n:3:General|n:1.25:General|s:x:General|d:2001-02-03 04:05:06.007000:yyyy\\-mm\\-dd "
                                      "hh:mm:ss.000|d:2000-01-01 00:00:00:yyyy\\-mm\\-dd|d:12:00:00:hh:mm:ss.000|"
                                      "b:True:General"));

    // A folder that does not exist: an error, nothing left behind.
    QVERIFY(!XlsxExport::save(dir.filePath(QStringLiteral("missing/out.xlsx")), grid, &error));
    QVERIFY(!error.isEmpty());
}

void TestExports::xlsxTexts()
{
    const QString python = pythonWithOpenpyxl();
    if (python.isEmpty())
        QSKIP("python3-openpyxl is not installed (scripts/setup.sh installs it)");
    QTemporaryDir dir;
    CKTableRenderer grid;
    // Symbols are untrusted bytes: control characters and invalid UTF-8 must
    // still give a workbook that opens.
    KPtr t(table({"s"}, {syms({"caf\xC3\xA9", "a\x01z", "bad\xFF", "x<&>y", ""})}));
    grid.setValue(t.get());
    const QString path = dir.filePath(QStringLiteral("texts.xlsx"));
    QString error;
    QVERIFY2(XlsxExport::save(path, grid, &error), qPrintable(error));
    const QStringList cells = firstColumn(python, path).split(QLatin1Char('\n'));
    QCOMPARE(cells.size(), 5); // the empty symbol leaves its row without cells
    QCOMPARE(cells[0], QStringLiteral("'s'"));
    QCOMPARE(cells[1], QStringLiteral("'caf\u00e9'"));
    QVERIFY2(cells[2].startsWith(QLatin1String("'a")) && cells[2].endsWith(QLatin1String("z'")), qPrintable(cells[2]));
    QVERIFY2(cells[3].startsWith(QLatin1String("'bad")), qPrintable(cells[3]));
    QCOMPARE(cells[4], QStringLiteral("'x<&>y'"));
}

void TestExports::xlsxTooManyRowsRefused()
{
    QTemporaryDir dir;
    CKTableRenderer grid;
    KPtr t(table({"a"}, {longs(0, 1048576)}));
    grid.setValue(t.get());
    QString error;
    const QString path = dir.filePath(QStringLiteral("big.xlsx"));
    QVERIFY(!XlsxExport::save(path, grid, &error));
    QVERIFY(error.contains(QLatin1String("1048575")));
    QVERIFY(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

QTEST_GUILESS_MAIN(TestExports)
#include "tst_exports.moc"
