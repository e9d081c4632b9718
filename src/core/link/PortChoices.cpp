#include "core/link/PortChoices.h"

#include <QFileInfo>
#include <QHash>
#include <QSerialPortInfo>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// A link such as /dev/serial/by-id/... and the device it points to are one device.
QString Canonical(const QString &device)
{
    const QString path = QFileInfo(device).canonicalFilePath();
    return path.isEmpty() ? device : path;
}

QString PortNameOf(int number)
{
    return u"COM"_s + QString::number(number);
}

} // namespace

PortChoices::PortChoices(int baseCount, const PortLookup &lookup, const QList<SerialDevice> &listed)
{
    QHash<QString, qsizetype> present; // canonical path -> index in `devices`
    QList<SerialDevice> devices;
    for (const SerialDevice &d : listed) {
        if (!present.contains(Canonical(d.device))) {
            present.insert(Canonical(d.device), devices.size());
            devices.append(d);
        }
    }

    // Each key asked once: the lookup may read a file.
    const int highest = std::max(baseCount, kHighestPort);
    QList<QString> byHand(highest + 1);
    int count = baseCount;
    for (int number = 1; number <= highest; ++number) {
        byHand[number] = lookup ? lookup(PortNameOf(number)).trimmed() : QString();
        if (number > baseCount && !byHand[number].isEmpty())
            count = number;
    }

    QList<bool> resolved(devices.size(), false);
    QList<qsizetype> gaps; // entries beyond the base that no setting maps
    for (int number = 1; number <= count; ++number) {
        Entry entry { number, {}, {}, {}, false };
        const QString &mapped = byHand[number];
        if (mapped.isEmpty() && number > baseCount) {
            gaps.append(m_entries.size());
        } else {
            const QString device =
                mapped.isEmpty() ? ResolvePortDevice(PortNameOf(number)) : mapped;
            if (const auto it = present.constFind(Canonical(device)); it != present.cend()) {
                resolved[*it] = true;
                entry = { number, device, devices[*it].description, devices[*it].maker, false };
            } else if (!mapped.isEmpty()) {
                entry.device = device;
            }
        }
        m_entries.append(entry);
    }

    for (qsizetype i = 0; i < devices.size(); ++i) {
        if (resolved[i])
            continue;
        const SerialDevice &d = devices[i];
        if (!gaps.isEmpty()) {
            Entry &entry = m_entries[gaps.takeFirst()];
            entry = { entry.number, d.device, d.description, d.maker, true };
        } else {
            const int number = int(m_entries.size()) + 1;
            m_entries.append({ number, d.device, d.description, d.maker, true });
        }
    }
}

QList<SerialDevice> PortChoices::systemDevices()
{
    QList<SerialDevice> devices;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
#ifdef Q_OS_WIN
        const QString device = info.portName(); // what "COM<n>" resolves to there
#else
        const QString device = info.systemLocation();
#endif
        devices.append({ device, info.description(), info.manufacturer() });
    }
    return devices;
}
