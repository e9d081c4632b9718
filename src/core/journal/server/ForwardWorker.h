#pragma once

#include "core/journal/server/JournalForwarder.h"
#include "core/journal/server/ServerConnection.h"
#include "core/journal/store/JournalRows.h"
#include "core/journal/store/SqliteConnection.h"

#include <QFileSystemWatcher>
#include <QHash>
#include <QObject>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <memory>

class QSqlQuery;

// The forwarder's worker: owns a read connection to the local journal and one to the server, both
// opened on its own thread. A pass compares, for every station in the local journal, the highest
// sequence number on the server under this journal's identity with the local one, checks that both
// hold the same hash there, and sends the rows after it in batches, one server transaction each.
class ForwardWorker : public QObject
{
    Q_OBJECT

public:
    ForwardWorker(QString journalPath, QString connInfo,
                  std::shared_ptr<const std::atomic_bool> stopping,
                  std::chrono::milliseconds serverTimeout, std::chrono::milliseconds retryFirst,
                  std::chrono::milliseconds retryLongest,
                  std::shared_ptr<const std::atomic<quint64>> commits);
    ~ForwardWorker() override;

    // For the forwarder's thread, to cut the server connection at a stop.
    const std::shared_ptr<ConnectionCutter> &cutter() const { return m_server.cutter(); }

    void begin();
    // Another writer changed the journal: a pass soon, but a retry after a failure keeps its
    // delay.
    void schedule();
    // The forwarder committed a row: a pass at once.
    void tryNow();

signals:
    // commitsSeen: the forwarder's commits that the pass behind this state saw.
    void stateChanged(const ForwardState &state, quint64 commitsSeen);

private:
    void pass();
    JournalResult openLocal();
    JournalResult openBoth();
    JournalResult forwardStation(const QString &station);
    JournalResult sendBatch(const QString &station, const QList<ChainRow> &rows);
    JournalResult readRows(const QString &station, qint64 after, QList<ChainRow> &rows);
    JournalResult localStations(QStringList &stations);
    JournalResult localIdentity();
    // The stations of the local journal, and the head of each.
    JournalResult readLocal(QStringList &stations);
    JournalResult serverHead(const QString &station, qint64 &seq);
    JournalResult checkSameRow(const QString &station, qint64 seq);
    qint64 pendingRows() const;
    void publish(ForwardState::Status status, const JournalResult &result = {});

    QString m_journalPath;
    QString m_connInfo;
    std::shared_ptr<const std::atomic_bool> m_stopping;
    std::chrono::milliseconds m_retryFirst;
    std::chrono::milliseconds m_retryLongest;
    std::chrono::milliseconds m_retryNext;
    SqliteConnection m_local;
    QString m_journalId; // the local journal's identity, part of every row's key on the server
    ServerConnection m_server;
    QTimer m_soon { this };
    QTimer m_settle { this };
    QFileSystemWatcher m_watcher { this };
    QHash<QString, qint64> m_localHead; // by station
    QHash<QString, qint64> m_serverHead; // as last seen
    ForwardState m_state;
    std::shared_ptr<const std::atomic<quint64>> m_commits; // the forwarder's, so far
    quint64 m_passCommits = 0; // as the current or last pass began
    quint64 m_commitsPublished = 0;
};
