// One series of a chart: a column of the charted table with its colour, style
// and check state.
#pragma once

#include "kdb/k.h"

#include <QRgb>
#include <QString>

#include <optional>

struct CColChart {
    QString header;
    K column = nullptr; // owned by the chart's table
    int type = 0;       // list type of the column
    bool yable = false; // may be a series
    bool checked = false;
    // 0: the chart's default style, otherwise 1 + an index into the styles.
    int style = 0;
    QRgb colour = 0xff000000;
    // Over the non-NaN values, computed on first use.
    std::optional<double> minimum;
    std::optional<double> maximum;
};
