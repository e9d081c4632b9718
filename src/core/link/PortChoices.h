#pragma once

#include "core/link/PortName.h"

#include <QList>
#include <QString>

// A serial device as the system reports it.
struct SerialDevice
{
    QString device; // what the channel opens: "/dev/ttyUSB0", "COM3"
    QString description; // "FT232R USB UART"; may be empty
    QString maker; // "FTDI"; may be empty
};

// The entries of the login dialog's port list. Entry k (1-based) always stands for the port
// "COM<k>", so the stored index of the chosen entry keeps its meaning: the window opens
// COM<index + 1>, resolved through the settings' `ports` section.
class PortChoices
{
public:
    struct Entry
    {
        int number = 0; // k of "COM<k>"
        QString device; // what the port opens, where worth showing; empty otherwise
        QString description;
        QString maker;
        // A device that no port resolved to: choosing it maps "COM<number>" to `device`.
        bool needsMapping = false;
    };

    // Ports are looked up in the settings up to this number.
    static constexpr int kHighestPort = 64;

    // Entries 1 to `baseCount` are always there; a port shows its device when the system has
    // it, or when the settings map the port by hand. Beyond them come the ports mapped in the
    // settings, then the devices that no entry resolves to, filling gaps in the numbering first.
    PortChoices(int baseCount, const PortLookup &lookup, const QList<SerialDevice> &devices);

    const QList<Entry> &entries() const { return m_entries; }

    static QList<SerialDevice> systemDevices();

private:
    QList<Entry> m_entries;
};
