#pragma once

#include <functional>

// Lets events run until `condition` holds; false when it still fails after `timeoutMs`.
// Outside Qt Test (tools, benchmarks); tests use QTRY_VERIFY.
bool WaitUntil(const std::function<bool()> &condition, int timeoutMs = 30000);
