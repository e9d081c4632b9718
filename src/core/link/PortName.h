#pragma once

#include <QString>

#include <functional>

// Looks up the device of a "COM<n>" port by its key; an empty result means "not set".
// The window passes the settings file's `ports` section here, so the link never reads settings.
using PortLookup = std::function<QString(const QString &key)>;

// The device that a port name stands for. "COM<n>" (n >= 1) is looked up under the key
// "COM<n>"; without an entry it is "COM<n>" on Windows and "/dev/ttyS<n-1>" elsewhere.
// Any other name (a device path, "ttyUSB0", a malformed "COM" name) is used as it stands,
// so that opening it fails or succeeds on its own merits.
QString ResolvePortDevice(const QString &portName, const PortLookup &lookup = {});

// Where the system finds a device name: QSerialPort's own rule, a bare name ("ttyUSB0") lives
// in /dev on Unix. Unchanged elsewhere ("COM3").
QString DeviceLocation(const QString &device);
