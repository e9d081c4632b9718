#include "core/journal/read/HistoryWorker.h"

#include "core/journal/read/JournalRunReport.h"
#include "core/journal/server/ServerSchema.h"
#include "core/journal/store/Journal.h"
#include "core/journal/store/JournalSchema.h"

#include <QFileInfo>

using namespace Qt::StringLiterals;

HistoryWorker::HistoryWorker(QString journalPath, QString serverConnInfo,
                             std::shared_ptr<HistoryRequests> requests)
    : m_journalPath(std::move(journalPath))
    , m_connInfo(std::move(serverConnInfo))
    , m_requests(std::move(requests))
{ }

void HistoryWorker::customEvent(QEvent *)
{
    if (const std::function<void(HistoryWorker &)> request = m_requests->toWorker.take())
        request(*this);
}

void HistoryWorker::answer(std::function<void(HistoryReader &)> call)
{
    m_requests->toReader.push(std::move(call));
    emit answered();
}

void HistoryWorker::openSource(quint64 request)
{
    if (request < m_requests->source.load())
        return;
    HistorySource source;
    source.serverConfigured = !m_connInfo.isEmpty();
    m_server.close();
    m_file.close();
    m_fromServer = false;
    if (source.serverConfigured) {
        JournalResult result = m_server.open(m_connInfo);
        if (result.ok())
            result = ServerSchema::Check(m_server);
        if (result.ok())
            result = JournalHistory(m_server).stations(source.stations);
        m_fromServer = result.ok();
        if (!m_fromServer) {
            m_server.close();
            source.serverResult = result;
        }
    }
    m_history.setConnection(m_fromServer ? static_cast<JournalConnection &>(m_server) : m_file);
    source.fromServer = m_fromServer;
    source.result = ready();
    done(source.result);
    answer([request, source](HistoryReader &reader) { reader.onSourceOpened(request, source); });
}

JournalResult HistoryWorker::ready()
{
    if (m_fromServer) {
        m_server.setIdle(false);
        if (m_server.isOpen())
            return {};
        JournalResult result = m_server.open(m_connInfo);
        if (result.ok())
            result = ServerSchema::Check(m_server);
        return result;
    }
    if (m_file.isOpen())
        return {};
    // Before the first Confirm there is no journal yet; a later request finds the new one.
    if (!QFileInfo::exists(m_journalPath))
        return JournalResult::Failure(JournalResult::Error::NotOpen,
                                      u"there is no journal at %1 yet"_s.arg(m_journalPath));
    return JournalSchema::Open(m_file, m_journalPath, SqliteConnection::OpenMode::Read);
}

void HistoryWorker::done(const JournalResult &result)
{
    m_server.setIdle(true);
    // A server connection lost or cut is made afresh; a file that failed is opened again.
    if (result.error == JournalResult::Error::Unreachable)
        m_server.close();
    if (!result.ok())
        m_file.close();
}

void HistoryWorker::readPage(quint64 request, RunFilter filter, int limit,
                             std::optional<JournalRun> after)
{
    if (request < m_requests->list.load())
        return;
    RunPage page;
    page.result = ready();
    // A station's own journal holds its own runs only.
    if (!m_fromServer)
        filter.station.clear();
    if (page.result.ok() && !after)
        page.result = m_history.countRuns(filter, page.matchCount);
    if (page.result.ok())
        page.result = m_history.runs(filter, limit, page.runs, after ? &*after : nullptr);
    done(page.result);
    answer([request, page](HistoryReader &reader) { reader.onPageRead(request, page); });
}

JournalConnection &HistoryWorker::source()
{
    return m_fromServer ? static_cast<JournalConnection &>(m_server) : m_file;
}

void HistoryWorker::readRun(quint64 request, const JournalRun &run)
{
    if (request < m_requests->run.load())
        return;
    QList<JournalReading> readings;
    RunAudit audit;
    JournalResult result = ready();
    if (result.ok())
        result = m_history.readings(run.station, run.id, readings);
    if (result.ok())
        result = RunAudit::Read(source(), run.station, run.id, audit);
    done(result);
    RunDetail detail = RunDetail::Of(run, readings);
    detail.result = result;
    detail.audit = audit;
    answer([request, detail](HistoryReader &reader) { reader.onRunRead(request, detail); });
}

void HistoryWorker::exportCsv(quint64 request, const QList<RunKey> &keys, const QString &path)
{
    JournalResult result = ready();
    if (result.ok()) {
        const ExportResult exported = CsvExport::Write(source(), keys, path);
        result = exported.journal;
        done(result);
        // The journal was read; the file could not be written.
        if (result.ok() && !exported.ok())
            result = JournalResult::Failure(JournalResult::Error::Other, exported.text);
    } else {
        done(result);
    }
    answer([request, path, result](HistoryReader &reader) {
        reader.onExported(request, path, result);
    });
}

void HistoryWorker::readReport(quint64 request, const RunKey &key, const QString &path)
{
    RunReport report;
    JournalResult result = ready();
    if (result.ok())
        result = JournalRunReport::read(source(), key.station, key.id, report);
    done(result);
    answer([request, path, result, report](HistoryReader &reader) {
        reader.onReportRead(request, path, result, report);
    });
}

void HistoryWorker::writeAccount(quint64 request, const AccountRequest &what,
                                 const QString &keyPath, const AccountPolicy &policy)
{
    // The main window writes the same journal: this writer holds the lock for one short
    // transaction, and waits little for it.
    constexpr int kBusyTimeoutMs = 1000;
    Journal journal;
    AccountOutcome outcome;
    const JournalResult opened = journal.open(m_journalPath, keyPath, kBusyTimeoutMs).result;
    if (!opened.ok()) {
        outcome = { AccountOutcome::Status::Failed, opened.text, opened };
    } else {
        AccountJournal accounts(journal, policy);
        outcome = what.meaning ? accounts.sign(what.who, what.run.id, *what.meaning, what.comment)
                               : accounts.exclude(what.who, what.run.id, what.reading, what.reason);
    }
    answer(
        [request, outcome](HistoryReader &reader) { reader.onAccountWritten(request, outcome); });
}
