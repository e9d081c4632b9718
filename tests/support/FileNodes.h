#pragma once

#include <QFile>
#include <QString>

#include <sys/stat.h>
#include <sys/sysmacros.h>

// Nodes that an output must never replace nor write into. They are made in a test's own folder,
// never taken from /dev, so that a fault cannot destroy a real device.
inline bool MakeFifo(const QString &path)
{
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

// A character device with /dev/full's numbers; false where the process may not make one (not
// root, or a container that forbids it).
inline bool MakeDevice(const QString &path)
{
    return ::mknod(QFile::encodeName(path).constData(), S_IFCHR | 0600, makedev(1, 7)) == 0;
}
