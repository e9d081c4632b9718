#include "core/link/PortName.h"

#include <algorithm>

using namespace Qt::StringLiterals;

QString ResolvePortDevice(const QString &portName, const PortLookup &lookup)
{
    if (!portName.startsWith(u"COM"_s, Qt::CaseInsensitive))
        return portName;
    const QStringView digits = QStringView(portName).mid(3);
    bool ok = false;
    const int n = digits.toInt(&ok);
    // toInt accepts a sign and surrounding blanks; a port number is plain digits.
    const bool plainDigits = !digits.isEmpty()
        && std::all_of(digits.begin(), digits.end(),
                       [](QChar c) { return c >= u'0' && c <= u'9'; });
    if (!ok || !plainDigits || n < 1)
        return portName;

    const QString key = u"COM"_s + QString::number(n);
    if (lookup) {
        const QString device = lookup(key).trimmed();
        if (!device.isEmpty())
            return device;
    }
#ifdef Q_OS_WIN
    return key;
#else
    return u"/dev/ttyS"_s + QString::number(n - 1);
#endif
}

QString DeviceLocation(const QString &device)
{
#ifdef Q_OS_UNIX
    const bool path =
        device.startsWith(u'/') || device.startsWith(u"./") || device.startsWith(u"../");
    return path ? device : u"/dev/"_s + device;
#else
    return device;
#endif
}
