#pragma once

#include "core/journal/store/JournalTypes.h"
#include "core/measure/RunStatistics.h"

#include <QList>

#include <optional>

// The figures of a run that has a result, over its readings as the run took them: none while
// the run has no mean (open, discarded, abandoned), as the exports leave its mean empty.
std::optional<RunSummary> RunResultSummary(const JournalRun &run,
                                           const QList<JournalReading> &readings);

// The deviation and the relative deviation (percent) as the exports write them; empty where the
// run has none.
QString DeviationText(const std::optional<RunSummary> &summary);
QString RelativeDeviationText(const std::optional<RunSummary> &summary);
