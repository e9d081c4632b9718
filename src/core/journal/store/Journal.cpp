#include "core/journal/store/Journal.h"

#include "core/journal/read/JournalHistory.h"
#include "core/journal/store/HashChain.h"
#include "core/journal/store/JournalLocation.h"
#include "core/journal/store/JournalSchema.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlQuery>
#include <QSysInfo>
#include <QUuid>

using namespace Qt::StringLiterals;

namespace {

// The journal's own files move with it: a WAL left beside a new file would be replayed into it.
bool MoveAside(const QString &path, const QString &aside)
{
    for (const QString &suffix : { u"-wal"_s, u"-shm"_s }) {
        if (QFile::exists(path + suffix) && !QFile::rename(path + suffix, aside + suffix))
            return false;
    }
    return QFile::rename(path, aside);
}

QString ModeDetail(MeasurementMode mode, const ModeConstants &c)
{
    const QJsonObject object { { u"mode"_s, static_cast<int>(mode) },
                               { u"a"_s, c.a },
                               { u"lenC"_s, c.lenC },
                               { u"C"_s, c.C },
                               { u"lena"_s, c.lena } };
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
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

Journal::OpenOutcome Journal::open(const QString &path, int busyTimeoutMs)
{
    OpenOutcome outcome;
    outcome.result =
        JournalSchema::Open(m_db, path, SqliteConnection::OpenMode::Write, busyTimeoutMs);
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
    outcome.result =
        JournalSchema::Open(m_db, path, SqliteConnection::OpenMode::Write, busyTimeoutMs);
    return outcome;
}

void Journal::resetRun()
{
    m_run = {};
    m_run.station = m_station;
    m_run.header = m_header;
    m_runStored = false;
    m_runLock.reset();
}

QString Journal::runLockPath(const QString &runId) const
{
    return m_db.path() + u"-run-"_s + runId + u".lock"_s;
}

void Journal::holdRun(const QString &runId)
{
    m_runLock = std::make_unique<QLockFile>(runLockPath(runId));
    // Only a dead process makes a lock stale, never its age: a run may last all day.
    m_runLock->setStaleLockTime(0);
    if (!m_runLock->tryLock(0))
        m_runLock.reset();
}

bool Journal::runInUse(const QString &runId) const
{
    QLockFile probe(runLockPath(runId));
    probe.setStaleLockTime(0);
    return !probe.tryLock(0) && probe.error() == QLockFile::LockFailedError;
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
    JournalResult result = readHead(head);
    if (result.ok())
        result = steps(head);
    if (!result.ok()) {
        m_db.rollback();
        return result;
    }
    return m_db.commit();
}

JournalResult Journal::readHead(ChainHead &head)
{
    QSqlQuery query(m_db.database());
    const JournalResult result = m_db.exec(
        query,
        u"SELECT seq, hash FROM (SELECT seq, hash FROM readings WHERE station = ? "
        "ORDER BY seq DESC LIMIT 1) UNION ALL SELECT seq, hash FROM (SELECT seq, hash FROM events "
        "WHERE station = ? ORDER BY seq DESC LIMIT 1) ORDER BY 1 DESC LIMIT 1"_s,
        { m_station, m_station });
    if (result.ok() && query.next())
        head = { query.value(0).toLongLong(), query.value(1).toByteArray() };
    return result;
}

// A null QString binds as NULL; COALESCE keeps an empty typed text an empty text.
JournalResult Journal::insertRun(const JournalRun &run)
{
    const RunHeader &h = run.header;
    QSqlQuery query(m_db.database());
    return m_db.exec(query,
                     u"INSERT INTO runs (station, run_id, port, started_at, unit, sample, batch, "
                     "inspector, sample_count, mode, const_a, const_len_c, const_c, const_len_a) "
                     "VALUES (?, ?, COALESCE(?, ''), ?, COALESCE(?, ''), COALESCE(?, ''), "
                     "COALESCE(?, ''), COALESCE(?, ''), "
                     "?, ?, ?, ?, ?, ?)"_s,
                     { run.station, run.id, h.port, run.startedAt, h.unit, h.sampleName, h.batchNo,
                       h.inspector, h.sampleCount, static_cast<int>(h.mode), double(h.constants.a),
                       double(h.constants.lenC), double(h.constants.C), double(h.constants.lena) });
}

JournalResult Journal::insertReading(ChainHead &head, const QString &runId, JournalReading &reading)
{
    reading.seq = head.seq + 1;
    const QByteArray hash = HashChain::ReadingHash(head.hash, m_station, runId, reading);
    QSqlQuery query(m_db.database());
    const JournalResult result =
        m_db.exec(query,
                  u"INSERT INTO readings (station, seq, run_id, number, received, value, "
                  "confirmed_at, hash) VALUES (?, ?, ?, ?, COALESCE(?, ''), ?, ?, ?)"_s,
                  { m_station, reading.seq, runId, reading.number, reading.received, reading.value,
                    reading.confirmedAt, hash });
    if (result.ok())
        head = { reading.seq, hash };
    return result;
}

JournalResult Journal::insertEvent(ChainHead &head, JournalEvent event, const QString &runId,
                                   const QString &detail)
{
    const qint64 seq = head.seq + 1;
    const QString at = JournalNow();
    const QString kind = EventText(event);
    const QByteArray hash =
        HashChain::EventHash(head.hash, m_station, seq, at, runId, kind, detail);
    QSqlQuery query(m_db.database());
    const JournalResult result =
        m_db.exec(query,
                  u"INSERT INTO events (station, seq, at, run_id, kind, detail, hash) "
                  "VALUES (?, ?, ?, ?, ?, COALESCE(?, ''), ?)"_s,
                  { m_station, seq, at, runId.isEmpty() ? QVariant() : runId, kind, detail, hash });
    if (result.ok())
        head = { seq, hash };
    return result;
}

JournalResult Journal::closeRun(ChainHead &head, const JournalRun &run, JournalEvent event)
{
    QSqlQuery query(m_db.database());
    JournalResult result =
        m_db.exec(query,
                  u"UPDATE runs SET status = ?, ended_at = ?, cause = COALESCE(?, ''), "
                  "mean = COALESCE(?, ''), deviation = COALESCE(?, '') "
                  "WHERE station = ? AND run_id = ? AND status = 'open'"_s,
                  { StatusText(run.status), run.endedAt, run.cause, run.totals.mean,
                    run.totals.deviation, run.station, run.id });
    if (result.ok() && query.numRowsAffected() != 1)
        return JournalResult::Failure(JournalResult::Error::Other,
                                      u"run %1 was closed already"_s.arg(run.id));
    return result.ok() ? insertEvent(head, event, run.id, HashChain::CloseDetail(run)) : result;
}

JournalResult Journal::recordReading(const ConfirmedReading &confirmed)
{
    return recordReadings({ confirmed });
}

JournalResult Journal::recordReadings(const QList<ConfirmedReading> &readings)
{
    if (m_runStored && m_run.status != RunStatus::Open)
        return JournalResult::Failure(JournalResult::Error::Other,
                                      u"the run is complete; it takes no more readings"_s);
    JournalRun run = m_run;
    const QString now = JournalNow();
    const bool newRun = !m_runStored;
    if (newRun) {
        run.id = QUuid::createUuid().toString(QUuid::WithoutBraces);
        run.startedAt = now;
    }
    const JournalResult result = write([&](ChainHead &head) {
        JournalResult step;
        if (newRun) {
            step = insertRun(run);
            if (step.ok())
                step = insertEvent(head, JournalEvent::RunStarted, run.id,
                                   HashChain::StartDetail(run));
        }
        for (const ConfirmedReading &confirmed : readings) {
            if (!step.ok())
                break;
            const QString at =
                confirmed.confirmedAt.isValid() ? JournalTimestamp(confirmed.confirmedAt) : now;
            JournalReading reading { 0, confirmed.number, confirmed.received, confirmed.value, at };
            step = insertReading(head, run.id, reading);
            if (step.ok() && confirmed.totals) {
                run.status = RunStatus::Completed;
                run.endedAt = now;
                run.totals = *confirmed.totals;
                step = closeRun(head, run, JournalEvent::RunCompleted);
            }
        }
        return step;
    });
    if (result.ok()) {
        run.readingCount += int(readings.size());
        m_run = run;
        m_runStored = true;
        if (run.status != RunStatus::Open)
            m_runLock.reset();
        else if (newRun)
            holdRun(run.id);
    }
    return result;
}

JournalResult Journal::discardOpenRun(ChainHead &head, DiscardCause cause)
{
    if (!m_runStored)
        return {};
    if (m_run.status != RunStatus::Open)
        return cause == DiscardCause::Deleted
            ? insertEvent(head, JournalEvent::RunDeleted, m_run.id, {})
            : JournalResult {};
    JournalRun run = m_run;
    run.status = RunStatus::Discarded;
    run.endedAt = JournalNow();
    run.cause = CauseText(cause);
    return closeRun(head, run, JournalEvent::RunDiscarded);
}

JournalResult Journal::deleteRun()
{
    // The table is empty whatever the journal says: a run left open by a failed write is offered
    // back at the next start rather than lost.
    const JournalResult result = m_runStored
        ? write([&](ChainHead &head) { return discardOpenRun(head, DiscardCause::Deleted); })
        : JournalResult {};
    resetRun();
    return result;
}

JournalResult Journal::changeMode(MeasurementMode mode, const ModeConstants &constants)
{
    const JournalResult result = write([&](ChainHead &head) {
        JournalResult step =
            insertEvent(head, JournalEvent::ModeChanged, eventRunId(), ModeDetail(mode, constants));
        return step.ok() ? discardOpenRun(head, DiscardCause::ModeChanged) : step;
    });
    m_header.mode = mode;
    m_header.constants = constants;
    resetRun();
    return result;
}

JournalResult Journal::changeSampleCount(int sampleCount)
{
    // A stored run keeps the count it started with (its row is never rewritten) and notes the
    // change as an event; later runs start with the new count.
    m_header.sampleCount = sampleCount;
    if (!m_runStored)
        m_run.header = m_header;
    if (!m_runStored || m_run.status != RunStatus::Open)
        return {};
    return recordEvent(JournalEvent::SampleCountChanged, QString::number(sampleCount));
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
    const JournalHistory history(m_db);
    QList<JournalRun> open;
    JournalResult result = history.openRuns(m_station, kOpenRunsLooked, open);
    for (const JournalRun &candidate : std::as_const(open)) {
        if (!result.ok() || runInUse(candidate.id))
            continue;
        run = candidate;
        result = history.readings(run->station, run->id, readings);
        // The run row keeps the count it started with; a change is an event of the run.
        QSqlQuery query(m_db.database());
        if (result.ok())
            result =
                m_db.exec(query,
                          u"SELECT detail FROM events WHERE station = ? AND run_id = ? AND "
                          "kind = ? ORDER BY seq DESC LIMIT 1"_s,
                          { run->station, run->id, EventText(JournalEvent::SampleCountChanged) });
        if (result.ok() && query.next())
            run->header.sampleCount = query.value(0).toInt();
        break;
    }
    return result;
}

JournalResult Journal::continueRun(const JournalRun &run, const QString &restoredBy)
{
    holdRun(run.id);
    if (!m_runLock)
        return JournalResult::Failure(JournalResult::Error::Claimed,
                                      u"another instance has taken run %1 over"_s.arg(run.id));
    const JournalResult result = write([&](ChainHead &head) {
        return insertEvent(head, JournalEvent::RunRestored, run.id, restoredBy);
    });
    if (result.ok()) {
        m_run = run;
        m_runStored = true;
    } else {
        m_runLock.reset();
    }
    return result;
}

JournalResult Journal::abandonRun(const JournalRun &run)
{
    JournalRun closed = run;
    closed.status = RunStatus::Abandoned;
    closed.endedAt = JournalNow();
    return write(
        [&](ChainHead &head) { return closeRun(head, closed, JournalEvent::RunAbandoned); });
}
