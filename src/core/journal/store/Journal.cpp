#include "core/journal/store/Journal.h"

#include "core/journal/store/ChainKey.h"
#include "core/journal/store/JournalLocation.h"
#include "core/journal/store/JournalRows.h"
#include "core/journal/store/JournalSchema.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlQuery>
#include <QSysInfo>
#include <QThread>
#include <QUuid>

using namespace Qt::StringLiterals;

namespace {

// The journal's own files move with it: a WAL left beside a new file would be replayed into it.
// Renaming opens none of them.
bool MoveAside(const QString &path, const QString &aside)
{
    for (const QString &suffix : { u"-wal"_s, u"-shm"_s }) {
        if (QFileInfo::exists(path + suffix) && !QFile::rename(path + suffix, aside + suffix))
            return false;
    }
    return QFile::rename(path, aside);
}

JournalResult Refused(const QString &text)
{
    return JournalResult::Failure(JournalResult::Error::Other, text);
}

} // namespace

Journal::Journal(QString station)
    : m_station(std::move(station))
{
    resetRun();
}

QString Journal::DefaultStation()
{
    return QSysInfo::machineHostName();
}

Journal::OpenOutcome Journal::open(const QString &path, const QString &keyPath, int busyTimeoutMs)
{
    OpenOutcome outcome;
    outcome.result = openKeyed(path, keyPath, busyTimeoutMs);
    if (outcome.result.error != JournalResult::Error::Corrupt)
        return outcome;
    outcome.damage = outcome.result.text;
    m_db.close();
    const QString aside = CorruptAsideName(path, QDateTime::currentDateTimeUtc());
    if (!MoveAside(path, aside)) {
        outcome.result.text += u"; it could not be moved aside"_s;
        return outcome;
    }
    outcome.movedAsideTo = aside;
    outcome.result = openKeyed(path, keyPath, busyTimeoutMs);
    return outcome;
}

JournalResult Journal::openKeyed(const QString &path, const QString &keyPath, int busyTimeoutMs)
{
    QByteArray key;
    JournalResult result =
        ChainKey::loadOrCreate(keyPath.isEmpty() ? ChainKeyPath(path) : keyPath, key);
    if (result.ok())
        result =
            JournalSchema::Open(m_db, path, SqliteConnection::OpenMode::Write, busyTimeoutMs, key);
    QString identity;
    if (result.ok())
        result = JournalSchema::ReadIdentity(m_db, identity);
    if (result.ok()) {
        m_chain = HashChain(key, identity);
        result = checkKey();
    }
    if (!result.ok())
        m_db.close();
    return result;
}

// A lost key replaced by a new one, or a key copied from another station, would go on writing
// rows that never verify: the journal is only written with the key its last row was.
JournalResult Journal::checkKey()
{
    ChainHead head;
    JournalResult result = HashChain::ReadHead(m_db, m_station, head);
    if (!result.ok() || head.seq == 0)
        return result;
    QSqlQuery query(m_db.database());
    query.setForwardOnly(true);
    // Another writer may have appended since: only these two rows count.
    result =
        m_db.exec(query, JournalRows::chainQuery(false, u"station = ? AND seq BETWEEN ? AND ?"_s),
                  { m_station, head.seq - 1, head.seq, m_station, head.seq - 1, head.seq });
    QByteArray previous;
    QByteArray expected;
    while (result.ok() && query.next()) {
        const ChainRow row = JournalRows::chainRowFrom(query);
        if (row.seq() < head.seq) {
            previous = row.hash;
            continue;
        }
        expected = row.isReading
            ? m_chain.readingHash(previous, m_station, row.runId.value_or(QString()), row.reading)
            : m_chain.eventHash(previous, m_station, row.event);
    }
    if (result.ok() && expected != head.hash)
        result = JournalResult::Failure(
            JournalResult::Error::Other,
            u"the journal's last row was not written with this station's chain key: the key was "
            "replaced, or the row was changed; nothing is written until the right key is back"_s);
    return result;
}

void Journal::resetRun()
{
    m_run = {};
    m_run.station = m_station;
    m_run.header = m_header;
    m_runStored = false;
    m_runLock.reset();
    m_methodLeftDetail.clear();
}

QString Journal::runLockPath(const QString &runId) const
{
    return m_db.path() + u"-run-"_s + runId + u".lock"_s;
}

JournalResult Journal::claimRun(const QString &runId, std::unique_ptr<QLockFile> &lock) const
{
    lock = std::make_unique<QLockFile>(runLockPath(runId));
    // Only a dead process makes a lock stale, never its age: a run may last all day.
    lock->setStaleLockTime(0);
    if (lock->tryLock(0))
        return {};
    const bool held = lock->error() == QLockFile::LockFailedError;
    qint64 pid = 0;
    QString host;
    QString application;
    // The holder writes its name into the file just after creating it.
    const QDeadlineTimer named(200);
    while (held && !lock->getLockInfo(&pid, &host, &application) && !named.hasExpired())
        QThread::msleep(5);
    lock.reset();
    if (held)
        return JournalResult::Failure(
            JournalResult::Error::Claimed,
            u"run %1 is being measured by process %2 on %3"_s.arg(runId).arg(pid).arg(host));
    return JournalResult::Failure(JournalResult::Error::CannotOpen,
                                  u"the lock file %1 cannot be created"_s.arg(runLockPath(runId)));
}

bool Journal::runInUse(const QString &runId) const
{
    std::unique_ptr<QLockFile> probe;
    return claimRun(runId, probe).error == JournalResult::Error::Claimed;
}

void Journal::beginRun(const RunHeader &header)
{
    m_header = header;
    resetRun();
}

QString Journal::eventRunId() const
{
    return m_runStored ? m_run.id : QString();
}

JournalResult Journal::write(const Steps &steps)
{
    if (JournalResult result = m_db.begin(); !result.ok())
        return result;
    ChainHead head;
    JournalResult result = HashChain::ReadHead(m_db, m_station, head);
    if (result.ok())
        result = steps(head);
    if (!result.ok()) {
        m_db.rollback();
        return result;
    }
    return m_db.commit();
}

// A null QString binds as NULL; COALESCE keeps an empty typed text an empty text. A run without
// a method has NULL in its method's columns.
JournalResult Journal::insertRun(const JournalRun &run)
{
    const RunHeader &h = run.header;
    const auto optional = [](const auto &value) {
        return value ? QVariant(*value) : QVariant();
    };
    const std::optional<RunMethod> &m = h.method;
    QSqlQuery query(m_db.database());
    return m_db.exec(query,
                     u"INSERT INTO runs (station, run_id, port, started_at, started_offset, unit, "
                     "sample, batch, inspector, sample_count, mode, const_a, const_len_c, "
                     "const_c, const_len_a, account, method, method_version, lower_limit, "
                     "upper_limit, result_decimals) VALUES (?, ?, COALESCE(?, ''), ?, ?, "
                     "COALESCE(?, ''), COALESCE(?, ''), COALESCE(?, ''), COALESCE(?, ''), "
                     "?, ?, ?, ?, ?, ?, NULLIF(?, ''), ?, ?, ?, ?, ?)"_s,
                     { run.station,
                       run.id,
                       h.port,
                       run.startedAt,
                       *run.startedOffset,
                       h.unit,
                       h.sampleName,
                       h.batchNo,
                       h.inspector,
                       h.sampleCount,
                       static_cast<int>(h.mode),
                       double(h.constants.a),
                       double(h.constants.lenC),
                       double(h.constants.C),
                       double(h.constants.lena),
                       h.account,
                       m ? QVariant(m->name) : QVariant(),
                       m ? QVariant(m->version) : QVariant(),
                       m ? optional(m->lower) : QVariant(),
                       m ? optional(m->upper) : QVariant(),
                       m ? QVariant(m->decimals) : QVariant() });
}

JournalResult Journal::insertReading(ChainHead &head, const QString &runId, JournalReading &reading)
{
    reading.seq = head.seq + 1;
    const QByteArray hash = m_chain.readingHash(head.hash, m_station, runId, reading);
    QSqlQuery query(m_db.database());
    const JournalResult result = m_db.exec(
        query,
        u"INSERT INTO readings (station, seq, run_id, number, received, value, "
        "confirmed_at, confirmed_offset, written_at, written_offset, account, hash, "
        "auto_confirmed) VALUES (?, ?, ?, ?, COALESCE(?, ''), ?, ?, ?, ?, ?, ?, ?, ?)"_s,
        { m_station, reading.seq, runId, reading.number, reading.received, reading.value,
          reading.confirmedAt, *reading.confirmedOffset, reading.writtenAt, *reading.writtenOffset,
          reading.account ? QVariant(*reading.account) : QVariant(), hash,
          reading.autoConfirmed ? QVariant(1) : QVariant() });
    if (result.ok())
        head = { reading.seq, hash };
    return result;
}

JournalResult Journal::insertEvent(ChainHead &head, const QString &kind, const QString &runId,
                                   const QString &detail)
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    // An event outside any run has no run id: NULL, never an empty text.
    const JournalEventRow row { head.seq + 1,
                                JournalTimestamp(now),
                                LocalOffsetAt(now),
                                runId.isEmpty() ? std::nullopt : std::optional(runId),
                                kind,
                                detail.isNull() ? u""_s : detail };
    const QByteArray hash = m_chain.eventHash(head.hash, m_station, row);
    QSqlQuery query(m_db.database());
    const JournalResult result =
        m_db.exec(query,
                  u"INSERT INTO events (station, seq, at, at_offset, run_id, kind, detail, hash) "
                  "VALUES (?, ?, ?, ?, ?, ?, ?, ?)"_s,
                  { m_station, row.seq, row.at, *row.atOffset,
                    row.runId ? QVariant(*row.runId) : QVariant(), row.kind, row.detail, hash });
    if (result.ok())
        head = { row.seq, hash };
    return result;
}

JournalResult Journal::heldReadings(const QString &runId, QList<double> &values, RunClosing &held)
{
    values.clear();
    held = {};
    QSqlQuery query(m_db.database());
    JournalResult result = m_db.exec(
        query, u"SELECT status FROM runs WHERE station = ? AND run_id = ?"_s, { m_station, runId });
    if (result.ok() && (!query.next() || query.value(0).toString() != StatusText(RunStatus::Open)))
        return Refused(u"run %1 is no longer open in the journal"_s.arg(runId));
    result = m_db.exec(query,
                       u"SELECT value, hash FROM readings WHERE station = ? AND run_id = ? "
                       "ORDER BY seq"_s,
                       { m_station, runId });
    while (result.ok() && query.next()) {
        values << query.value(0).toDouble();
        held = { int(values.size()), query.value(1).toByteArray() };
    }
    return result;
}

JournalResult Journal::closeRun(ChainHead &head, const JournalRun &run, JournalEvent event,
                                const RunClosing &given)
{
    QList<double> values;
    RunClosing held;
    JournalResult result = heldReadings(run.id, values, held);
    held.reason = given.reason;
    held.by = given.by;
    if (!result.ok())
        return result;
    QSqlQuery query(m_db.database());
    result = m_db.exec(query,
                       u"UPDATE runs SET status = ?, ended_at = ?, ended_offset = ?, "
                       "cause = COALESCE(?, ''), mean = COALESCE(?, ''), "
                       "deviation = COALESCE(?, ''), verdict = ? "
                       "WHERE station = ? AND run_id = ? AND status = 'open'"_s,
                       { StatusText(run.status), run.endedAt, *run.endedOffset, run.cause,
                         run.totals.mean, run.totals.deviation,
                         run.verdict ? QVariant(VerdictText(*run.verdict)) : QVariant(),
                         run.station, run.id });
    if (result.ok() && query.numRowsAffected() != 1)
        return Refused(u"run %1 was closed already"_s.arg(run.id));
    return result.ok() ? insertEvent(head, event, run.id, HashChain::CloseDetail(run, held))
                       : result;
}

JournalResult Journal::recordReadings(const QList<ConfirmedReading> &readings)
{
    if (readings.isEmpty())
        return {};
    if (m_runStored && m_run.status != RunStatus::Open)
        return Refused(u"the run is complete; it takes no more readings"_s);
    for (qsizetype i = 0; i + 1 < readings.size(); ++i) {
        if (readings.at(i).totals)
            return Refused(u"only the last reading of a run completes it"_s);
    }
    if (readings.constLast().verdict && (!m_run.header.method || m_run.leftMethod))
        return Refused(u"only a run under its method has a verdict"_s);
    JournalRun run = m_run;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const auto confirmedAt = [&now](const ConfirmedReading &reading) {
        return reading.confirmedAt.isValid() ? reading.confirmedAt : now;
    };
    const bool newRun = !m_runStored;
    std::unique_ptr<QLockFile> claim;
    if (newRun) {
        run.id = QUuid::createUuid().toString(QUuid::WithoutBraces);
        // The run started with its first Confirm, however late that was written.
        const QDateTime started = confirmedAt(readings.constFirst());
        run.startedAt = JournalTimestamp(started);
        run.startedOffset = LocalOffsetAt(started);
        // Claimed before it is written, so that no other instance ever sees it unclaimed.
        if (JournalResult claimed = claimRun(run.id, claim); !claimed.ok())
            return claimed;
    }
    QList<double> values;
    const JournalResult result = write([&](ChainHead &head) {
        JournalResult step;
        RunClosing held;
        if (newRun) {
            step = insertRun(run);
            if (step.ok())
                step = insertEvent(head, JournalEvent::RunStarted, run.id,
                                   HashChain::StartDetail(run));
        } else {
            step = heldReadings(run.id, values, held);
        }
        if (step.ok())
            step = writeMethodLeft(head);
        for (const ConfirmedReading &confirmed : readings) {
            if (!step.ok())
                break;
            // The table's row numbers are the journal's: no gap, no repeat.
            if (confirmed.number != values.size() + 1)
                return Refused(u"reading %1 is not the next reading of run %2, which holds %3"_s
                                   .arg(confirmed.number)
                                   .arg(run.id)
                                   .arg(values.size()));
            const QDateTime at = confirmedAt(confirmed);
            JournalReading reading { 0,
                                     confirmed.number,
                                     confirmed.received,
                                     confirmed.value,
                                     JournalTimestamp(at),
                                     LocalOffsetAt(at),
                                     JournalTimestamp(now),
                                     LocalOffsetAt(now),
                                     confirmed.account.isEmpty() ? std::nullopt
                                                                 : std::optional(confirmed.account),
                                     confirmed.autoConfirmed };
            step = insertReading(head, run.id, reading);
            values << confirmed.value;
        }
        const std::optional<RunTotals> &totals = readings.constLast().totals;
        if (!step.ok() || !totals)
            return step;
        if (!TotalsMatch(*totals, values))
            return Refused(u"the statistics %1 / %2 are not those of the %3 readings of run %4"_s
                               .arg(totals->mean, totals->deviation)
                               .arg(values.size())
                               .arg(run.id));
        run.status = RunStatus::Completed;
        run.endedAt = JournalTimestamp(now);
        run.endedOffset = LocalOffsetAt(now);
        run.totals = *totals;
        run.verdict = readings.constLast().verdict;
        return closeRun(head, run, JournalEvent::RunCompleted);
    });
    if (!result.ok())
        return result;
    m_methodLeftDetail.clear();
    run.readingCount = int(values.size());
    m_run = run;
    m_runStored = true;
    if (newRun)
        m_runLock = std::move(claim);
    if (run.status != RunStatus::Open)
        m_runLock.reset();
    return result;
}

JournalResult Journal::discardOpenRun(ChainHead &head, DiscardCause cause, const RunClosing &given)
{
    if (!m_runStored)
        return {};
    if (m_run.status != RunStatus::Open) {
        if (cause != DiscardCause::Deleted)
            return {};
        const QString detail = given.by.isEmpty()
            ? QString()
            : QString::fromUtf8(
                QJsonDocument(QJsonObject { { u"reason"_s, given.reason }, { u"by"_s, given.by } })
                    .toJson(QJsonDocument::Compact));
        return insertEvent(head, JournalEvent::RunDeleted, m_run.id, detail);
    }
    JournalRun run = m_run;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    run.status = RunStatus::Discarded;
    run.endedAt = JournalTimestamp(now);
    run.endedOffset = LocalOffsetAt(now);
    run.cause = CauseText(cause);
    return closeRun(head, run, JournalEvent::RunDiscarded, given);
}

JournalResult Journal::deleteRun(const QString &reason, const QString &by)
{
    // The table is empty whatever the journal says: a run left open by a failed write is offered
    // back at the next start rather than lost.
    const RunClosing given { 0, {}, reason, by };
    const JournalResult result = m_runStored
        ? write([&](ChainHead &head) { return discardOpenRun(head, DiscardCause::Deleted, given); })
        : JournalResult {};
    resetRun();
    return result;
}

void Journal::setNextRunHeader(const RunHeader &header)
{
    m_header = header;
    if (!m_runStored)
        m_run.header = m_header;
}

JournalResult Journal::appendEvents(const std::function<JournalResult(const AppendEvent &)> &steps)
{
    return write([&](ChainHead &head) {
        return steps(
            [&](const QString &kind, const QString &runId, const QString &detail, qint64 &seq) {
                const JournalResult result = insertEvent(head, kind, runId, detail);
                seq = result.ok() ? head.seq : 0;
                return result;
            });
    });
}

JournalResult Journal::changeMode(MeasurementMode mode, const ModeConstants &constants)
{
    const JournalResult result = write([&](ChainHead &head) {
        JournalResult step = insertEvent(head, JournalEvent::ModeChanged, eventRunId(),
                                         HashChain::ModeDetail(mode, constants));
        return step.ok() ? discardOpenRun(head, DiscardCause::ModeChanged) : step;
    });
    m_header.mode = mode;
    m_header.constants = constants;
    resetRun();
    return result;
}

JournalResult Journal::changeSampleCount(int sampleCount)
{
    // A stored run keeps the count it started with in its row and notes the change as an
    // event; later runs start with the new count.
    m_header.sampleCount = sampleCount;
    if (!m_runStored)
        m_run.header = m_header;
    if (!m_runStored || m_run.status != RunStatus::Open)
        return {};
    return recordEvent(JournalEvent::SampleCountChanged, QString::number(sampleCount));
}

JournalResult Journal::leaveMethod(const QString &detail)
{
    m_header.method.reset();
    const bool ofRun = m_runStored && m_run.status == RunStatus::Open && m_run.header.method;
    if (!m_runStored)
        m_run.header.method.reset();
    // A run that is complete already keeps its verdict: the event is no part of it.
    if (!ofRun)
        return write([&](ChainHead &head) {
            return insertEvent(head, JournalEvent::MethodLeft, QString(), detail);
        });
    // Until it is written, the run's completion would carry a verdict the readers would believe.
    m_run.leftMethod = true;
    m_methodLeftDetail = detail;
    const JournalResult result = write([&](ChainHead &head) { return writeMethodLeft(head); });
    if (result.ok())
        m_methodLeftDetail.clear();
    return result;
}

JournalResult Journal::writeMethodLeft(ChainHead &head)
{
    return m_methodLeftDetail.isEmpty()
        ? JournalResult {}
        : insertEvent(head, JournalEvent::MethodLeft, m_run.id, m_methodLeftDetail);
}

JournalResult Journal::appendEvent(JournalEvent event, const DetailMaker &makeDetail)
{
    return write([&](ChainHead &head) {
        QString detail;
        const JournalResult made = makeDetail(detail);
        return !made.ok() || detail.isNull() ? made : insertEvent(head, event, QString(), detail);
    });
}

JournalResult Journal::recordEvent(JournalEvent event, const QString &detail)
{
    return write([&](ChainHead &head) { return insertEvent(head, event, eventRunId(), detail); });
}

JournalResult Journal::findRecoverableRun(std::optional<JournalRun> &run,
                                          QList<JournalReading> &readings)
{
    readings.clear();
    run.reset();
    // Few runs are ever open at once: one per instance, and those a crash left.
    constexpr int kOpenRunsLooked = 16;
    QSqlQuery query(m_db.database());
    query.setForwardOnly(true);
    JournalResult result = m_db.exec(
        query,
        u"SELECT "_s + JournalRows::runColumns()
            + u" FROM runs WHERE station = ? AND status = 'open' AND EXISTS (SELECT 1 FROM "
              "readings r WHERE r.station = runs.station AND r.run_id = runs.run_id) "
              "ORDER BY started_at DESC LIMIT ?"_s,
        { m_station, kOpenRunsLooked });
    QList<JournalRun> open;
    while (result.ok() && query.next())
        open << JournalRows::runFrom(query);
    query.finish();
    for (const JournalRun &candidate : std::as_const(open)) {
        if (!result.ok() || runInUse(candidate.id))
            continue;
        run = candidate;
        result = JournalRows::readings(m_db, m_station, run->id, readings);
        run->header.sampleCount = run->sampleCount();
        if (result.ok())
            result = m_db.exec(query,
                               u"SELECT count(*) FROM events WHERE station = ? AND run_id = ? AND "
                               "kind = ?"_s,
                               { m_station, run->id, EventText(JournalEvent::MethodLeft) });
        if (result.ok() && query.next())
            run->leftMethod = query.value(0).toInt() > 0;
        break;
    }
    return result;
}

JournalResult Journal::continueRun(const JournalRun &run, const QString &restoredBy)
{
    std::unique_ptr<QLockFile> claim;
    JournalResult result = claimRun(run.id, claim);
    if (!result.ok())
        return result;
    const QString detail = QString::fromUtf8(
        QJsonDocument(QJsonObject { { u"by"_s, restoredBy } }).toJson(QJsonDocument::Compact));
    QList<double> values;
    result = write([&](ChainHead &head) {
        RunClosing held;
        // Another instance may have closed it since it was found.
        JournalResult step = heldReadings(run.id, values, held);
        return step.ok() ? insertEvent(head, JournalEvent::RunRestored, run.id, detail) : step;
    });
    if (!result.ok())
        return result;
    m_run = run;
    m_run.readingCount = int(values.size());
    m_runStored = true;
    m_runLock = std::move(claim);
    return result;
}

JournalResult Journal::abandonRun(const JournalRun &run)
{
    std::unique_ptr<QLockFile> claim;
    JournalResult result = claimRun(run.id, claim);
    if (!result.ok())
        return result;
    JournalRun closed = run;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    closed.status = RunStatus::Abandoned;
    closed.endedAt = JournalTimestamp(now);
    closed.endedOffset = LocalOffsetAt(now);
    return write(
        [&](ChainHead &head) { return closeRun(head, closed, JournalEvent::RunAbandoned); });
}
