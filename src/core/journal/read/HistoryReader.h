#pragma once

#include "core/journal/accounts/AccountJournal.h"
#include "core/journal/accounts/RunAudit.h"
#include "core/journal/read/CsvExport.h"
#include "core/journal/read/HandOver.h"
#include "core/journal/read/JournalHistory.h"
#include "core/journal/server/ServerThread.h"
#include "core/report/RunReport.h"

#include <QObject>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class ConnectionCutter;
class HistoryReader;
class HistoryWorker;

// Where the history reads from: the lab server when one is configured and can be read (every
// station's runs), else this station's own journal.
struct HistorySource
{
    bool serverConfigured = false;
    bool fromServer = false;
    JournalResult serverResult; // why the server is not read
    JournalResult result; // the source could not be opened; NotOpen: no journal yet
    QStringList stations; // the server's stations with runs
};

// A page of the runs that match a filter; the first page of a filter comes with their count.
struct RunPage
{
    JournalResult result;
    QList<JournalRun> runs;
    int matchCount = -1;
};

// One run with its readings, and what its chart shows: the run's own statistics where its table
// showed them, otherwise the same rule over the readings held, so that an unfinished run or one
// without a shown deviation still has its mean line and band.
struct RunDetail
{
    JournalResult result;
    JournalRun run;
    QList<JournalReading> readings;
    std::optional<double> mean;
    std::optional<double> deviation;
    RunAudit audit {}; // signatures, exclusions, trail

    static RunDetail Of(const JournalRun &run, const QList<JournalReading> &readings);
};

// A signature of a run, or an exclusion of one of its readings (meaning unset), with the
// signer's password.
struct AccountRequest
{
    JournalRun run;
    Credentials who;
    std::optional<Meaning> meaning;
    QString comment;
    int reading = 0;
    QString reason;
};

// What the reader and its worker hand each other, each way in order; the newest request of each
// kind is kept, so that the worker skips the ones already stale.
struct HistoryRequests
{
    std::atomic<quint64> source { 0 };
    std::atomic<quint64> list { 0 };
    std::atomic<quint64> run { 0 };
    HandOver<std::function<void(HistoryWorker &)>> toWorker;
    HandOver<std::function<void(HistoryReader &)>> toReader;
};

// The history of the journal for a window that must never wait for it: every query runs on a
// thread of its own (HistoryWorker), which owns the connections, and answers by queued signals.
// Each answer carries the number of its request, so that one made stale by a newer request (a
// filter typed on, another run selected) is dropped, and requests already stale when the worker
// comes to them are skipped. Here, on the caller's thread, the runs that match the filter are
// held, newest first: the first page is read when the filter is set and each further one when
// the view scrolls near the end, each continuing after the last run held.
class HistoryReader : public QObject
{
    Q_OBJECT

public:
    static constexpr int kDefaultPageSize = 200;

    // serverConnInfo: the lab server's, or empty for this station's journal only.
    HistoryReader(QString journalPath, QString serverConnInfo, int pageSize = kDefaultPageSize,
                  QObject *parent = nullptr);
    // Returns at once: a query the worker is still in is cut or left to end on its own.
    ~HistoryReader() override;

    // How long the server may stay silent on a query before it is given up.
    void setServerTimeout(std::chrono::milliseconds timeout);

    // Opens the source afresh (the server is tried again), then reads the first page.
    void reload(const RunFilter &filter);
    // The first page of the runs that match, and their count; the runs held so far stay until
    // it comes.
    void setFilter(const RunFilter &filter);
    bool canFetchMore() const;
    void fetchMore();
    // Reads the run's readings; none for no run.
    void showRun(const std::optional<JournalRun> &run);
    void exportCsv(const QList<RunKey> &keys, const QString &path);
    // The content of the run's PDF report, for the file at path; answered by reportRead.
    void readReport(const RunKey &key, const QString &path);
    // Written through a short-lived writer of this station's journal (keyed with the key at
    // keyPath) on the reader's thread; the run shown is read again after it.
    void writeAccount(const AccountRequest &request, const QString &keyPath,
                      const AccountPolicy &policy);

    const HistorySource &source() const { return m_source; }
    const RunFilter &filter() const { return m_filter; }
    const QList<JournalRun> &runs() const { return m_runs; }
    // Every run that matches, fetched or not.
    int matchCount() const { return m_matchCount; }
    const std::optional<RunDetail> &shownRun() const { return m_shown; }
    // A source, a page or a run is asked for and not yet answered.
    bool isLoading() const { return m_sourceRequest || m_listRequest || m_runRequest; }

signals:
    void sourceChanged();
    void runsAboutToReset();
    void runsReset();
    void runsAboutToAppend(int first, int last);
    void runsAppended();
    void shownRunChanged();
    void loadingChanged(bool loading);
    void readFailed(const JournalResult &result);
    void exported(const QString &path, const JournalResult &result);
    void reportRead(const QString &path, const JournalResult &result, const RunReport &report);
    void accountWritten(const AccountOutcome &outcome);

private:
    friend class HistoryWorker; // answers through the on...() functions
    void takeAnswer();
    void requestPage(bool first);
    void onSourceOpened(quint64 request, const HistorySource &source);
    void onPageRead(quint64 request, const RunPage &page);
    void onRunRead(quint64 request, const RunDetail &detail);
    void onExported(quint64 request, const QString &path, const JournalResult &result);
    void onReportRead(quint64 request, const QString &path, const JournalResult &result,
                      const RunReport &report);
    void onAccountWritten(quint64 request, const AccountOutcome &outcome);
    // A new request of the kind `latest` counts, for call(worker, request) on the worker's
    // thread.
    template<typename Call>
    quint64 ask(std::atomic<quint64> *latest, Call call);
    void setLoading(quint64 &awaited, quint64 request);

    int m_pageSize;
    ServerThread m_thread { QStringLiteral("journal-history") };
    HistoryWorker *m_worker = nullptr; // owned by m_thread
    std::shared_ptr<ConnectionCutter> m_cutter;
    std::shared_ptr<HistoryRequests> m_requests = std::make_shared<HistoryRequests>();
    quint64 m_requestCount = 0;
    quint64 m_sourceRequest = 0; // awaited, or 0
    quint64 m_listRequest = 0;
    quint64 m_runRequest = 0;
    QList<quint64> m_exportRequests;
    QList<quint64> m_reportRequests;
    QList<quint64> m_accountRequests;

    HistorySource m_source;
    RunFilter m_filter;
    QList<JournalRun> m_runs;
    int m_matchCount = 0;
    bool m_atEnd = true;
    bool m_pageIsFirst = true; // the page awaited
    std::optional<RunDetail> m_shown;
};
