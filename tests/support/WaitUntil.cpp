#include "WaitUntil.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

bool WaitUntil(const std::function<bool()> &condition, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        // Polls without sleeping, so that a benchmark's latency is not rounded up to a tick.
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}
