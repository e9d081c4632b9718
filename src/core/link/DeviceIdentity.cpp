#include "core/link/DeviceIdentity.h"

#include "core/link/PortName.h"

#include <QFile>
#include <QFileInfo>
#include <QSerialPortInfo>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

DeviceIdentity DeviceIdentity::of(const QString &device)
{
    DeviceIdentity identity;
    const QString location = DeviceLocation(device);
    const QString canonical = QFileInfo(location).canonicalFilePath();
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
        const bool here = info.portName() == device
            || (!canonical.isEmpty()
                && QFileInfo(info.systemLocation()).canonicalFilePath() == canonical);
        if (here && info.hasVendorIdentifier() && info.hasProductIdentifier()) {
            identity.usb = true;
            identity.vendorId = info.vendorIdentifier();
            identity.productId = info.productIdentifier();
            identity.serialNumber = info.serialNumber();
            break;
        }
    }
#ifdef Q_OS_UNIX
    struct stat node
    {
    };
    if (::stat(QFile::encodeName(location).constData(), &node) == 0) {
        identity.node = node.st_rdev;
        identity.nodeChangedNs = qint64(node.st_ctim.tv_sec) * 1'000'000'000 + node.st_ctim.tv_nsec;
    }
#endif
    return identity;
}

bool DeviceIdentity::isSameDevice(const DeviceIdentity &other) const
{
    // A replugged adapter gets a new node, so where the adapter is known its node does not count.
    if (usb || other.usb)
        return usb == other.usb && vendorId == other.vendorId && productId == other.productId
            && serialNumber == other.serialNumber;
    return node == other.node && nodeChangedNs == other.nodeChangedNs;
}
