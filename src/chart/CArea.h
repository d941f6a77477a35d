// A visible range of a chart: X in the X column's raw units, Y in the series' units.
#pragma once

struct CArea {
    double xmin = 0;
    double xmax = 0;
    double ymin = 0;
    double ymax = 0;

    bool operator==(const CArea&) const = default;
};
