#pragma once

#include <QString>

#include <optional>
#include <span>

struct RunStatistics
{
    float mean = 0.0f;
    double deviation = 0.0;
};

// Statistics of a run over its signed values: the single-precision mean and the sample standard
// deviation (over n - 1). Fewer than two values give a deviation of 0, no values a mean of 0.
RunStatistics ComputeRunStatistics(std::span<const float> values);

// What the exports and the PDF report give beyond the table: the deviation for every count of two
// or more, the relative deviation, the extremes. Mean and deviation are those of the table (the
// values taken in single precision), so that every figure agrees with the table's texts.
struct RunSummary
{
    int count = 0;
    float mean = 0.0f;
    std::optional<double> deviation; // two values at least
    // Deviation / |mean| x 100 %. None where the mean, as the table shows it, is zero: a mean
    // that single precision leaves at 1e-8 instead of 0 would give a figure of 1e10 %.
    std::optional<double> relativeDeviation;
    double minimum = 0.0;
    double maximum = 0.0;
};

// Nothing for no values.
std::optional<RunSummary> SummarizeRun(std::span<const double> values);

// A value, mean or deviation as the result table and the reports show it: "%.3f", or bars for
// a value that is not finite.
QString FormatRunValue(double value);
// A relative deviation in percent, without the sign: "%.2f", or bars.
QString FormatRelativeDeviation(double percent);
