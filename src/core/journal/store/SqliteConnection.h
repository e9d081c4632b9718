#pragma once

#include "core/journal/store/JournalConnection.h"

// A connection to the journal's SQLite file. It connects only; the schema (JournalSchema::Open)
// checks what the file holds, then has it written. Only SQLite ever opens the journal's files:
// closing any other descriptor of them would drop the locks SQLite holds in this process, and the
// next outside reader would delete the write-ahead log under the writer.
class SqliteConnection : public JournalConnection
{
public:
    enum class OpenMode {
        Write, // creates the file as needed; nothing is written before enableWriting()
        Read, // an existing journal only, opened read-only: it may lie on read-only media
    };

    static constexpr int kDefaultBusyTimeoutMs = 4000;

    SqliteConnection() = default;
    ~SqliteConnection() override = default;

    JournalResult open(const QString &path, OpenMode mode,
                       int busyTimeoutMs = kDefaultBusyTimeoutMs);
    // Foreign keys, WAL and synchronous=FULL, for a writer of a file known to be a journal (or a
    // new one).
    JournalResult enableWriting();
    bool isServer() const override { return false; }

    static JournalResult ResultFromError(const QSqlError &error);
    // A path SQLite may be given: a regular file, a link to one, or nothing yet. Looked at
    // without opening it.
    static JournalResult CheckPath(const QString &path);

protected:
    JournalResult resultFromError(const QSqlError &error) const override
    {
        return ResultFromError(error);
    }
    // BEGIN IMMEDIATE takes the write lock first, so that reading the chain's head and appending
    // to it cannot interleave with another writer.
    QString beginStatement() const override { return QStringLiteral("BEGIN IMMEDIATE"); }

private:
    JournalResult connect(const QString &name, const QString &options,
                          const QString &firstStatement);

    int m_busyTimeoutMs = kDefaultBusyTimeoutMs;
};
