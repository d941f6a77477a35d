// Where the axis grid lines of a chart go: the decimal rule for numbers and
// the table of round time steps for temporal X columns.
#pragma once

#include <cstdint>
#include <vector>

class AxisSteps {
public:
    static constexpr int maxLines = 30;

    // 10^floor(log10(span)), or a tenth of it when span / step < 1.4; 0 for
    // an empty, negative or non-finite span.
    static double decimalStep(double span);

    // Grid values from ceil(low / step) * step up to (not including) high, at
    // most maxLines of them; none when step is not positive.
    static std::vector<double> values(double low, double high, double step);

    // The step of the vertical grid in the X column's own units, for a column
    // of the given type over [low, high]:
    //  - plain numbers: the decimal step;
    //  - temporal spans above 1.4 seconds: the round time step before the
    //    first one that the span holds fewer than 1.4 times;
    //  - temporal spans of 1.4 seconds or less: the decimal step of the span in
    //    nanoseconds, converted to the column's unit;
    //  - spans beyond the table (about 1.4 years and more): whole numbers of
    //    365-day years by the decimal rule.
    // Columns whose items are whole units never get a step below one unit.
    static double xStep(int type, double low, double high);
    static std::vector<double> xValues(int type, double low, double high);
};
