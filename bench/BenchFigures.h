#pragma once

#include <QByteArray>
#include <QFile>

#include <algorithm>
#include <cstddef>
#include <vector>

// The figures several benchmark programs report, computed one way for all of them.

// The value at fraction p (0 to 1) of the sorted values, nearest rank.
inline double Percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1,
                           static_cast<std::size_t>(p * double(values.size() - 1) + 0.5))];
}

// The process's resident memory in KiB, -1 where /proc does not tell.
inline long ResidentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}
