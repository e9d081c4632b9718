#pragma once

#include "core/journal/server/ConnectionCutter.h"
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
                  std::shared_ptr<ConnectionCutter> cutter, std::chrono::milliseconds retryFirst,
                  std::chrono::milliseconds retryLongest);
    ~ForwardWorker() override;

    void begin();
    void schedule();

signals:
    void stateChanged(const ForwardState &state);

private:
    void pass();
    JournalResult openBoth();
    void closeServer();
    JournalResult forwardStation(const QString &station);
    JournalResult sendBatch(const QString &station, const QList<ChainRow> &rows);
    JournalResult readRows(const QString &station, qint64 after, QList<ChainRow> &rows);
    JournalResult localStations(QStringList &stations);
    JournalResult localIdentity();
    JournalResult localHead(const QString &station, qint64 &seq);
    JournalResult serverHead(const QString &station, qint64 &seq);
    JournalResult checkSameRow(const QString &station, qint64 seq);
    qint64 pendingRows() const;
    void publish(ForwardState::Status status, const JournalResult &result = {});

    QString m_journalPath;
    QString m_connInfo;
    std::shared_ptr<const std::atomic_bool> m_stopping;
    std::shared_ptr<ConnectionCutter> m_cutter;
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
};
