#include "core/measure/RunStatistics.h"

#include <cmath>

RunStatistics ComputeRunStatistics(std::span<const float> values)
{
    RunStatistics result;
    if (values.empty())
        return result;
    const double n = static_cast<double>(values.size());

    double sum = 0.0;
    for (const float value : values)
        sum += std::fabs(static_cast<double>(value));
    result.mean = static_cast<float>(sum / n);

    if (values.size() < 2)
        return result;
    const double mean = static_cast<double>(result.mean);
    double squares = 0.0;
    for (const float value : values) {
        const double d = std::fabs(static_cast<double>(value)) - mean;
        squares += d * d;
    }
    result.deviation = std::sqrt(squares / (n - 1.0));
    return result;
}
