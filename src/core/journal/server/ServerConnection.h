#pragma once

#include "core/journal/store/JournalConnection.h"

// A connection to the lab server's PostgreSQL database, through Qt's QPSQL driver. connInfo is a
// libpq connection string or a bare service name; secrets come from libpq's password and service
// files, never from here. The journal's own queries (history, export, verification) then read the
// server's journal of every station.
class ServerConnection : public JournalConnection
{
public:
    ServerConnection() = default;
    ~ServerConnection() override = default;

    // Set on every connection, so that the journal's queries name tables as locally.
    static const QString kSearchPath;

    JournalResult open(const QString &connInfo);
    bool isServer() const override { return true; }
    // The socket of the open connection, for ConnectionCutter; -1 otherwise.
    int socket() const;

    // QPSQL appends its connect options to the libpq connection string: a bare word is a service
    // name; a connection that hangs must not hold anyone for long.
    static QString ConnectOptions(const QString &connInfo);
    static JournalResult ConnectError(const QSqlError &error);
    static JournalResult ResultFromError(const QSqlError &error);

protected:
    JournalResult resultFromError(const QSqlError &error) const override
    {
        return ResultFromError(error);
    }
    QString beginStatement() const override { return QStringLiteral("BEGIN"); }
};
