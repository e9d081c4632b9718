#pragma once

#include "core/journal/store/JournalTypes.h"

#include <QString>

// The runs the journal benchmarks write: runs of perRun readings, rising sugar readings, the
// run's statistics on its last Confirm, login texts that vary from run to run.
RunHeader BenchHeader(int i, int perRun);
ConfirmedReading BenchReading(int i, int perRun);

// Writes `runs` completed runs of perRun readings to the journal at path, in one transaction, one
// run every 10 minutes, the last one now: the chain of run-started event, readings and
// run-completed event that the program writes, with real hashes, so that rows have their real
// size and verify as the program's do.
bool WriteBenchRuns(const QString &path, const QString &station, int runs, int perRun);
