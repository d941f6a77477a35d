// Printing a source view: page margins of half an inch (720 twips), the
// document's title at the top of each page, colours on white paper; the print,
// preview and page setup boxes. One printer per main window keeps the chosen
// printer and page settings between commands.
#pragma once

#include <Qsci/qsciprinter.h>

#include <QString>

class QsciScintilla;
class QWidget;

class CViewPrinter : public QsciPrinter {
public:
    CViewPrinter();

    // Renders the view's text (lines fromLine to toLine, 0-based, or all of
    // it) on this printer, within the printer's page range. Returns the number
    // of pages drawn; 0 when there is nothing to print or printing failed.
    int print(QsciScintilla& view, const QString& title, int fromLine = -1, int toLine = -1);
    // "&Print...": the print box, then printing (the selected lines when the
    // user chose Selection). False when cancelled.
    bool printDialog(QsciScintilla& view, const QString& title, QWidget* parent = nullptr);
    // "Print Pre&view".
    void printPreview(QsciScintilla& view, const QString& title, QWidget* parent = nullptr);
    // "P&rint Setup...". False when cancelled.
    bool pageSetup(QWidget* parent = nullptr);

    // The title without the modified mark.
    static QString printTitle(const QString& documentTitle);

    void formatPage(QPainter& painter, bool drawing, QRect& area, int pageNumber) override;

private:
    QString m_title;
    int m_pagesDrawn = 0;
};
