#include "core/measure/RunStatistics.h"

#include <algorithm>
#include <cmath>
#include <vector>

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

std::optional<RunSummary> SummarizeRun(std::span<const double> values)
{
    if (values.empty())
        return std::nullopt;
    std::vector<float> samples(values.size());
    std::transform(values.begin(), values.end(), samples.begin(),
                   [](double value) { return static_cast<float>(value); });
    const RunStatistics statistics = ComputeRunStatistics(samples);
    RunSummary summary;
    summary.count = static_cast<int>(values.size());
    summary.mean = statistics.mean;
    const auto [low, high] = std::minmax_element(values.begin(), values.end());
    summary.minimum = *low;
    summary.maximum = *high;
    if (values.size() < 2)
        return summary;
    summary.deviation = statistics.deviation;
    const double mean = static_cast<double>(statistics.mean);
    if (std::isfinite(mean) && FormatRunValue(mean).toDouble() != 0.0)
        summary.relativeDeviation = statistics.deviation / std::abs(mean) * 100.0;
    return summary;
}

QString FormatRunValue(double value)
{
    // A value beyond single precision makes the statistics infinite; no result shows "inf".
    if (!std::isfinite(value))
        return QStringLiteral("--.---");
    return QString::asprintf("%.3f", value);
}

QString FormatRelativeDeviation(double percent)
{
    if (!std::isfinite(percent))
        return QStringLiteral("--.--");
    return QString::asprintf("%.2f", percent);
}
