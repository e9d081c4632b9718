#pragma once

#include "core/journal/store/SqliteConnection.h"

// The journal's tables, versioned by PRAGMA user_version: version 0 is an empty file, and each
// migration takes the file one version up in one transaction. A file of a newer version than
// this program knows is refused and never written. PRAGMA application_id marks the file as ours
// (from version 3; older journals are known by their tables): only such a file is ever written,
// moved or renamed.
class JournalSchema
{
public:
    static constexpr int kVersion = 5;
    static constexpr int kApplicationId = 0x564c4d52; // "VLMR"

    // Opens the file and prepares it: a writer migrates it to kVersion (stationKey keys the
    // chains a journal of version 2 holds), a reader needs kVersion. On failure the connection
    // is closed again. A writer of an existing file also runs SQLite's quick_check: a damaged
    // journal is Error::Corrupt; a file that is not a journal of ours, Error::NotJournal.
    static JournalResult Open(SqliteConnection &db, const QString &path,
                              SqliteConnection::OpenMode mode,
                              int busyTimeoutMs = SqliteConnection::kDefaultBusyTimeoutMs,
                              const QByteArray &stationKey = {});
    static JournalResult Prepare(SqliteConnection &db, bool mayWrite,
                                 const QByteArray &stationKey = {});
    static JournalResult ReadVersion(SqliteConnection &db, int &version);
    // Whether the file is a journal of ours, an older one, or an empty database.
    static JournalResult CheckOurs(SqliteConnection &db);
    static JournalResult QuickCheck(SqliteConnection &db);
    // The random identity a journal is created with.
    static JournalResult ReadIdentity(JournalConnection &db, QString &identity);
};
