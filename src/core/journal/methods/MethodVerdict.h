#pragma once

#include "core/journal/store/JournalTypes.h"

#include <optional>
#include <span>

// The result of a run under a method as it is judged: the table's mean (over the values in single
// precision) rounded to the method's decimals.
double JudgedResult(float mean, int decimals);

// Pass when the result lies within the limits, a result equal to a limit included; fail outside
// them, and for a result that is not a number. None for no values.
std::optional<Verdict> JudgeRun(const RunMethod &method, std::span<const double> values);
