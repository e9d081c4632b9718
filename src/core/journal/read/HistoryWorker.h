#pragma once

#include "core/journal/read/HistoryReader.h"
#include "core/journal/server/ServerConnection.h"
#include "core/journal/store/SqliteConnection.h"

#include <QEvent>
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
                  std::shared_ptr<HistoryRequests> requests);

    // Posted for each request pushed, the only event of its own the worker is sent: it runs one
    // request per event, so that a stop comes between two.
    static constexpr QEvent::Type kRequestEvent = QEvent::User;

    const std::shared_ptr<ConnectionCutter> &cutter() const { return m_server.cutter(); }

    void openSource(quint64 request);
    void readPage(quint64 request, RunFilter filter, int limit, std::optional<JournalRun> after);
    void readRun(quint64 request, const JournalRun &run);
    void exportCsv(quint64 request, const QList<RunKey> &keys, const QString &path);
    void readReport(quint64 request, const RunKey &key, const QString &path);
    void writeAccount(quint64 request, const AccountRequest &what, const QString &keyPath,
                      const AccountPolicy &policy);

signals:
    // An answer waits for the reader.
    void answered();

protected:
    void customEvent(QEvent *) override;

private:
    void answer(std::function<void(HistoryReader &)> call);
    // The source, the server connection opened again after a request lost it.
    JournalResult ready();
    // After a request: a server that failed it is connected afresh for the next.
    void done(const JournalResult &result);
    JournalConnection &source();

    QString m_journalPath;
    QString m_connInfo;
    std::shared_ptr<HistoryRequests> m_requests;
    SqliteConnection m_file;
    ServerConnection m_server;
    bool m_fromServer = false;
    JournalHistory m_history { m_file };
};
