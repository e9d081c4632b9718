#include "core/journal/store/JournalSchema.h"

#include "core/journal/store/HashChain.h"

#include <QFileInfo>
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

// The offset from UTC of the recording clock beside every stored time, so that a time shows as
// it was recorded wherever it is read (rows from before have none). A reading also keeps when it
// was written: after a failed write, the readings the journal missed are written later, with
// their own Confirm times. The run's header now includes its start offset.
const QStringList kVersion3 {
    u"ALTER TABLE runs ADD COLUMN started_offset INTEGER"_s,
    u"ALTER TABLE runs ADD COLUMN ended_offset INTEGER"_s,
    u"ALTER TABLE readings ADD COLUMN confirmed_offset INTEGER"_s,
    u"ALTER TABLE readings ADD COLUMN written_at TEXT"_s,
    u"ALTER TABLE readings ADD COLUMN written_offset INTEGER"_s,
    u"ALTER TABLE events ADD COLUMN at_offset INTEGER"_s,
    u"DROP TRIGGER runs_closed_once"_s,
    uR"(CREATE TRIGGER runs_closed_once BEFORE UPDATE ON runs
        WHEN OLD.status <> 'open' OR NEW.status = 'open'
            OR NEW.station IS NOT OLD.station OR NEW.run_id IS NOT OLD.run_id
            OR NEW.port IS NOT OLD.port OR NEW.started_at IS NOT OLD.started_at
            OR NEW.started_offset IS NOT OLD.started_offset
            OR NEW.unit IS NOT OLD.unit OR NEW.sample IS NOT OLD.sample
            OR NEW.batch IS NOT OLD.batch OR NEW.inspector IS NOT OLD.inspector
            OR NEW.sample_count IS NOT OLD.sample_count OR NEW.mode IS NOT OLD.mode
            OR NEW.const_a IS NOT OLD.const_a OR NEW.const_len_c IS NOT OLD.const_len_c
            OR NEW.const_c IS NOT OLD.const_c OR NEW.const_len_a IS NOT OLD.const_len_a
        BEGIN SELECT RAISE(ABORT, 'a run is closed once and its header never changes'); END)"_s,
    u"PRAGMA application_id = %1"_s.arg(JournalSchema::kApplicationId),
};

// Accounts: who confirmed each reading and who started each run (NULL without accounts), and the
// password hashes, which stay at the station: the lab server never gets them. Each row belongs
// to the chained event that set the password, whose detail holds a digest of the hash, so that a
// hash replaced here shows. Indexes for the events of one run and of one kind (the accounts and
// signatures are read from their events). The run's account joins the header that never changes
// with the next version's trigger.
const QStringList kVersion4 {
    u"ALTER TABLE runs ADD COLUMN account TEXT"_s,
    u"ALTER TABLE readings ADD COLUMN account TEXT"_s,
    uR"(CREATE TABLE passwords (
        station TEXT NOT NULL, seq INTEGER NOT NULL, account TEXT NOT NULL, hash TEXT NOT NULL,
        PRIMARY KEY (station, seq),
        FOREIGN KEY (station, seq) REFERENCES events (station, seq)) WITHOUT ROWID)"_s,
    uR"(CREATE TRIGGER passwords_kept BEFORE UPDATE ON passwords
        BEGIN SELECT RAISE(ABORT, 'journal rows are never changed'); END)"_s,
    uR"(CREATE TRIGGER passwords_not_deleted BEFORE DELETE ON passwords
        BEGIN SELECT RAISE(ABORT, 'journal rows are never deleted'); END)"_s,
    u"CREATE INDEX events_by_run ON events (station, run_id, seq)"_s,
    u"CREATE INDEX events_by_kind ON events (station, kind, seq)"_s,
};

// Methods. A run under one records its name, version and what its verdict is made of in its
// header, and the verdict with its closing; a reading confirmed by itself once stable says so.
// The methods themselves are events of the chain; an index finds them without reading the rest.
const QStringList kVersion5 {
    u"ALTER TABLE runs ADD COLUMN method TEXT"_s,
    u"ALTER TABLE runs ADD COLUMN method_version INTEGER"_s,
    u"ALTER TABLE runs ADD COLUMN lower_limit REAL"_s,
    u"ALTER TABLE runs ADD COLUMN upper_limit REAL"_s,
    u"ALTER TABLE runs ADD COLUMN result_decimals INTEGER"_s,
    u"ALTER TABLE runs ADD COLUMN verdict TEXT CHECK (verdict IN ('pass', 'fail'))"_s,
    u"ALTER TABLE readings ADD COLUMN auto_confirmed INTEGER"_s,
    u"CREATE INDEX events_methods ON events (station, seq) "
    "WHERE kind IN ('method-set', 'method-retired')"_s,
    u"DROP TRIGGER runs_closed_once"_s,
    uR"(CREATE TRIGGER runs_closed_once BEFORE UPDATE ON runs
        WHEN OLD.status <> 'open' OR NEW.status = 'open'
            OR NEW.station IS NOT OLD.station OR NEW.run_id IS NOT OLD.run_id
            OR NEW.port IS NOT OLD.port OR NEW.started_at IS NOT OLD.started_at
            OR NEW.started_offset IS NOT OLD.started_offset
            OR NEW.unit IS NOT OLD.unit OR NEW.sample IS NOT OLD.sample
            OR NEW.batch IS NOT OLD.batch OR NEW.inspector IS NOT OLD.inspector
            OR NEW.sample_count IS NOT OLD.sample_count OR NEW.mode IS NOT OLD.mode
            OR NEW.const_a IS NOT OLD.const_a OR NEW.const_len_c IS NOT OLD.const_len_c
            OR NEW.const_c IS NOT OLD.const_c OR NEW.const_len_a IS NOT OLD.const_len_a
            OR NEW.account IS NOT OLD.account
            OR NEW.method IS NOT OLD.method OR NEW.method_version IS NOT OLD.method_version
            OR NEW.lower_limit IS NOT OLD.lower_limit OR NEW.upper_limit IS NOT OLD.upper_limit
            OR NEW.result_decimals IS NOT OLD.result_decimals
        BEGIN SELECT RAISE(ABORT, 'a run is closed once and its header never changes'); END)"_s,
};

// Migration i takes version i to i + 1.
const QList<QStringList> kMigrations { kVersion1, kVersion2, kVersion3, kVersion4, kVersion5 };

JournalResult ReadInt(SqliteConnection &db, const QString &sql, int &value)
{
    QSqlQuery query(db.database());
    const JournalResult result = db.exec(query, sql);
    value = result.ok() && query.next() ? query.value(0).toInt() : 0;
    return result;
}

// A chain written before keying goes on keyed: each station's next row says so, keyed itself,
// and every row after it is keyed. Nobody without the key can move that boundary.
JournalResult StartKeying(SqliteConnection &db, const QByteArray &stationKey)
{
    QSqlQuery query(db.database());
    QString identity;
    JournalResult result = JournalSchema::ReadIdentity(db, identity);
    if (result.ok())
        result = db.exec(query, u"SELECT DISTINCT station FROM events"_s);
    QStringList stations;
    while (result.ok() && query.next())
        stations << query.value(0).toString();
    if (result.ok() && !stations.isEmpty() && stationKey.isEmpty())
        return JournalResult::Failure(JournalResult::Error::Other,
                                      u"the journal's chain cannot be keyed without the key"_s);
    const HashChain chain(stationKey, identity);
    for (const QString &station : std::as_const(stations)) {
        ChainHead head;
        if (result = HashChain::ReadHead(db, station, head); !result.ok())
            break;
        const QDateTime now = QDateTime::currentDateTimeUtc();
        const JournalEventRow event { head.seq + 1,
                                      JournalTimestamp(now),
                                      LocalOffsetAt(now),
                                      std::nullopt,
                                      EventText(JournalEvent::ChainKeyed),
                                      QString() };
        result = db.exec(query,
                         u"INSERT INTO events (station, seq, at, at_offset, run_id, kind, detail, "
                         "hash) VALUES (?, ?, ?, ?, NULL, ?, '', ?)"_s,
                         { station, event.seq, event.at, *event.atOffset, event.kind,
                           chain.eventHash(head.hash, station, event) });
        if (!result.ok())
            break;
    }
    return result;
}

} // namespace

JournalResult JournalSchema::Open(SqliteConnection &db, const QString &path,
                                  SqliteConnection::OpenMode mode, int busyTimeoutMs,
                                  const QByteArray &stationKey)
{
    const bool write = mode == SqliteConnection::OpenMode::Write;
    const QFileInfo file(path);
    // A writer looks at the file through a read-only connection first: another program's
    // database is never written, not even by switching it to WAL.
    const bool existed = file.exists() && file.size() > 0;
    if (write && existed) {
        SqliteConnection reader;
        if (JournalResult result =
                reader.open(path, SqliteConnection::OpenMode::Read, busyTimeoutMs);
            !result.ok())
            return result;
        if (JournalResult result = CheckOurs(reader); !result.ok())
            return result;
    }
    JournalResult result = db.open(path, mode, busyTimeoutMs);
    if (result.ok())
        result = write ? db.enableWriting() : CheckOurs(db);
    if (result.ok() && write && existed)
        result = QuickCheck(db);
    if (result.ok())
        result = Prepare(db, write, stationKey);
    if (!result.ok())
        db.close();
    return result;
}

JournalResult JournalSchema::CheckOurs(SqliteConnection &db)
{
    int application = 0;
    int version = 0;
    JournalResult result = ReadInt(db, u"PRAGMA application_id"_s, application);
    if (result.ok())
        result = ReadInt(db, u"PRAGMA user_version"_s, version);
    int tables = 0;
    int ours = 0;
    QSqlQuery query(db.database());
    if (result.ok())
        result = db.exec(query,
                         u"SELECT count(*), total(name IN ('runs', 'readings', 'events')) "
                         "FROM sqlite_master WHERE type = 'table'"_s);
    if (result.ok() && query.next()) {
        tables = query.value(0).toInt();
        ours = query.value(1).toInt();
    }
    // Ours by our application id, or, written before there was one, by our tables.
    const bool marked = application == kApplicationId;
    const bool older = application == 0 && version >= 1 && version <= 2 && ours == 3;
    const bool empty = application == 0 && version == 0 && tables == 0;
    if (result.error == JournalResult::Error::Corrupt && !marked)
        return JournalResult::Failure(JournalResult::Error::NotJournal,
                                      result.text
                                          + u"; nothing shows that it is a journal of this "
                                            "program, so it is left as it is"_s);
    if (!result.ok() || marked || older || empty)
        return result;
    return JournalResult::Failure(JournalResult::Error::NotJournal,
                                  u"the file is an SQLite database of another program; it is left "
                                  "as it is"_s);
}

JournalResult JournalSchema::QuickCheck(SqliteConnection &db)
{
    QSqlQuery query(db.database());
    JournalResult result = db.exec(query, u"PRAGMA quick_check"_s);
    QStringList problems;
    while (result.ok() && query.next()) {
        if (const QString line = query.value(0).toString(); line != u"ok"_s)
            problems << line;
    }
    if (result.ok() && !problems.isEmpty())
        result = JournalResult::Failure(JournalResult::Error::Corrupt, problems.join(u"; "_s));
    return result;
}

JournalResult JournalSchema::ReadIdentity(JournalConnection &db, QString &identity)
{
    QSqlQuery query(db.database());
    JournalResult result = db.exec(query, u"SELECT journal FROM identity"_s);
    identity = result.ok() && query.next() ? query.value(0).toString() : QString();
    if (result.ok() && identity.isEmpty())
        result =
            JournalResult::Failure(JournalResult::Error::Corrupt, u"the journal has no identity"_s);
    return result;
}

JournalResult JournalSchema::ReadVersion(SqliteConnection &db, int &version)
{
    return ReadInt(db, u"PRAGMA user_version"_s, version);
}

JournalResult JournalSchema::Prepare(SqliteConnection &db, bool mayWrite,
                                     const QByteArray &stationKey)
{
    static_assert(kVersion == 5, "one migration per version");
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
            u"the journal has version %1, older than this program's %2: velmora brings it up to "
            "date when it next starts"_s.arg(version)
                .arg(kVersion));

    if (JournalResult result = db.begin(); !result.ok())
        return result;
    QSqlQuery query(db.database());
    const auto fail = [&db](const JournalResult &result) {
        db.rollback();
        return result;
    };
    // Another instance may have migrated between our read and our write lock.
    if (JournalResult result = ReadVersion(db, version); !result.ok() || version >= kVersion)
        return fail(result);
    for (; version < kVersion; ++version) {
        for (const QString &statement : kMigrations.at(version)) {
            if (JournalResult result = db.exec(query, statement); !result.ok())
                return fail(result);
        }
        if (version == 2) {
            if (JournalResult result = StartKeying(db, stationKey); !result.ok())
                return fail(result);
        }
    }
    // A pragma takes no bound value; the number is our own constant.
    if (JournalResult result = db.exec(query, u"PRAGMA user_version = %1"_s.arg(kVersion));
        !result.ok())
        return fail(result);
    return db.commit();
}
