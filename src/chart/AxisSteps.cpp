#include "chart/AxisSteps.h"

#include "chart/ChartKinds.h"

#include <cmath>
#include <iterator>

double AxisSteps::decimalStep(double span)
{
    if (!(span > 0) || !std::isfinite(span))
        return 0;
    const double e = std::floor(std::log10(span));
    double step = std::pow(10.0, e);
    if (span / step < 1.4)
        step = std::pow(10.0, e - 1);
    return step;
}

std::vector<double> AxisSteps::values(double low, double high, double step)
{
    std::vector<double> out;
    if (!(step > 0) || !std::isfinite(low) || !std::isfinite(high))
        return out;
    const double first = std::ceil(low / step) * step;
    for (int i = 0; i < maxLines; ++i) {
        const double v = first + i * step;
        if (!(v < high))
            break;
        out.push_back(v);
    }
    return out;
}

namespace {

constexpr std::int64_t kTimeSteps[] = {1, 5, 10, 60, 300, 600, 3600, 7200, 86400, 604800, 2419200, 7862400, 31536000};
constexpr std::int64_t kSecond = 1000000000LL;
constexpr double kYear = 31536000.0;

} // namespace

double AxisSteps::xStep(int type, double low, double high)
{
    const std::int64_t unit = ChartKinds::nanosPerUnit(type);
    if (unit == 0)
        return decimalStep(high - low);
    const double spanNs = (high - low) * double(unit);
    if (!(spanNs > 0) || !std::isfinite(spanNs))
        return 0;
    double step = 0;
    if (spanNs <= 1.4 * kSecond) {
        step = decimalStep(spanNs) / double(unit);
    } else {
        const double spanSec = spanNs / double(kSecond);
        std::int64_t entry = 0;
        for (std::size_t i = 1; i < std::size(kTimeSteps); ++i) {
            if (spanSec / double(kTimeSteps[i]) < 1.4) {
                entry = kTimeSteps[i - 1];
                break;
            }
        }
        if (entry)
            step = double(entry) * double(kSecond) / double(unit);
        else
            step = std::max(1.0, decimalStep(spanSec / kYear)) * kYear * double(kSecond) / double(unit);
    }
    if (ChartKinds::isIntegral(type))
        step = std::max(1.0, std::round(step));
    return step;
}

std::vector<double> AxisSteps::xValues(int type, double low, double high)
{
    return values(low, high, xStep(type, low, high));
}
