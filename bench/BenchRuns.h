#pragma once

#include "core/journal/JournalTypes.h"

#include <QString>

#include <optional>

// Confirm number i of a stream of runs of perRun readings each, as the journal benchmarks write
// them: rising sugar readings, the run's statistics on its last Confirm.
inline ConfirmedReading BenchReading(int i, int perRun)
{
    const int number = i % perRun + 1;
    ConfirmedReading reading { number, QString::number(34626 + i), 100.0 + i * 0.001,
                               std::nullopt };
    if (number == perRun)
        reading.totals = RunTotals { QStringLiteral("100.006"), QString() };
    return reading;
}
