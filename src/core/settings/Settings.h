#pragma once

#include "core/settings/ProfileFile.h"
#include "core/settings/SettingsKeys.h"

#include <QObject>
#include <QString>

// The settings file of the program, read once and kept in memory; every change is saved at once
// through Save(), the one place that writes the file. Keys follow the key table of SettingsKeys
// with the profile rules of ProfileFile.
//
// Only a regular file (or a link to one) of at most kMaxFileSize bytes is read, without ever
// blocking on open; anything else is reported and treated as absent, and never overwritten. Each
// save replaces the file atomically. A file that cannot be read or saved is reported once through
// problem(); the program goes on with the values in memory.
class Settings : public QObject
{
    Q_OBJECT

public:
    static constexpr qint64 kMaxFileSize = 1024 * 1024;

    enum class Problem {
        Unreadable, // not a regular file, too large or not readable: defaults, never overwritten
        Unsaved, // a change could not be saved
    };
    Q_ENUM(Problem)

    explicit Settings(QString path, QObject *parent = nullptr);

    // Reads the file; nothing is read before. A missing file means every key's default.
    void Load();

    const QString &Path() const { return m_path; }

    QString Read(const SettingsKeys::TextKey &key) const;
    // The same with another default, cut to the key's byte limit all the same.
    QString Read(const SettingsKeys::TextKey &key, const QString &defaultValue) const;
    int Read(const SettingsKeys::IntKey &key) const;
    QString Read(const SettingsKeys::PortKey &key) const;

    // Changes the value and saves the file. True when the file holds the change; the value read
    // back is the new one either way.
    bool Write(const SettingsKeys::TextKey &key, const QString &value);
    bool Write(const SettingsKeys::IntKey &key, int value);
    bool Write(const SettingsKeys::PortKey &key, const QString &device);

signals:
    // The first problem only: one message is enough to tell that settings are not kept.
    void problem(Settings::Problem problem, const QString &reason);

private:
    bool Store(QStringView section, QStringView key, const QString &value);
    bool Save();
    void Report(Problem kind, const QString &reason);

    QString m_path;
    ProfileFile m_document;
    bool m_bSavable = true;
    bool m_bReported = false;
};
