// A chart of a table drawn to a file with the chart dialog's defaults: the
// first X-able column (or a named one) against every Y-able column, the
// built-in palette on white. Used by tovo-cli for charts made from scripts.
#pragma once

#include "kdb/k.h"

#include <QSize>
#include <QString>

class ChartRender {
public:
    struct Options {
        QString xColumn; // empty: the first X-able column
        int style = 0;   // index of the default style
        QSize size{1000, 600};
    };
    // Writes PNG, JPEG, BMP (by the file's extension) or SVG. False with error
    // when the value cannot be charted or the file cannot be written.
    static bool toFile(K value, const Options& options, const QString& path, QString& error);
};
