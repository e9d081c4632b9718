#pragma once

#include "core/journal/store/SqliteConnection.h"

// The journal's tables, versioned by PRAGMA user_version: version 0 is an empty file, and each
// migration takes the file one version up in one transaction. A file of a newer version than
// this program knows is refused and never written.
class JournalSchema
{
public:
    static constexpr int kVersion = 2;

    // Opens the file and prepares it: a writer migrates it to kVersion, a reader needs kVersion.
    // On failure the connection is closed again.
    static JournalResult Open(SqliteConnection &db, const QString &path,
                              SqliteConnection::OpenMode mode,
                              int busyTimeoutMs = SqliteConnection::kDefaultBusyTimeoutMs);
    static JournalResult Prepare(SqliteConnection &db, bool mayWrite);
    static JournalResult ReadVersion(SqliteConnection &db, int &version);
};
