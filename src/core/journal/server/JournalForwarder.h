#pragma once

#include "core/journal/server/ServerThread.h"
#include "core/journal/store/JournalTypes.h"

#include <QCoreApplication>
#include <QObject>
#include <QString>

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
        Pending, // rows on their way, or committed and not yet looked at
        NotAnswering, // the server took a send and stayed silent; the rows wait locally
        Unreachable, // rows wait in the local journal; error and reason say why
    };

    Status status = Status::Starting;
    // Local rows not yet on the server; -1 while their number is not known (the server not
    // reached since the start, or rows committed since the last look).
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
// Confirm or Exit, and rows wait while the server is away.
class JournalForwarder : public QObject
{
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds kRetryFirst { 1000 };
    // After an outage the first attempt comes at most this long after the server is back.
    static constexpr std::chrono::milliseconds kRetryLongest { 5000 };

    JournalForwarder(QString journalPath, QString serverConnInfo, QObject *parent = nullptr);
    ~JournalForwarder() override;

    // Waits between attempts while the server fails: from first, doubling up to longest.
    void setRetryInterval(std::chrono::milliseconds first, std::chrono::milliseconds longest);
    // How long the server may stay silent on a send before it counts as not answering.
    void setServerTimeout(std::chrono::milliseconds timeout);
    void start();
    // Returns within half a second: a statement still running after a moment has its connection
    // cut, and a connection attempt in progress is left to end on its own thread.
    void stop();

    // A row was committed locally: it is pending from now on, and forwarded at once, even while
    // the forwarder waits to retry after a failure.
    void notifyCommitted();
    const ForwardState &state() const { return m_state; }

signals:
    void stateChanged(const ForwardState &state);

private:
    void onWorkerState(const ForwardState &state, quint64 commitsSeen);
    void show(const ForwardState &state);

    QString m_journalPath;
    QString m_connInfo;
    std::chrono::milliseconds m_retryFirst = kRetryFirst;
    std::chrono::milliseconds m_retryLongest = kRetryLongest;
    std::chrono::milliseconds m_serverTimeout;
    ServerThread m_thread { QStringLiteral("journal-forwarder") };
    ForwardWorker *m_worker = nullptr; // owned by m_thread while it runs
    std::shared_ptr<std::atomic_bool> m_stopping = std::make_shared<std::atomic_bool>(false);
    std::shared_ptr<ConnectionCutter> m_cutter;
    // notifyCommitted() calls so far, each after its commit: a pass that reads this number first
    // sees every row committed up to it.
    std::shared_ptr<std::atomic<quint64>> m_commits = std::make_shared<std::atomic<quint64>>(0);
    ForwardState m_state;
};
