#include "core/journal/read/JournalRunReport.h"

#include "core/journal/accounts/RunAudit.h"
#include "core/journal/read/CsvExport.h"
#include "core/journal/read/JournalHistory.h"
#include "core/journal/read/RunResult.h"
#include "core/journal/store/JournalConnection.h"

#include <QSqlQuery>

using namespace Qt::StringLiterals;

JournalResult JournalRunReport::read(JournalConnection &db, const QString &station,
                                     const QString &runId, RunReport &out)
{
    const JournalHistory history(db);
    std::optional<JournalRun> found;
    if (JournalResult result = history.run(station, runId, found); !result.ok())
        return result;
    if (!found)
        return JournalResult::Failure(JournalResult::Error::Other,
                                      u"there is no run %1 in the journal"_s.arg(runId));
    const JournalRun &run = *found;
    QList<JournalReading> readings;
    if (JournalResult result = history.readings(run.station, run.id, readings); !result.ok())
        return result;

    // Its signatures and exclusions; the hash of its record seals everything the run holds, and
    // a signature names the same one.
    RunAudit audit;
    if (JournalResult result = RunAudit::Read(db, run.station, run.id, audit); !result.ok())
        return result;

    RunReport report;
    const RunHeader &h = run.header;
    report.station = run.station;
    report.port = h.port;
    report.status = statusText(run.status);
    report.started = time(run.startedAt, run.startedOffset);
    report.ended = time(run.endedAt, run.endedOffset);
    report.unit = h.unit;
    report.sampleName = h.sampleName;
    report.batchNo = h.batchNo;
    report.inspector = h.inspector;
    report.mode = h.mode;
    report.constants = h.constants;
    for (const JournalReading &reading : std::as_const(readings)) {
        RunReport::Reading &row = report.readings.emplace_back();
        row.number = reading.number;
        row.confirmed = time(reading.confirmedAt, reading.confirmedOffset);
        row.received = reading.received;
        row.value = FormatRunValue(reading.value);
        if (reading.autoConfirmed)
            row.autoConfirmed = true;
        if (const ReadingExclusion *excluded = audit.exclusionOf(reading.number))
            row.exclusion = RunReport::Exclusion { excluded->reason, excluded->by,
                                                   time(excluded->at, excluded->atOffset) };
    }
    for (const RunSignature &signature : std::as_const(audit.signatures))
        report.signatures << RunReport::Signature { signature.fullName, signature.meaning,
                                                    time(signature.at, signature.atOffset),
                                                    signature.comment, !signature.current };
    report.summary = RunResultSummary(run, readings);
    addMethod(run, report);
    report.runId = run.id;
    report.lastHash = audit.recordHash;
    out = std::move(report);
    return {};
}

void JournalRunReport::addMethod(const JournalRun &run, RunReport &report)
{
    if (const std::optional<RunMethod> &method = run.header.method) {
        report.method = method->name;
        report.methodVersion = QString::number(method->version);
        report.lowerLimit = method->lower;
        report.upperLimit = method->upper;
    }
    if (run.verdict)
        report.passed = *run.verdict == Verdict::Pass;
}

QString JournalRunReport::time(const QString &journalTime, std::optional<int> offset)
{
    return CsvExport::LocalTime(journalTime, offset);
}

QString JournalRunReport::statusText(RunStatus status)
{
    switch (status) {
    case RunStatus::Open:
        break;
    case RunStatus::Completed:
        return tr("完成");
    case RunStatus::Discarded:
        return tr("已作废");
    case RunStatus::Abandoned:
        return tr("已放弃");
    }
    return tr("未完成");
}
