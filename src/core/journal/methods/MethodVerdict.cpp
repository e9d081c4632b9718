#include "core/journal/methods/MethodVerdict.h"

#include "core/measure/RunStatistics.h"

#include <cmath>
#include <vector>

double JudgedResult(float mean, int decimals)
{
    // Through the text a report shows, so that a limit written as shown is met exactly: 35.650
    // is 35.65 whatever binary fraction the mean was.
    return QString::asprintf("%.*f", decimals, static_cast<double>(mean)).toDouble();
}

std::optional<Verdict> JudgeRun(const RunMethod &method, std::span<const double> values)
{
    if (values.empty())
        return std::nullopt;
    const std::vector<float> samples(values.begin(), values.end());
    const float mean = ComputeRunStatistics(samples).mean;
    if (!std::isfinite(mean))
        return Verdict::Fail;
    const double result = JudgedResult(mean, method.decimals);
    const bool inside =
        (!method.lower || result >= *method.lower) && (!method.upper || result <= *method.upper);
    return inside ? Verdict::Pass : Verdict::Fail;
}
