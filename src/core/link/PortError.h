#pragma once

#include <QMetaType>
#include <QString>

// Why a port could not be opened, naming the device, so that "not connected" says what to fix.
struct PortError
{
    enum class Kind {
        None,
        Missing, // no such device (unplugged, or a name that stands for nothing)
        NotSerial, // a regular file, a directory, a FIFO, /dev/null: not a terminal
        Busy, // open in another program, or access refused
        // Not the device the channel was opened on: the name now leads to another one.
        OtherDevice,
        Other, // the system's own message in `system`
    };

    Kind kind = Kind::None;
    QString device;
    QString system;

    explicit operator bool() const { return kind != Kind::None; }
    // One line for the user: the device and what is wrong with it.
    QString text() const;

    // Missing or NotSerial for a path that cannot be a serial line, without opening it, so that
    // a FIFO or a directory never reaches an open() that might wait. None where only an open
    // can tell (a character device, or a Windows port name).
    static PortError check(const QString &device);
};

Q_DECLARE_METATYPE(PortError)
