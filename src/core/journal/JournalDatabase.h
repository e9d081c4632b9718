#pragma once

#include "core/journal/JournalTypes.h"

#include <QSqlDatabase>
#include <QString>

class QSqlError;
class QSqlQuery;

// One named SQLite connection to the journal file, owned for its whole life: each instance has a
// connection of its own, so several journals, windows and threads never share one. A connection
// belongs to the thread that opened it.
class JournalDatabase
{
public:
    enum class OpenMode {
        Write, // creates and migrates the file as needed, WAL, synchronous=FULL
        Read, // an existing journal only, queries only
    };

    static constexpr int kDefaultBusyTimeoutMs = 4000;

    JournalDatabase();
    ~JournalDatabase();
    JournalDatabase(const JournalDatabase &) = delete;
    JournalDatabase &operator=(const JournalDatabase &) = delete;

    JournalResult open(const QString &path, OpenMode mode,
                       int busyTimeoutMs = kDefaultBusyTimeoutMs);
    // A lab server instead of a file: connInfo is a libpq connection string or "service=NAME";
    // secrets come from libpq's password and service files, never from here. The same queries
    // (history, export, verify) then read the server's journal of every station.
    JournalResult openServer(const QString &connInfo);
    void close();
    bool isOpen() const { return m_open; }
    bool isServer() const { return m_server; }
    const QString &path() const { return m_path; }
    QSqlDatabase database() const;
    // The socket of an open server connection; -1 otherwise.
    int serverSocket() const;

    // BEGIN IMMEDIATE takes the write lock first, so that reading the chain's head and appending
    // to it cannot interleave with another writer.
    JournalResult begin();
    JournalResult commit();
    void rollback();

    // Prepares and runs a statement with its bound values; the query is left on its result.
    JournalResult exec(QSqlQuery &query, const QString &sql, const QVariantList &values = {});

    static JournalResult ResultFromError(const QSqlError &error);

private:
    JournalResult connect(OpenMode mode, int busyTimeoutMs);

    QString m_connectionName;
    QString m_path;
    bool m_open = false;
    bool m_server = false;
};
