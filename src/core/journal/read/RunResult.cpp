#include "core/journal/read/RunResult.h"

#include <vector>

std::optional<RunSummary> RunResultSummary(const JournalRun &run,
                                           const QList<JournalReading> &readings)
{
    if (run.totals.mean.isEmpty())
        return std::nullopt;
    std::vector<double> values;
    values.reserve(static_cast<std::size_t>(readings.size()));
    for (const JournalReading &reading : readings)
        values.push_back(reading.value);
    return SummarizeRun(values);
}

QString DeviationText(const std::optional<RunSummary> &summary)
{
    return summary && summary->deviation ? FormatRunValue(*summary->deviation) : QString();
}

QString RelativeDeviationText(const std::optional<RunSummary> &summary)
{
    return summary && summary->relativeDeviation
        ? FormatRelativeDeviation(*summary->relativeDeviation)
        : QString();
}
