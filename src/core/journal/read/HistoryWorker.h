#pragma once

#include "core/journal/read/HistoryReader.h"
#include "core/journal/server/ServerConnection.h"
#include "core/journal/store/SqliteConnection.h"

#include <QObject>

// The history reader's worker, on a thread of its own: it owns the connection to this station's
// journal and the one to the lab server, opened there, and answers each request with its number.
// The server connection is idle between requests, so that the watchdog gives up only a server
// that leaves a query unanswered.
class HistoryWorker : public QObject
{
    Q_OBJECT

public:
    HistoryWorker(QString journalPath, QString serverConnInfo,
                  std::shared_ptr<const HistoryRequests> latest);

    const std::shared_ptr<ConnectionCutter> &cutter() const { return m_server.cutter(); }

    void openSource(quint64 request);
    void readPage(quint64 request, RunFilter filter, int limit, std::optional<JournalRun> after);
    void readRun(quint64 request, const JournalRun &run);
    void exportCsv(quint64 request, const QList<RunKey> &keys, const QString &path);

signals:
    void sourceOpened(quint64 request, const HistorySource &source);
    void pageRead(quint64 request, const RunPage &page);
    void runRead(quint64 request, const RunDetail &detail);
    void exported(quint64 request, const QString &path, const JournalResult &result);

private:
    // The source, the server connection opened again after a request lost it.
    JournalResult ready();
    // After a request: a server that failed it is connected afresh for the next.
    void done(const JournalResult &result);

    QString m_journalPath;
    QString m_connInfo;
    std::shared_ptr<const HistoryRequests> m_latest;
    SqliteConnection m_file;
    ServerConnection m_server;
    bool m_fromServer = false;
    JournalHistory m_history { m_file };
};
