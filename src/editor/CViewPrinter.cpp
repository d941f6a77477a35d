#include "editor/CViewPrinter.h"

#include <Qsci/qsciscintilla.h>

#include <QFontMetrics>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>

CViewPrinter::CViewPrinter()
    : QsciPrinter(QPrinter::ScreenResolution)
{
    setPageMargins(QMarginsF(0.5, 0.5, 0.5, 0.5), QPageLayout::Inch);
}

QString CViewPrinter::printTitle(const QString& documentTitle)
{
    QString title = documentTitle;
    if (title.endsWith(u'*'))
        title.chop(1);
    return title;
}

int CViewPrinter::print(QsciScintilla& view, const QString& title, int fromLine, int toLine)
{
    m_title = printTitle(title);
    m_pagesDrawn = 0;
    // Dark editor backgrounds are not put on paper.
    view.SendScintilla(QsciScintillaBase::SCI_SETPRINTCOLOURMODE,
                       static_cast<unsigned long>(QsciScintillaBase::SC_PRINT_COLOURONWHITE));
    if (view.length() == 0)
        return 0;
    if (!printRange(&view, fromLine, toLine))
        return 0;
    return m_pagesDrawn;
}

void CViewPrinter::formatPage(QPainter& painter, bool drawing, QRect& area, int pageNumber)
{
    Q_UNUSED(pageNumber);
    if (drawing)
        ++m_pagesDrawn;
    if (m_title.isEmpty())
        return;
    painter.save();
    QFont font = painter.font();
    font.setPointSize(9);
    painter.setFont(font);
    const QFontMetrics metrics(font, painter.device());
    const QRect header(area.left(), area.top(), area.width(), metrics.height());
    if (drawing) {
        painter.setPen(Qt::black);
        painter.drawText(header, Qt::AlignLeft | Qt::AlignVCenter,
                         metrics.elidedText(m_title, Qt::ElideMiddle, header.width()));
        const int rule = header.bottom() + metrics.descent();
        painter.drawLine(area.left(), rule, area.right(), rule);
    }
    painter.restore();
    // The text starts a line below the header.
    area.setTop(area.top() + 2 * metrics.height());
}

bool CViewPrinter::printDialog(QsciScintilla& view, const QString& title, QWidget* parent)
{
    QPrintDialog dialog(this, parent);
    QAbstractPrintDialog::PrintDialogOptions options = dialog.options();
    options.setFlag(QAbstractPrintDialog::PrintSelection, view.hasSelectedText());
    options.setFlag(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setOptions(options);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    if (QPrinter::printRange() == QPrinter::Selection) {
        int lineFrom = 0, indexFrom = 0, lineTo = 0, indexTo = 0;
        view.getSelection(&lineFrom, &indexFrom, &lineTo, &indexTo);
        print(view, title, lineFrom, lineTo);
    } else {
        print(view, title);
    }
    // The next print starts from all pages again.
    setPrintRange(QPrinter::AllPages);
    setFromTo(0, 0);
    return true;
}

void CViewPrinter::printPreview(QsciScintilla& view, const QString& title, QWidget* parent)
{
    QPrintPreviewDialog preview(this, parent);
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [this, &view, &title](QPrinter*) { print(view, title); });
    preview.exec();
}

bool CViewPrinter::pageSetup(QWidget* parent)
{
    QPageSetupDialog dialog(this, parent);
    return dialog.exec() == QDialog::Accepted;
}
