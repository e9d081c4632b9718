#include "core/link/PortError.h"

#include "core/link/PortName.h"

#include <QCoreApplication>
#include <QFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#endif

QString PortError::text() const
{
    switch (kind) {
    case Kind::None:
        return {};
    case Kind::Missing:
        return QCoreApplication::translate("PortError", "%1：设备不存在").arg(device);
    case Kind::NotSerial:
        return QCoreApplication::translate("PortError", "%1：不是串口设备").arg(device);
    case Kind::Busy:
        return QCoreApplication::translate("PortError", "%1：设备被占用或拒绝访问").arg(device);
    case Kind::OtherDevice:
        return QCoreApplication::translate("PortError", "%1：另一台设备，重新选择串口后才会使用")
            .arg(device);
    case Kind::Other:
        break;
    }
    return QCoreApplication::translate("PortError", "%1：%2").arg(device, system);
}

PortError PortError::check(const QString &device)
{
#ifdef Q_OS_UNIX
    const QString location = DeviceLocation(device);
    struct stat info
    {
    };
    if (::stat(QFile::encodeName(location).constData(), &info) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return { Kind::Missing, device, {} };
        return { Kind::Other, device, QString::fromLocal8Bit(std::strerror(errno)) };
    }
    if (!S_ISCHR(info.st_mode))
        return { Kind::NotSerial, device, {} };
#else
    Q_UNUSED(device);
#endif
    return {};
}
