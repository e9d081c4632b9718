#include "core/measure/RunStatistics.h"

#include <cmath>

RunStatistics ComputeRunStatistics(std::span<const float> values)
{
    RunStatistics result;
    if (values.empty())
        return result;
    const double n = static_cast<double>(values.size());

    // Signed: the sign tells a dextrorotatory sample from a laevorotatory one.
    double sum = 0.0;
    for (const float value : values)
        sum += static_cast<double>(value);
    result.mean = static_cast<float>(sum / n);

    if (values.size() < 2)
        return result;
    const double mean = static_cast<double>(result.mean);
    double squares = 0.0;
    for (const float value : values) {
        const double d = static_cast<double>(value) - mean;
        squares += d * d;
    }
    result.deviation = std::sqrt(squares / (n - 1.0));
    return result;
}

QString FormatRunValue(double value)
{
    // A value beyond single precision makes the statistics infinite; no result shows "inf".
    if (!std::isfinite(value))
        return QStringLiteral("--.---");
    return QString::asprintf("%.3f", value);
}
