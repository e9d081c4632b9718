#include "core/journal/server/ForwardWorker.h"

#include "core/journal/server/ServerSchema.h"
#include "core/journal/store/HashChain.h"
#include "core/journal/store/JournalRows.h"
#include "core/journal/store/JournalSchema.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlError>
#include <QSqlQuery>

using namespace Qt::StringLiterals;

namespace {

// Rows per server transaction: large enough that a backlog goes at the server's pace, small
// enough that a cut costs little to redo.
constexpr int kBatchRows = 500;
constexpr int kSettleMs = 250;

const QString kStoredHash =
    u"SELECT hash FROM readings WHERE station = ? AND journal = ? AND seq = ? UNION ALL "
    "SELECT hash FROM events WHERE station = ? AND journal = ? AND seq = ?"_s;

} // namespace

ForwardWorker::ForwardWorker(QString journalPath, QString connInfo,
                             std::shared_ptr<const std::atomic_bool> stopping,
                             std::chrono::milliseconds serverTimeout,
                             std::chrono::milliseconds retryFirst,
                             std::chrono::milliseconds retryLongest,
                             std::shared_ptr<const std::atomic<quint64>> commits)
    : m_journalPath(std::move(journalPath))
    , m_connInfo(std::move(connInfo))
    , m_stopping(std::move(stopping))
    , m_retryFirst(retryFirst)
    , m_retryLongest(retryLongest)
    , m_retryNext(retryFirst)
    , m_server(serverTimeout)
    , m_commits(std::move(commits))
{
    m_soon.setSingleShot(true);
    connect(&m_soon, &QTimer::timeout, this, &ForwardWorker::pass);
    // Every commit of any writer of the journal appends to its write-ahead log, but readers see it
    // only once it is synced and indexed: a second look follows, when it has settled.
    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettleMs);
    connect(&m_settle, &QTimer::timeout, this, &ForwardWorker::schedule);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, [this] {
        schedule();
        m_settle.start();
    });
}

ForwardWorker::~ForwardWorker() = default;

void ForwardWorker::begin()
{
    publish(ForwardState::Status::Starting);
    pass();
}

void ForwardWorker::schedule()
{
    if (!m_soon.isActive())
        m_soon.start(0);
}

void ForwardWorker::tryNow()
{
    m_soon.start(0);
}

void ForwardWorker::publish(ForwardState::Status status, const JournalResult &result)
{
    const ForwardState state { status, pendingRows(), result.error, result.text };
    if (state == m_state && m_passCommits == m_commitsPublished)
        return;
    m_state = state;
    m_commitsPublished = m_passCommits;
    emit stateChanged(state, m_passCommits);
}

qint64 ForwardWorker::pendingRows() const
{
    qint64 pending = 0;
    for (auto it = m_localHead.cbegin(); it != m_localHead.cend(); ++it) {
        const auto server = m_serverHead.constFind(it.key());
        if (server == m_serverHead.cend())
            return -1;
        pending += std::max<qint64>(0, it.value() - server.value());
    }
    return pending;
}

JournalResult ForwardWorker::openLocal()
{
    if (m_local.isOpen())
        return {};
    // SQLite running as root hands the write-ahead log it opens to the database file's owner: the
    // watcher would take that for a commit, so it looks away while the reader opens.
    if (!m_watcher.files().isEmpty())
        m_watcher.removePaths(m_watcher.files());
    return JournalSchema::Open(m_local, m_journalPath, SqliteConnection::OpenMode::Read);
}

JournalResult ForwardWorker::openBoth()
{
    if (JournalResult result = openLocal(); !result.ok())
        return result;
    if (m_watcher.files().isEmpty())
        m_watcher.addPath(m_journalPath + u"-wal"_s);
    if (m_server.isOpen())
        return {};
    JournalResult result = m_server.open(m_connInfo);
    if (result.ok())
        result = ServerSchema::Check(m_server);
    if (!result.ok())
        m_server.close();
    return result;
}

void ForwardWorker::pass()
{
    // What the forwarder committed up to now is in the journal as this pass reads it.
    m_passCommits = m_commits->load();
    QStringList stations;
    JournalResult result = readLocal(stations);
    // The server owes an answer to every statement of the pass, and to none between passes.
    m_server.setIdle(false);
    if (result.ok())
        result = openBoth();
    for (const QString &station : std::as_const(stations)) {
        if (!result.ok() || m_stopping->load())
            break;
        result = forwardStation(station);
    }
    m_server.setIdle(true);
    if (m_stopping->load())
        return;
    if (!result.ok()) {
        const bool silent = m_server.gaveUp();
        // A fresh connection next time: the old one may be cut, or inside a failed transaction.
        m_server.close();
        // Rows committed while the server kept the pass waiting wait too.
        m_passCommits = m_commits->load();
        readLocal(stations);
        m_local.close();
        publish(silent ? ForwardState::Status::NotAnswering : ForwardState::Status::Unreachable,
                result);
        m_soon.start(m_retryNext);
        m_retryNext = std::min(m_retryNext * 2, m_retryLongest);
        return;
    }
    m_retryNext = m_retryFirst;
    publish(pendingRows() == 0 ? ForwardState::Status::Synced : ForwardState::Status::Pending);
}

JournalResult ForwardWorker::readLocal(QStringList &stations)
{
    stations.clear();
    JournalResult result = openLocal();
    if (result.ok())
        result = localIdentity();
    if (result.ok())
        result = localStations(stations);
    for (const QString &station : std::as_const(stations)) {
        ChainHead head;
        if (result.ok())
            result = HashChain::ReadHead(m_local, station, head);
        m_localHead[station] = head.seq;
    }
    return result;
}

JournalResult ForwardWorker::localStations(QStringList &stations)
{
    // Every station's chain starts with an event; this walks the event key's first column
    // instead of reading the whole table.
    QSqlQuery query(m_local.database());
    const JournalResult result =
        m_local.exec(query,
                     u"WITH RECURSIVE s(station) AS (SELECT min(station) FROM events UNION ALL "
                     "SELECT (SELECT min(station) FROM events WHERE station > s.station) FROM s "
                     "WHERE s.station IS NOT NULL) SELECT station FROM s "
                     "WHERE station IS NOT NULL"_s);
    while (result.ok() && query.next())
        stations << query.value(0).toString();
    return result;
}

JournalResult ForwardWorker::localIdentity()
{
    QSqlQuery query(m_local.database());
    JournalResult result = m_local.exec(query, u"SELECT journal FROM identity"_s);
    m_journalId = result.ok() && query.next() ? query.value(0).toString() : QString();
    if (result.ok() && m_journalId.isEmpty())
        result = JournalResult::Failure(JournalResult::Error::Corrupt,
                                        u"the local journal has no identity"_s);
    return result;
}

JournalResult ForwardWorker::serverHead(const QString &station, qint64 &seq)
{
    QSqlQuery query(m_server.database());
    const JournalResult result =
        m_server.exec(query,
                      u"SELECT GREATEST((SELECT max(seq) FROM readings WHERE station = ? AND "
                      "journal = ?), (SELECT max(seq) FROM events WHERE station = ? AND "
                      "journal = ?), 0)"_s,
                      { station, m_journalId, station, m_journalId });
    seq = result.ok() && query.next() ? query.value(0).toLongLong() : 0;
    return result;
}

// The row with this number must be the same here and there; otherwise a copy of this journal went
// its own way under the same identity, and nothing more is sent.
JournalResult ForwardWorker::checkSameRow(const QString &station, qint64 seq)
{
    QSqlQuery local(m_local.database());
    QSqlQuery server(m_server.database());
    JournalResult result =
        m_local.exec(local,
                     u"SELECT hash FROM readings WHERE station = ? AND seq = ? UNION ALL "
                     "SELECT hash FROM events WHERE station = ? AND seq = ?"_s,
                     { station, seq, station, seq });
    if (result.ok())
        result = m_server.exec(server, kStoredHash,
                               { station, m_journalId, seq, station, m_journalId, seq });
    if (!result.ok())
        return result;
    const QByteArray localHash = local.next() ? local.value(0).toByteArray() : QByteArray();
    const QByteArray serverHash = server.next() ? server.value(0).toByteArray() : QByteArray();
    if (!localHash.isEmpty() && localHash == serverHash && !server.next())
        return {};
    return JournalResult::Failure(
        JournalResult::Error::Mismatch,
        u"the server holds another row %1 of station %2 than this journal; nothing more is sent "
        "for it"_s.arg(seq)
            .arg(station));
}

JournalResult ForwardWorker::forwardStation(const QString &station)
{
    qint64 head = 0;
    JournalResult result = serverHead(station, head);
    if (!result.ok())
        return result;
    const qint64 local = m_localHead.value(station);
    if (head > local)
        return JournalResult::Failure(
            JournalResult::Error::Mismatch,
            u"the server holds %1 rows of station %2, this journal only %3"_s.arg(head)
                .arg(station)
                .arg(local));
    if (head > 0 && (result = checkSameRow(station, head), !result.ok()))
        return result;
    m_serverHead[station] = head;
    while (head < local && !m_stopping->load()) {
        QList<ChainRow> rows;
        if (result = readRows(station, head, rows); !result.ok())
            return result;
        if (rows.isEmpty() || rows.constFirst().seq() != head + 1)
            return JournalResult::Failure(
                JournalResult::Error::Corrupt,
                u"row %1 of station %2 is missing from the local journal"_s.arg(head + 1).arg(
                    station));
        if (result = sendBatch(station, rows); !result.ok())
            return result;
        head = rows.constLast().seq();
        m_serverHead[station] = head;
        publish(ForwardState::Status::Pending);
    }
    return result;
}

JournalResult ForwardWorker::readRows(const QString &station, qint64 after, QList<ChainRow> &rows)
{
    QSqlQuery query(m_local.database());
    query.setForwardOnly(true);
    const JournalResult result = m_local.exec(
        query, JournalRows::chainQuery(false, u"station = ? AND seq > ?"_s) + u" LIMIT ?"_s,
        { station, after, station, after, kBatchRows });
    while (result.ok() && query.next()) {
        rows.append(JournalRows::chainRowFrom(query));
        // Sequence numbers are consecutive; a gap is left for the next pass to report.
        if (rows.size() > 1 && rows.constLast().seq() != rows.at(rows.size() - 2).seq() + 1) {
            rows.removeLast();
            break;
        }
    }
    return result;
}

JournalResult ForwardWorker::sendBatch(const QString &station, const QList<ChainRow> &rows)
{
    QSqlDatabase db = m_server.database();
    QSqlQuery reading(db);
    QSqlQuery event(db);
    QSqlQuery start(db);
    QSqlQuery end(db);
    QSqlQuery stored(db);
    const auto failed = [this](const QSqlQuery &query) {
        const JournalResult result = m_server.resultFromError(query.lastError());
        m_server.rollback();
        return result;
    };
    if (JournalResult result = m_server.begin(); !result.ok())
        return result;
    const bool prepared =
        reading.prepare(u"INSERT INTO readings (station, seq, run_id, number, received, value, "
                        "confirmed_at, hash, journal, confirmed_offset, written_at, "
                        "written_offset, account, auto_confirmed) VALUES (?, ?, ?, ?, ?, ?, ?, "
                        "?, ?, ?, ?, ?, ?, ?) ON CONFLICT DO NOTHING"_s)
        && event.prepare(u"INSERT INTO events (station, seq, at, run_id, kind, detail, hash, "
                         "journal, at_offset) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?) "
                         "ON CONFLICT DO NOTHING"_s)
        && start.prepare(
            u"INSERT INTO run_starts (station, run_id, port, started_at, unit, sample, "
            "batch, inspector, sample_count, mode, const_a, const_len_c, const_c, "
            "const_len_a, started_offset, account, method, method_version, lower_limit, "
            "upper_limit, result_decimals) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
            "?, ?, ?, ?, ?, ?) ON CONFLICT DO NOTHING"_s)
        && end.prepare(u"INSERT INTO run_ends (station, run_id, status, ended_at, cause, mean, "
                       "deviation, ended_offset, verdict) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?) "
                       "ON CONFLICT DO NOTHING"_s)
        && stored.prepare(kStoredHash);
    if (!prepared) {
        for (const QSqlQuery *query : { &event, &start, &end, &stored }) {
            if (query->lastError().isValid())
                return failed(*query);
        }
        return failed(reading);
    }
    // Values the rows written before them lack are NULL here too.
    const auto optional = [](const QJsonValue &value) {
        return value.isDouble() ? QVariant(value.toInt()) : QVariant();
    };
    const auto text = [](const QJsonValue &value) {
        return value.isString() ? QVariant(value.toString()) : QVariant();
    };
    const auto number = [](const QJsonValue &value) {
        return value.isString() ? QVariant(value.toString().toDouble()) : QVariant();
    };
    for (const ChainRow &row : rows) {
        const QVariant runId = row.runId ? QVariant(*row.runId) : QVariant();
        // The run rows come from the start and closing events, which carry (and hash) them.
        const QJsonObject detail = row.isReading
                || (row.event.kind != EventText(JournalEvent::RunStarted)
                    && !IsClosingEvent(row.event.kind))
            ? QJsonObject()
            : QJsonDocument::fromJson(row.event.detail.toUtf8()).object();
        if (!row.isReading && row.event.kind == EventText(JournalEvent::RunStarted)) {
            const QVariantList values {
                station,
                runId,
                detail[u"port"].toString(),
                detail[u"started"].toString(),
                detail[u"unit"].toString(),
                detail[u"sample"].toString(),
                detail[u"batch"].toString(),
                detail[u"inspector"].toString(),
                detail[u"n"].toInt(),
                detail[u"mode"].toInt(),
                detail[u"a"].toString().toDouble(),
                detail[u"lenC"].toString().toDouble(),
                detail[u"C"].toString().toDouble(),
                detail[u"lena"].toString().toDouble(),
                optional(detail[u"startedOffset"]),
                detail.contains(u"account") ? QVariant(detail[u"account"].toString()) : QVariant(),
                text(detail[u"method"]),
                optional(detail[u"methodVersion"]),
                number(detail[u"lower"]),
                number(detail[u"upper"]),
                optional(detail[u"decimals"]),
            };
            for (const QVariant &value : values)
                start.addBindValue(value);
            if (!start.exec())
                return failed(start);
        }
        QSqlQuery &insert = row.isReading ? reading : event;
        const JournalReading &r = row.reading;
        const JournalEventRow &e = row.event;
        const QVariant noOffset;
        const QVariantList values = row.isReading
            ? QVariantList { station,
                             r.seq,
                             runId,
                             r.number,
                             r.received,
                             r.value,
                             r.confirmedAt,
                             row.hash,
                             m_journalId,
                             r.confirmedOffset ? QVariant(*r.confirmedOffset) : noOffset,
                             r.writtenAt.isEmpty() ? QVariant() : QVariant(r.writtenAt),
                             r.writtenOffset ? QVariant(*r.writtenOffset) : noOffset,
                             r.account ? QVariant(*r.account) : QVariant(),
                             r.autoConfirmed ? QVariant(1) : QVariant() }
            : QVariantList { station,  e.seq,       e.at,
                             runId,    e.kind,      e.detail,
                             row.hash, m_journalId, e.atOffset ? QVariant(*e.atOffset) : noOffset };
        for (const QVariant &value : values)
            insert.addBindValue(value);
        if (!insert.exec())
            return failed(insert);
        if (insert.numRowsAffected() == 0) {
            // Sent before (a retry after a cut, or another instance on this journal): it must be
            // this very row.
            for (const QVariant &value :
                 { QVariant(station), QVariant(m_journalId), QVariant(row.seq()), QVariant(station),
                   QVariant(m_journalId), QVariant(row.seq()) })
                stored.addBindValue(value);
            if (!stored.exec())
                return failed(stored);
            if (!stored.next() || stored.value(0).toByteArray() != row.hash) {
                m_server.rollback();
                return JournalResult::Failure(
                    JournalResult::Error::Mismatch,
                    u"the server holds another row %1 of station %2 than this journal"_s
                        .arg(row.seq())
                        .arg(station));
            }
            stored.finish();
        }
        if (!row.isReading && IsClosingEvent(row.event.kind)) {
            const QVariantList ends { station,
                                      runId,
                                      detail[u"status"].toString(),
                                      detail[u"ended"].toString(),
                                      detail[u"cause"].toString(),
                                      detail[u"mean"].toString(),
                                      detail[u"deviation"].toString(),
                                      optional(detail[u"endedOffset"]),
                                      text(detail[u"verdict"]) };
            for (const QVariant &value : ends)
                end.addBindValue(value);
            if (!end.exec())
                return failed(end);
        }
    }
    return m_server.commit();
}
