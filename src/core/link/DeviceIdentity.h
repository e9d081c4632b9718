#pragma once

#include <QString>
#include <QtGlobal>

// What tells one serial device from another behind the same name. A name is no device:
// /dev/ttyUSB0, COM3 and /dev/pts/N are handed to whichever device appears next.
//
// A USB adapter is known by its vendor, product and serial number, which survive the new node
// that a replug gives it. Any other device by its node: the device number and the time the node
// was made. The device number alone cannot tell a pseudo-terminal from the next one to take its
// number, and devpts numbers inodes by that index too; only the node's change time, set when the
// terminal is created and touched later by nothing but chmod and chown, differs (the kernel's
// coarse clock: ticks of a few milliseconds, far less than an unplug and a replug take). A
// built-in port's node lasts as long as the system runs, so it keeps its identity across a lost
// link. Elsewhere than on Linux only an adapter is known; other ports cannot be told apart.
struct DeviceIdentity
{
    bool usb = false; // vendorId, productId and serialNumber are known
    quint16 vendorId = 0;
    quint16 productId = 0;
    QString serialNumber; // empty for adapters that have none: their make is all there is
    quint64 node = 0; // st_rdev; 0 where unknown
    qint64 nodeChangedNs = 0; // st_ctim

    // The device that `device` (a name as the channel opens it) leads to now.
    static DeviceIdentity of(const QString &device);

    bool isSameDevice(const DeviceIdentity &other) const;
};
