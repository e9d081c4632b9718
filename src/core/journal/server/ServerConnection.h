#pragma once

#include "core/journal/store/JournalConnection.h"

#include <chrono>
#include <memory>

class ConnectionCutter;

// A connection to the lab server's PostgreSQL database, through Qt's QPSQL driver. connInfo is a
// libpq connection string or a bare service name; secrets come from libpq's password and service
// files, never from here. The journal's own queries (history, export, verification) then read the
// server's journal of every station.
//
// No statement waits for the server for ever: the server ends one that runs past the timeout, and
// a watchdog gives the server up when it stays silent as long while a statement waits for it (a
// frozen server answers nothing, not even its own timeout). The connection is busy from open on;
// an owner that keeps it open between pieces of work says when it is idle.
class ServerConnection : public JournalConnection
{
public:
    static constexpr std::chrono::milliseconds kDefaultTimeout { 10000 };

    explicit ServerConnection(std::chrono::milliseconds timeout = kDefaultTimeout);
    ~ServerConnection() override;

    // Set on every connection, so that the journal's queries name tables as locally.
    static const QString kSearchPath;

    JournalResult open(const QString &connInfo);
    void close();
    bool isServer() const override { return true; }

    // The watchdog's bound, also given to the server as its statement timeout.
    std::chrono::milliseconds timeout() const;
    void setIdle(bool idle);
    // Shared with a thread that may have to cut the connection at once (a stop).
    const std::shared_ptr<ConnectionCutter> &cutter() const { return m_cutter; }
    // The server stayed silent past the timeout, and the connection was cut.
    bool gaveUp() const;

    // QPSQL appends its connect options to the libpq connection string: a bare word is a service
    // name; a host or a network that stops answering must not hold anyone for long.
    static QString ConnectOptions(const QString &connInfo);

    // What a failed statement or connection attempt means, in the terms of JournalResult.
    JournalResult resultFromError(const QSqlError &error) const override;

protected:
    QString beginStatement() const override { return QStringLiteral("BEGIN"); }

private:
    std::shared_ptr<ConnectionCutter> m_cutter;
};
