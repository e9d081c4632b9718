#include "core/journal/store/JournalSchema.h"

#include <QSqlQuery>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace {

// Keys carry the station, so that the journals of several stations can be merged and rows
// forwarded by (station, seq) and (station, run_id) without clashes. Readings and events share
// one sequence per station: the hash chain runs through both in seq order. Triggers keep every
// row as written; a run's closing fields are written once, when it leaves "open".
const QStringList kVersion1 {
    uR"(CREATE TABLE runs (
        station TEXT NOT NULL, run_id TEXT NOT NULL, port TEXT NOT NULL, started_at TEXT NOT NULL,
        unit TEXT NOT NULL, sample TEXT NOT NULL, batch TEXT NOT NULL, inspector TEXT NOT NULL,
        sample_count INTEGER NOT NULL, mode INTEGER NOT NULL,
        const_a REAL NOT NULL, const_len_c REAL NOT NULL, const_c REAL NOT NULL,
        const_len_a REAL NOT NULL,
        status TEXT NOT NULL DEFAULT 'open'
            CHECK (status IN ('open', 'completed', 'discarded', 'abandoned')),
        ended_at TEXT, cause TEXT, mean TEXT, deviation TEXT,
        UNIQUE (station, run_id)))"_s,
    u"CREATE INDEX runs_by_start ON runs (started_at)"_s,
    u"CREATE INDEX runs_open ON runs (station, started_at) WHERE status = 'open'"_s,
    uR"(CREATE TABLE readings (
        station TEXT NOT NULL, seq INTEGER NOT NULL, run_id TEXT NOT NULL,
        number INTEGER NOT NULL, received TEXT NOT NULL, value REAL NOT NULL,
        confirmed_at TEXT NOT NULL, hash BLOB NOT NULL,
        PRIMARY KEY (station, seq), UNIQUE (station, run_id, number),
        FOREIGN KEY (station, run_id) REFERENCES runs (station, run_id)) WITHOUT ROWID)"_s,
    uR"(CREATE TABLE events (
        station TEXT NOT NULL, seq INTEGER NOT NULL, at TEXT NOT NULL, run_id TEXT,
        kind TEXT NOT NULL, detail TEXT NOT NULL, hash BLOB NOT NULL,
        PRIMARY KEY (station, seq),
        FOREIGN KEY (station, run_id) REFERENCES runs (station, run_id)) WITHOUT ROWID)"_s,
    uR"(CREATE TRIGGER readings_kept BEFORE UPDATE ON readings
        BEGIN SELECT RAISE(ABORT, 'journal rows are never changed'); END)"_s,
    uR"(CREATE TRIGGER readings_not_deleted BEFORE DELETE ON readings
        BEGIN SELECT RAISE(ABORT, 'journal rows are never deleted'); END)"_s,
    uR"(CREATE TRIGGER events_kept BEFORE UPDATE ON events
        BEGIN SELECT RAISE(ABORT, 'journal rows are never changed'); END)"_s,
    uR"(CREATE TRIGGER events_not_deleted BEFORE DELETE ON events
        BEGIN SELECT RAISE(ABORT, 'journal rows are never deleted'); END)"_s,
    uR"(CREATE TRIGGER runs_not_deleted BEFORE DELETE ON runs
        BEGIN SELECT RAISE(ABORT, 'journal rows are never deleted'); END)"_s,
    uR"(CREATE TRIGGER runs_closed_once BEFORE UPDATE ON runs
        WHEN OLD.status <> 'open' OR NEW.status = 'open'
            OR NEW.station IS NOT OLD.station OR NEW.run_id IS NOT OLD.run_id
            OR NEW.port IS NOT OLD.port OR NEW.started_at IS NOT OLD.started_at
            OR NEW.unit IS NOT OLD.unit OR NEW.sample IS NOT OLD.sample
            OR NEW.batch IS NOT OLD.batch OR NEW.inspector IS NOT OLD.inspector
            OR NEW.sample_count IS NOT OLD.sample_count OR NEW.mode IS NOT OLD.mode
            OR NEW.const_a IS NOT OLD.const_a OR NEW.const_len_c IS NOT OLD.const_len_c
            OR NEW.const_c IS NOT OLD.const_c OR NEW.const_len_a IS NOT OLD.const_len_a
        BEGIN SELECT RAISE(ABORT, 'a run is closed once and its header never changes'); END)"_s,
};

// Which journal this is. A journal started afresh (after damage, on a new PC, after the file was
// removed) numbers its rows from 1 again under the same station; the lab server tells the two
// chains apart by this.
const QStringList kVersion2 {
    u"CREATE TABLE identity (journal TEXT NOT NULL)"_s,
    u"INSERT INTO identity VALUES (lower(hex(randomblob(16))))"_s,
    uR"(CREATE TRIGGER identity_once BEFORE INSERT ON identity
        BEGIN SELECT RAISE(ABORT, 'a journal has one identity'); END)"_s,
    uR"(CREATE TRIGGER identity_kept BEFORE UPDATE ON identity
        BEGIN SELECT RAISE(ABORT, 'a journal has one identity'); END)"_s,
    uR"(CREATE TRIGGER identity_not_deleted BEFORE DELETE ON identity
        BEGIN SELECT RAISE(ABORT, 'a journal has one identity'); END)"_s,
};

// Migration i takes version i to i + 1.
const QList<QStringList> kMigrations { kVersion1, kVersion2 };

} // namespace

JournalResult JournalSchema::Open(SqliteConnection &db, const QString &path,
                                  SqliteConnection::OpenMode mode, int busyTimeoutMs)
{
    JournalResult result = db.open(path, mode, busyTimeoutMs);
    if (result.ok())
        result = Prepare(db, mode == SqliteConnection::OpenMode::Write);
    if (!result.ok())
        db.close();
    return result;
}

JournalResult JournalSchema::ReadVersion(SqliteConnection &db, int &version)
{
    QSqlQuery query(db.database());
    JournalResult result = db.exec(query, u"PRAGMA user_version"_s);
    if (result.ok())
        version = query.next() ? query.value(0).toInt() : 0;
    return result;
}

JournalResult JournalSchema::Prepare(SqliteConnection &db, bool mayWrite)
{
    static_assert(kVersion == 2, "one migration per version");
    int version = 0;
    if (JournalResult result = ReadVersion(db, version); !result.ok())
        return result;
    if (version > kVersion)
        return JournalResult::Failure(
            JournalResult::Error::NewerVersion,
            u"the journal has version %1, newer than this program's %2; it is left unchanged"_s
                .arg(version)
                .arg(kVersion));
    if (version == kVersion)
        return {};
    if (!mayWrite)
        return JournalResult::Failure(
            JournalResult::Error::Other,
            u"the journal has version %1, older than this program's %2"_s.arg(version).arg(
                kVersion));

    if (JournalResult result = db.begin(); !result.ok())
        return result;
    QSqlQuery query(db.database());
    // Another instance may have migrated between our read and our write lock.
    if (JournalResult result = ReadVersion(db, version); !result.ok() || version >= kVersion) {
        db.rollback();
        return result;
    }
    if (version == 0) {
        JournalResult result = db.exec(query, u"SELECT count(*) FROM sqlite_master"_s);
        if (result.ok() && query.next() && query.value(0).toInt() > 0)
            result = JournalResult::Failure(JournalResult::Error::CannotOpen,
                                            u"the file is an SQLite database of another program"_s);
        if (!result.ok()) {
            db.rollback();
            return result;
        }
    }
    for (; version < kVersion; ++version) {
        for (const QString &statement : kMigrations.at(version)) {
            if (JournalResult result = db.exec(query, statement); !result.ok()) {
                db.rollback();
                return result;
            }
        }
    }
    // A pragma takes no bound value; the number is our own constant.
    if (JournalResult result = db.exec(query, u"PRAGMA user_version = %1"_s.arg(kVersion));
        !result.ok()) {
        db.rollback();
        return result;
    }
    return db.commit();
}
