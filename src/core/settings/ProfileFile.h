#pragma once

#include "core/settings/SettingsKeys.h"

#include <QString>
#include <QStringView>

// A private-profile settings file: "[section]" lines open sections, "key=value" lines follow.
// Sections and keys match without regard to case, a missing file or key gives the default, and
// every value is read from or written to the file at the moment it is needed (no cached copy).
// The file is GB18030; each write replaces it atomically and keeps every other line byte for
// byte.
class ProfileFile
{
public:
    explicit ProfileFile(QString path);

    // At most bufferSize - 1 bytes of the value (or of the default), whole characters only.
    QString ReadString(QStringView section, QStringView key, const QString &defaultValue,
                       int bufferSize) const;
    // The value's leading decimal number (a leading minus allowed), 0 when the value does not
    // begin with one; bounded to the range of int.
    int ReadInt(QStringView section, QStringView key, int defaultValue) const;
    // Creates file, section and key as needed and replaces an existing key's line in place.
    // False when the file cannot be written or the section or key cannot be stored as a line.
    bool WriteString(QStringView section, QStringView key, const QString &value);

    QString Read(const SettingsKeys::TextKey &key) const;
    int Read(const SettingsKeys::IntKey &key) const;
    bool WriteInt(QStringView section, QStringView key, int value);

    const QString &path() const { return m_path; }

private:
    QString m_path;
};
