#include "core/link/ReadingStability.h"

#include <cmath>

namespace {

// Readings are whole thousandths scaled by a single-precision factor: a difference of exactly
// the tolerance may come out a hair above it.
constexpr double kRoundingSlack = 1e-9;

} // namespace

ReadingStability::ReadingStability(double tolerance, qint64 windowMs)
    : m_tolerance(tolerance)
    , m_windowMs(windowMs)
{ }

void ReadingStability::add(qint64 atMs, double value)
{
    if (!m_runs.empty() && m_runs.back().value == value)
        return; // the same latest value: the same moment of stability
    m_runs.push_back({ value, atMs });
    // Runs that ended before the window can start, even now, no longer count.
    while (m_runs.size() > 1 && m_runs[1].since <= atMs - m_windowMs)
        m_runs.pop_front();
    if (m_runs.size() > kMaxRuns)
        m_runs.pop_front();

    // Stable once the window starts at or after the first run since the last one out of
    // tolerance (or since the first run kept, when none is).
    std::size_t first = m_runs.size() - 1;
    while (first > 0 && std::abs(m_runs[first - 1].value - value) <= m_tolerance + kRoundingSlack)
        --first;
    m_stableFrom = m_runs[first].since + m_windowMs;
}

void ReadingStability::clear()
{
    m_runs.clear();
}
