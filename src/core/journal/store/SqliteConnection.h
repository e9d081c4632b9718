#pragma once

#include "core/journal/store/JournalConnection.h"

// A connection to the journal's SQLite file. It connects and sets the file's pragmas only; the
// schema (JournalSchema::Open) checks or migrates what the file holds.
class SqliteConnection : public JournalConnection
{
public:
    enum class OpenMode {
        Write, // creates the file as needed, WAL, synchronous=FULL
        Read, // an existing journal only, queries only
    };

    static constexpr int kDefaultBusyTimeoutMs = 4000;

    SqliteConnection() = default;
    ~SqliteConnection() override = default;

    JournalResult open(const QString &path, OpenMode mode,
                       int busyTimeoutMs = kDefaultBusyTimeoutMs);
    bool isServer() const override { return false; }

    static JournalResult ResultFromError(const QSqlError &error);

protected:
    JournalResult resultFromError(const QSqlError &error) const override
    {
        return ResultFromError(error);
    }
    // BEGIN IMMEDIATE takes the write lock first, so that reading the chain's head and appending
    // to it cannot interleave with another writer.
    QString beginStatement() const override { return QStringLiteral("BEGIN IMMEDIATE"); }
};
