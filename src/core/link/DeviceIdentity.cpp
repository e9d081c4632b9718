#include "core/link/DeviceIdentity.h"

#include "core/link/PortName.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_LINUX
#include <sys/stat.h>
#else
#include <QSerialPortInfo>
#endif

using namespace Qt::StringLiterals;

namespace {

#ifdef Q_OS_LINUX
// The USB adapter behind a terminal, from sysfs: the terminal's device lies below the USB
// device, whose directory holds idVendor, idProduct and serial. A few small files, where the
// system's whole port list (QSerialPortInfo) costs some 25 ms at every attempt.
void ReadUsbAdapter(DeviceIdentity &identity, const QString &location)
{
    const QString name = QFileInfo(QFileInfo(location).canonicalFilePath()).fileName();
    QString dir = QFileInfo(u"/sys/class/tty/"_s + name + u"/device"_s).canonicalFilePath();
    for (; dir.startsWith(u"/sys/devices/"_s); dir = QFileInfo(dir).path()) {
        const auto read = [&dir](const QString &file) {
            QFile f(dir + u'/' + file);
            return f.open(QIODevice::ReadOnly) ? f.readAll().trimmed() : QByteArray();
        };
        const QByteArray vendor = read(u"idVendor"_s);
        if (vendor.isEmpty())
            continue;
        identity.usb = true;
        identity.vendorId = vendor.toUShort(nullptr, 16);
        identity.productId = read(u"idProduct"_s).toUShort(nullptr, 16);
        identity.serialNumber = QString::fromLatin1(read(u"serial"_s));
        return;
    }
}
#endif

} // namespace

DeviceIdentity DeviceIdentity::of(const QString &device)
{
    DeviceIdentity identity;
    const QString location = DeviceLocation(device);
#ifdef Q_OS_LINUX
    struct stat node
    {
    };
    if (::stat(QFile::encodeName(location).constData(), &node) == 0) {
        identity.node = node.st_rdev;
        identity.nodeChangedNs = qint64(node.st_ctim.tv_sec) * 1'000'000'000 + node.st_ctim.tv_nsec;
    }
    ReadUsbAdapter(identity, location);
#else
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
#endif
    return identity;
}

bool DeviceIdentity::isSameDevice(const DeviceIdentity &other) const
{
    // The very node that was opened is the same device, whatever else was found out about it.
    if (node != 0 && node == other.node && nodeChangedNs == other.nodeChangedNs)
        return true;
    // A replugged adapter gets a new node: where an adapter is known, it decides.
    if (usb || other.usb)
        return usb == other.usb && vendorId == other.vendorId && productId == other.productId
            && serialNumber == other.serialNumber;
    return node == other.node && nodeChangedNs == other.nodeChangedNs;
}
