// Printing a source view to a PDF file: the number of pages, the line range,
// and the half-inch margins.
#include "core/colors/CDialogFontsColors.h"
#include "core/settings/CDlgQSettings.h"
#include "editor/CTovoView.h"
#include "editor/CViewPrinter.h"
#include "editor/FontConv.h"

#include "ScriptedPrompter.h"

#include <QApplication>
#include <QFile>
#include <QPrintPreviewWidget>
#include <QTimer>
#include <QFontMetrics>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {

int pdfPages(const QByteArray& pdf)
{
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?![a-zA-Z])"));
    return int(QString::fromLatin1(pdf).count(page));
}

} // namespace

class TestViewPrinter : public QObject {
    Q_OBJECT
private slots:
    void margins();
    void printsPages_data();
    void printsPages();
    void previewShowsPages();
};

void TestViewPrinter::margins()
{
    CViewPrinter printer;
    const QMarginsF inches = printer.pageLayout().margins(QPageLayout::Inch);
    QCOMPARE(inches, QMarginsF(0.5, 0.5, 0.5, 0.5));
    // 720 twips are 36 points on every side of the paper.
    const QRectF paper = printer.pageLayout().fullRect(QPageLayout::Point);
    const QRectF paint = printer.pageLayout().paintRect(QPageLayout::Point);
    QCOMPARE(paint.left() - paper.left(), 36.0);
    QCOMPARE(paper.bottom() - paint.bottom(), 36.0);
}

void TestViewPrinter::printsPages_data()
{
    QTest::addColumn<double>("pagesOfText"); // lines as a multiple of a page's lines
    QTest::addColumn<int>("fromLine");
    QTest::addColumn<int>("toLine");
    QTest::addColumn<int>("pages");
    QTest::newRow("one line") << 0.0 << -1 << -1 << 1;
    QTest::newRow("two and a half pages") << 2.5 << -1 << -1 << 3;
    QTest::newRow("only the first lines") << 2.5 << 0 << 4 << 1;
    QTest::newRow("nothing") << -1.0 << -1 << -1 << 0;
}

void TestViewPrinter::printsPages()
{
    QFETCH(double, pagesOfText);
    QFETCH(int, fromLine);
    QFETCH(int, toLine);
    QFETCH(int, pages);
    CDialogFontsColors scheme;
    CDlgEditorSettings settings;
    ScriptedPrompter prompter;
    CTovoView view(scheme, settings, prompter);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    CViewPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);

    // Lines per page from the source font at the printer's resolution; a
    // script of 2.5 pages stays within 3 pages however the lines are rounded.
    const QFontMetrics metrics(FontConv::toQFont(scheme.font(CDialogFontsColors::SourceFont)), &printer);
    const int perPage = printer.height() / metrics.height();
    QVERIFY(perPage > 10);
    QStringList lines;
    if (pagesOfText >= 0)
        lines << QStringLiteral("f:{[x] x+1} / line 1");
    for (int i = 2; i <= int(pagesOfText * perPage); ++i)
        lines << QStringLiteral("f:{[x] x+%1} / line %1").arg(i);
    view.loadDocumentText(lines.join(u'\n'));

    const int drawn = printer.print(view, QStringLiteral("trade.q*"), fromLine, toLine);
    QCOMPARE(drawn, pages);
    QFile file(pdf);
    if (pages == 0) {
        QVERIFY(!file.exists());
        return;
    }
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.startsWith("%PDF"));
    QCOMPARE(pdfPages(bytes), pages);
}

void TestViewPrinter::previewShowsPages()
{
    CDialogFontsColors scheme;
    CDlgEditorSettings settings;
    ScriptedPrompter prompter;
    CTovoView view(scheme, settings, prompter);
    CViewPrinter printer;
    const QFontMetrics metrics(FontConv::toQFont(scheme.font(CDialogFontsColors::SourceFont)), &printer);
    const int lines = printer.height() / metrics.height() * 3 / 2;
    QStringList text;
    for (int i = 1; i <= lines; ++i)
        text << QStringLiteral("x%1:%1").arg(i);
    view.loadDocumentText(text.join(u'\n'));
    int previewPages = -1;
    QTimer::singleShot(0, this, [&previewPages] {
        QWidget* box = QApplication::activeModalWidget();
        QVERIFY(box);
        auto* preview = box->findChild<QPrintPreviewWidget*>();
        QVERIFY(preview);
        previewPages = preview->pageCount();
        box->close();
    });
    printer.printPreview(view, QStringLiteral("trade.q"));
    QCOMPARE(previewPages, 2);
}

QTEST_MAIN(TestViewPrinter)
#include "tst_viewprinter.moc"
