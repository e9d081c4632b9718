#pragma once

#include <QtGlobal>

#include <deque>

// Whether the readings of the last few seconds stay within a tolerance of the latest one, so
// that the inspector knows when a reading is worth confirming.
//
// Stable at time T means: the readings have covered the whole window [T - window, T] (the one
// that was current at its start included) and every one of them lies within the tolerance of
// the latest. Until the next reading this turns true at one moment, stableFrom(), and stays so.
class ReadingStability
{
public:
    ReadingStability(double tolerance, qint64 windowMs);

    // A reading at `atMs` (a monotonic clock, never decreasing).
    void add(qint64 atMs, double value);
    void clear();

    bool hasReading() const { return !m_runs.empty(); }
    // The moment from which the readings so far count as stable; meaningless without a reading.
    qint64 stableFrom() const { return m_stableFrom; }
    bool isStable(qint64 nowMs) const { return hasReading() && nowMs >= m_stableFrom; }

    // Distinct readings kept at most; beyond this the oldest go, which can only delay
    // stability, never grant it early. A line at 9600 baud carries 87 readings a second.
    static constexpr std::size_t kMaxRuns = 512;

private:
    // Consecutive equal readings are one run: an instrument at rest costs one entry.
    struct Run
    {
        double value = 0;
        qint64 since = 0;
    };

    double m_tolerance = 0;
    qint64 m_windowMs = 0;
    std::deque<Run> m_runs;
    qint64 m_stableFrom = 0;
};
