#include "core/journal/read/HistoryReader.h"

#include "core/journal/read/HistoryWorker.h"
#include "core/journal/server/ConnectionCutter.h"
#include "core/measure/RunStatistics.h"

#include <QCoreApplication>

namespace {

// A query still running as the window closes is cut at once: reads can be asked again.
constexpr std::chrono::milliseconds kStopGrace { 50 };
constexpr std::chrono::milliseconds kStopBound { 250 };

std::optional<double> NumberOf(const QString &text)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok ? std::optional(value) : std::nullopt;
}

} // namespace

RunDetail RunDetail::Of(const JournalRun &run, const QList<JournalReading> &readings)
{
    RunDetail detail {
        {}, run, readings, NumberOf(run.totals.mean), NumberOf(run.totals.deviation)
    };
    QList<float> samples;
    for (const JournalReading &reading : readings)
        samples << static_cast<float>(reading.value);
    const RunStatistics computed = ComputeRunStatistics(samples);
    if (!detail.mean && !samples.isEmpty())
        detail.mean = static_cast<double>(computed.mean);
    if (!detail.deviation && samples.size() > 1)
        detail.deviation = computed.deviation;
    return detail;
}

HistoryReader::HistoryReader(QString journalPath, QString serverConnInfo, int pageSize,
                             QObject *parent)
    : QObject(parent)
    , m_pageSize(std::max(1, pageSize))
{
    auto *worker = new HistoryWorker(std::move(journalPath), std::move(serverConnInfo), m_requests);
    m_cutter = worker->cutter();
    connect(worker, &HistoryWorker::answered, this, &HistoryReader::takeAnswer);
    m_worker = worker;
    m_thread.start(worker, {});
}

HistoryReader::~HistoryReader()
{
    m_thread.stop(kStopGrace, kStopBound, [cutter = m_cutter] { cutter->cut(); });
}

template<typename Call>
quint64 HistoryReader::ask(std::atomic<quint64> *latest, Call call)
{
    const quint64 request = ++m_requestCount;
    if (latest)
        latest->store(request);
    m_requests->toWorker.push([request, call](HistoryWorker &worker) { call(worker, request); });
    // An event rather than a connection: nothing ties this object to one on the worker's thread.
    QCoreApplication::postEvent(m_worker, new QEvent(HistoryWorker::kRequestEvent));
    return request;
}

void HistoryReader::takeAnswer()
{
    if (const std::function<void(HistoryReader &)> answer = m_requests->toReader.take())
        answer(*this);
}

void HistoryReader::setLoading(quint64 &awaited, quint64 request)
{
    const bool was = isLoading();
    awaited = request;
    if (isLoading() != was)
        emit loadingChanged(isLoading());
}

void HistoryReader::setServerTimeout(std::chrono::milliseconds timeout)
{
    // The server connection's bound lives in its cutter, which both threads may touch.
    m_cutter->setBound(timeout);
}

void HistoryReader::reload(const RunFilter &filter)
{
    setLoading(m_sourceRequest,
               ask(&m_requests->source,
                   [](HistoryWorker &worker, quint64 request) { worker.openSource(request); }));
    setFilter(filter);
}

void HistoryReader::setFilter(const RunFilter &filter)
{
    m_filter = filter;
    requestPage(true);
}

bool HistoryReader::canFetchMore() const
{
    return !m_atEnd && !m_listRequest;
}

void HistoryReader::fetchMore()
{
    if (canFetchMore())
        requestPage(false);
}

void HistoryReader::requestPage(bool first)
{
    std::optional<JournalRun> after;
    if (!first && !m_runs.isEmpty())
        after = m_runs.constLast();
    m_pageIsFirst = !after;
    setLoading(
        m_listRequest,
        ask(&m_requests->list,
            [filter = m_filter, limit = m_pageSize, after](HistoryWorker &worker, quint64 request) {
                worker.readPage(request, filter, limit, after);
            }));
}

void HistoryReader::showRun(const std::optional<JournalRun> &run)
{
    m_shown.reset();
    emit shownRunChanged();
    if (!run) {
        m_requests->run.store(++m_requestCount); // what is still due is stale
        return setLoading(m_runRequest, 0);
    }
    setLoading(m_runRequest,
               ask(&m_requests->run, [run = *run](HistoryWorker &worker, quint64 request) {
                   worker.readRun(request, run);
               }));
}

void HistoryReader::exportCsv(const QList<RunKey> &keys, const QString &path)
{
    m_exportRequests << ask(nullptr, [keys, path](HistoryWorker &worker, quint64 request) {
        worker.exportCsv(request, keys, path);
    });
}

void HistoryReader::readReport(const RunKey &key, const QString &path)
{
    m_reportRequests << ask(nullptr, [key, path](HistoryWorker &worker, quint64 request) {
        worker.readReport(request, key, path);
    });
}

void HistoryReader::onReportRead(quint64 request, const QString &path, const JournalResult &result,
                                 const RunReport &report)
{
    if (m_reportRequests.removeOne(request))
        emit reportRead(path, result, report);
}

void HistoryReader::writeAccount(const AccountRequest &request, const QString &keyPath,
                                 const AccountPolicy &policy)
{
    m_accountRequests << ask(nullptr,
                             [request, keyPath, policy](HistoryWorker &worker, quint64 number) {
                                 worker.writeAccount(number, request, keyPath, policy);
                             });
}

void HistoryReader::onAccountWritten(quint64 request, const AccountOutcome &outcome)
{
    if (!m_accountRequests.removeOne(request))
        return;
    emit accountWritten(outcome);
    if (m_shown)
        showRun(m_shown->run);
}

void HistoryReader::onSourceOpened(quint64 request, const HistorySource &source)
{
    if (request != m_sourceRequest)
        return;
    m_source = source;
    emit sourceChanged();
    setLoading(m_sourceRequest, 0);
}

void HistoryReader::onPageRead(quint64 request, const RunPage &page)
{
    if (request != m_listRequest)
        return;
    const bool wasLoading = isLoading();
    m_listRequest = 0;
    // No further page is asked for after a failure, until the filter is set again.
    m_atEnd = !page.result.ok() || page.runs.size() < m_pageSize;
    if (m_pageIsFirst) {
        emit runsAboutToReset();
        m_runs = page.runs;
        m_matchCount = std::max(0, page.matchCount);
        emit runsReset();
    } else if (!page.runs.isEmpty()) {
        const auto first = static_cast<int>(m_runs.size());
        emit runsAboutToAppend(first, first + static_cast<int>(page.runs.size()) - 1);
        m_runs.append(page.runs);
        emit runsAppended();
    }
    if (!page.result.ok())
        emit readFailed(page.result);
    if (isLoading() != wasLoading)
        emit loadingChanged(isLoading());
}

void HistoryReader::onRunRead(quint64 request, const RunDetail &detail)
{
    if (request != m_runRequest)
        return;
    if (detail.result.ok())
        m_shown = detail;
    else
        emit readFailed(detail.result);
    emit shownRunChanged();
    setLoading(m_runRequest, 0);
}

void HistoryReader::onExported(quint64 request, const QString &path, const JournalResult &result)
{
    if (m_exportRequests.removeOne(request))
        emit exported(path, result);
}
