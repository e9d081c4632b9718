#pragma once

#include <QDateTime>
#include <QString>

inline constexpr QStringView kJournalFileName = u"VelmoraJournal.sqlite";

// The journal beside the settings file, or where the settings value [journal] path puts it (a
// relative path is taken from the settings file's folder).
QString JournalFilePath(const QString &settingsPath, const QString &configuredPath = {});

// The station's chain key (ChainKey) beside the settings file, wherever the journal is.
QString ChainKeyPath(const QString &settingsPath);

// A name beside the journal that no file has yet, for moving a damaged journal aside:
// "<name>.corrupt-<UTC time>.sqlite", with a counter when that too exists.
QString CorruptAsideName(const QString &journalPath, const QDateTime &nowUtc);
