#pragma once

#include "core/journal/store/JournalTypes.h"

#include <QCoreApplication>
#include <QObject>
#include <QString>
#include <QThread>

#include <atomic>
#include <chrono>
#include <memory>

class ConnectionCutter;
class ForwardWorker;

// What the window shows of the forwarding to the lab server.
struct ForwardState
{
    Q_DECLARE_TR_FUNCTIONS(ForwardState)

public:
    enum class Status {
        Starting, // not yet in touch with the server
        Synced, // every local row is on the server
        Pending, // connected, rows on their way
        Unreachable, // rows wait in the local journal; error and reason say why
    };

    Status status = Status::Starting;
    // Local rows not yet on the server; -1 while the server's rows are unknown (not reached
    // since the start).
    qint64 pendingRows = 0;
    JournalResult::Error error = JournalResult::Error::None;
    QString reason; // the server's or the driver's own text

    // One line for the window, in the user's language; the reason stays the server's own.
    QString text() const;

    friend bool operator==(const ForwardState &, const ForwardState &) = default;
};

// Sends every row of the local journal that the lab server lacks, on a worker thread of its own,
// in chain order, each once: the server's keys are the station and the row's sequence number (or
// run id), so a batch retried after a cut inserts nothing twice, and a row the server already
// holds must carry the same hash. The local journal stays the record: nothing here ever blocks a
// Confirm, and rows wait while the server is away.
class JournalForwarder : public QObject
{
    Q_OBJECT

public:
    JournalForwarder(QString journalPath, QString serverConnInfo, QObject *parent = nullptr);
    ~JournalForwarder() override;

    // Waits between attempts while the server fails: from first, doubling up to longest.
    void setRetryInterval(std::chrono::milliseconds first, std::chrono::milliseconds longest);
    void start();
    // Returns once the worker is gone. A connection attempt in progress ends first (at most the
    // connection timeout); a server that stopped answering has its connection cut.
    void stop();
    bool isRunning() const { return m_thread.isRunning(); }

    // A row was committed locally: forward it now rather than at the next file change.
    void notifyCommitted();
    const ForwardState &state() const { return m_state; }

signals:
    void stateChanged(const ForwardState &state);

private:
    QString m_journalPath;
    QString m_connInfo;
    std::chrono::milliseconds m_retryFirst { 1000 };
    std::chrono::milliseconds m_retryLongest { 30000 };
    QThread m_thread;
    ForwardWorker *m_worker = nullptr; // lives on m_thread, which deletes it as it finishes
    std::shared_ptr<std::atomic_bool> m_stopping = std::make_shared<std::atomic_bool>(false);
    std::shared_ptr<ConnectionCutter> m_cutter;
    ForwardState m_state;
};
