#pragma once

#include "core/settings/ProfileFile.h"
#include "core/settings/SettingsKeys.h"

#include <QObject>
#include <QString>

#include <initializer_list>

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

    // One key's new value, integers as "%d" gives them. It views the key's names, so it is made
    // in the call that writes it.
    struct Change
    {
        Change(const SettingsKeys::TextKey &key, QString text);
        Change(const SettingsKeys::IntKey &key, int number);
        Change(const SettingsKeys::PortKey &key, QString device);

        QStringView section;
        QStringView key;
        QString value;
    };

    // Changes the values, in their order, and saves the file once. True when the file holds the
    // changes; the values read back are the new ones either way.
    bool Write(std::initializer_list<Change> changes);
    bool Write(const SettingsKeys::TextKey &key, const QString &value);
    bool Write(const SettingsKeys::IntKey &key, int value);
    bool Write(const SettingsKeys::PortKey &key, const QString &device);

signals:
    // The first problem only: one message is enough to tell that settings are not kept.
    void problem(Settings::Problem problem, const QString &reason);

private:
    bool Save();
    void Report(Problem kind, const QString &reason);

    QString m_path;
    ProfileFile m_document;
    bool m_bSavable = true;
    bool m_bReported = false;
};
