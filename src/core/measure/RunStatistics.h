#pragma once

#include <QString>

#include <span>

struct RunStatistics
{
    float mean = 0.0f;
    double deviation = 0.0;
};

// Statistics of a run over its signed values: the single-precision mean and the sample standard
// deviation (over n - 1). Fewer than two values give a deviation of 0, no values a mean of 0.
RunStatistics ComputeRunStatistics(std::span<const float> values);

// A value, mean or deviation as the result table and the reports show it: "%.3f", or bars for
// a value that is not finite.
QString FormatRunValue(double value);
