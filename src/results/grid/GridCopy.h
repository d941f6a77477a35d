// The clipboard forms of grid content: tab-separated text and an HTML table
// coloured like the grid, both from the cells' display texts.
#pragma once

#include <QString>

#include <vector>

class CKTableRenderer;

class GridCopy {
public:
    struct Forms {
        QString text;
        QString html;
    };

    // Rows (display rows, in the order given) of the given sections (in
    // display order), optionally headed by the column titles.
    static Forms rows(const CKTableRenderer& grid, const std::vector<int>& rows, const std::vector<int>& sections,
                      bool headers);
    static Forms cell(const CKTableRenderer& grid, int row, int section);

    // "<" and ">" as entities; nothing else is replaced.
    static QString escaped(QString text);
};
