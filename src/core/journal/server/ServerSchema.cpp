#include "core/journal/server/ServerSchema.h"

#include "core/journal/server/ServerConnection.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

using namespace Qt::StringLiterals;

const QString ServerSchema::kWriterRole = u"velmora_station"_s;
const QString ServerSchema::kReaderRole = u"velmora_reader"_s;

namespace {

// A run's header and its closing are separate rows, each written once (locally the closing is an
// update of the run row); the view "runs" joins them under the local table's columns, with rowid
// as the history's paging key. Readings and events carry the identity of the local journal they
// come from: one station's journal started afresh begins a chain of its own.
const QStringList kVersion1 {
    u"CREATE TABLE run_starts (rowid bigint GENERATED ALWAYS AS IDENTITY UNIQUE, "
    "station text NOT NULL, run_id text NOT NULL, port text NOT NULL, started_at text NOT NULL, "
    "unit text NOT NULL, sample text NOT NULL, batch text NOT NULL, inspector text NOT NULL, "
    "sample_count integer NOT NULL, mode integer NOT NULL, const_a double precision NOT NULL, "
    "const_len_c double precision NOT NULL, const_c double precision NOT NULL, "
    "const_len_a double precision NOT NULL, received_at timestamptz NOT NULL DEFAULT now(), "
    "PRIMARY KEY (station, run_id))"_s,
    u"CREATE INDEX run_starts_by_start ON run_starts (started_at)"_s,
    u"CREATE TABLE run_ends (station text NOT NULL, run_id text NOT NULL, "
    "status text NOT NULL CHECK (status IN ('completed', 'discarded', 'abandoned')), "
    "ended_at text NOT NULL, cause text NOT NULL, mean text NOT NULL, deviation text NOT NULL, "
    "received_at timestamptz NOT NULL DEFAULT now(), PRIMARY KEY (station, run_id), "
    "FOREIGN KEY (station, run_id) REFERENCES run_starts (station, run_id))"_s,
    u"CREATE TABLE readings (station text NOT NULL, seq bigint NOT NULL, run_id text NOT NULL, "
    "number integer NOT NULL, received text NOT NULL, value double precision NOT NULL, "
    "confirmed_at text NOT NULL, hash bytea NOT NULL, journal text NOT NULL, "
    "received_at timestamptz NOT NULL DEFAULT now(), PRIMARY KEY (station, journal, seq), "
    "UNIQUE (station, run_id, number), "
    "FOREIGN KEY (station, run_id) REFERENCES run_starts (station, run_id))"_s,
    u"CREATE TABLE events (station text NOT NULL, seq bigint NOT NULL, at text NOT NULL, "
    "run_id text, kind text NOT NULL, detail text NOT NULL, hash bytea NOT NULL, "
    "journal text NOT NULL, received_at timestamptz NOT NULL DEFAULT now(), "
    "PRIMARY KEY (station, journal, seq), "
    "FOREIGN KEY (station, run_id) REFERENCES run_starts (station, run_id))"_s,
    u"CREATE VIEW runs AS SELECT s.rowid, s.station, s.run_id, s.port, s.started_at, s.unit, "
    "s.sample, s.batch, s.inspector, s.sample_count, s.mode, s.const_a, s.const_len_c, "
    "s.const_c, s.const_len_a, COALESCE(e.status, 'open') AS status, e.ended_at, e.cause, "
    "e.mean, e.deviation FROM run_starts s "
    "LEFT JOIN run_ends e ON e.station = s.station AND e.run_id = s.run_id"_s,
    u"CREATE FUNCTION refuse_change() RETURNS trigger LANGUAGE plpgsql AS "
    "$$BEGIN RAISE EXCEPTION 'journal rows on the server are never changed or deleted'; END$$"_s,
    u"DO $$ DECLARE t text; BEGIN "
    "FOREACH t IN ARRAY ARRAY['run_starts', 'run_ends', 'readings', 'events'] LOOP "
    "EXECUTE format('CREATE TRIGGER %I_kept BEFORE UPDATE OR DELETE ON %I "
    "FOR EACH ROW EXECUTE FUNCTION refuse_change()', t, t); "
    "EXECUTE format('CREATE TRIGGER %I_not_truncated BEFORE TRUNCATE ON %I "
    "FOR EACH STATEMENT EXECUTE FUNCTION refuse_change()', t, t); END LOOP; END $$"_s,
    u"GRANT SELECT ON run_starts, run_ends, readings, events, runs, schema_version "
    "TO velmora_reader, velmora_station"_s,
    u"GRANT INSERT ON run_starts, run_ends, readings, events TO velmora_station"_s,
};

// The offsets of the recording clock beside every time, and a reading's write time, as the
// station's journal holds them since its version 3; NULL for rows written before.
const QStringList kVersion2 {
    u"ALTER TABLE run_starts ADD COLUMN started_offset integer"_s,
    u"ALTER TABLE run_ends ADD COLUMN ended_offset integer"_s,
    u"ALTER TABLE readings ADD COLUMN confirmed_offset integer, ADD COLUMN written_at text, "
    "ADD COLUMN written_offset integer"_s,
    u"ALTER TABLE events ADD COLUMN at_offset integer"_s,
    u"CREATE OR REPLACE VIEW runs AS SELECT s.rowid, s.station, s.run_id, s.port, s.started_at, "
    "s.unit, s.sample, s.batch, s.inspector, s.sample_count, s.mode, s.const_a, s.const_len_c, "
    "s.const_c, s.const_len_a, COALESCE(e.status, 'open') AS status, e.ended_at, e.cause, "
    "e.mean, e.deviation, s.started_offset, e.ended_offset FROM run_starts s "
    "LEFT JOIN run_ends e ON e.station = s.station AND e.run_id = s.run_id"_s,
};

// Accounts: who confirmed each reading and who started each run, as the station's journal holds
// them since its version 4. The accounts themselves come as events; their password hashes stay
// at the station.
const QStringList kVersion3 {
    u"ALTER TABLE run_starts ADD COLUMN account text"_s,
    u"ALTER TABLE readings ADD COLUMN account text"_s,
    u"CREATE OR REPLACE VIEW runs AS SELECT s.rowid, s.station, s.run_id, s.port, s.started_at, "
    "s.unit, s.sample, s.batch, s.inspector, s.sample_count, s.mode, s.const_a, s.const_len_c, "
    "s.const_c, s.const_len_a, COALESCE(e.status, 'open') AS status, e.ended_at, e.cause, "
    "e.mean, e.deviation, s.started_offset, e.ended_offset, s.account FROM run_starts s "
    "LEFT JOIN run_ends e ON e.station = s.station AND e.run_id = s.run_id"_s,
    u"CREATE INDEX events_by_run ON events (station, run_id, seq)"_s,
};

// Methods, as the station's journal holds them since its version 5: a run's method and what its
// verdict is made of with its start, the verdict with its end, a reading confirmed by itself.
const QStringList kVersion4 {
    u"ALTER TABLE run_starts ADD COLUMN method text, ADD COLUMN method_version integer, "
    "ADD COLUMN lower_limit double precision, ADD COLUMN upper_limit double precision, "
    "ADD COLUMN result_decimals integer"_s,
    u"ALTER TABLE run_ends ADD COLUMN verdict text CHECK (verdict IN ('pass', 'fail'))"_s,
    u"ALTER TABLE readings ADD COLUMN auto_confirmed integer"_s,
    u"CREATE OR REPLACE VIEW runs AS SELECT s.rowid, s.station, s.run_id, s.port, s.started_at, "
    "s.unit, s.sample, s.batch, s.inspector, s.sample_count, s.mode, s.const_a, s.const_len_c, "
    "s.const_c, s.const_len_a, COALESCE(e.status, 'open') AS status, e.ended_at, e.cause, "
    "e.mean, e.deviation, s.started_offset, e.ended_offset, s.account, s.method, "
    "s.method_version, s.lower_limit, s.upper_limit, s.result_decimals, e.verdict FROM "
    "run_starts s LEFT JOIN run_ends e ON e.station = s.station AND e.run_id = s.run_id"_s,
};

const QList<QStringList> kMigrations { kVersion1, kVersion2, kVersion3, kVersion4 };

JournalResult ReadVersion(ServerConnection &db, int &version)
{
    QSqlQuery query(db.database());
    JournalResult result =
        db.exec(query, u"SELECT to_regclass('velmora.schema_version') IS NOT NULL"_s);
    if (!result.ok() || !query.next() || !query.value(0).toBool()) {
        version = 0;
        return result;
    }
    result = db.exec(query, u"SELECT COALESCE(max(version), 0) FROM velmora.schema_version"_s);
    version = result.ok() && query.next() ? query.value(0).toInt() : 0;
    return result;
}

JournalResult Newer(int version)
{
    return JournalResult::Failure(
        JournalResult::Error::NewerVersion,
        u"the server's journal has version %1, newer than this program's %2; nothing is written "
        "to it"_s.arg(version)
            .arg(ServerSchema::kVersion));
}

} // namespace

JournalResult ServerSchema::Check(ServerConnection &db)
{
    int version = 0;
    if (JournalResult result = ReadVersion(db, version); !result.ok())
        return result;
    if (version > kVersion)
        return Newer(version);
    if (version < kVersion)
        return JournalResult::Failure(
            JournalResult::Error::CannotOpen,
            version == 0 ? u"the server has no Velmora journal: run velmora-journal server-init"_s
                         : u"the server's journal has version %1, older than this program's %2: "
                           "run velmora-journal server-init"_s.arg(version)
                               .arg(kVersion));
    return {};
}

JournalResult ServerSchema::Init(ServerConnection &db, int &fromVersion)
{
    static_assert(kVersion == 4, "one migration per version");
    QSqlQuery query(db.database());
    const auto fail = [&](const JournalResult &result) {
        db.rollback();
        return result;
    };
    if (JournalResult result = db.begin(); !result.ok())
        return result;
    // One administrator at a time: a second server-init waits, then finds the work done.
    const QStringList setup {
        u"SET LOCAL client_min_messages = warning"_s, // no notices for what exists already
        u"SELECT pg_advisory_xact_lock(7470801)"_s,
        u"CREATE SCHEMA IF NOT EXISTS velmora"_s,
        u"CREATE TABLE IF NOT EXISTS velmora.schema_version (version integer PRIMARY KEY, "
        "applied_at timestamptz NOT NULL DEFAULT now())"_s,
        u"DO $$ BEGIN "
        "IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'velmora_station') THEN "
        "CREATE ROLE velmora_station NOLOGIN; END IF; "
        "IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'velmora_reader') THEN "
        "CREATE ROLE velmora_reader NOLOGIN; END IF; END $$"_s,
        u"GRANT USAGE ON SCHEMA velmora TO velmora_station, velmora_reader"_s,
        ServerConnection::kSearchPath,
    };
    for (const QString &statement : setup) {
        if (JournalResult result = db.exec(query, statement); !result.ok())
            return fail(result);
    }
    int version = 0;
    if (JournalResult result = ReadVersion(db, version); !result.ok())
        return fail(result);
    fromVersion = version;
    if (version > kVersion)
        return fail(Newer(version));
    for (; version < kVersion; ++version) {
        for (const QString &statement : kMigrations.at(version)) {
            if (JournalResult result = db.exec(query, statement); !result.ok())
                return fail(result);
        }
        if (JournalResult result = db.exec(
                query, u"INSERT INTO schema_version (version) VALUES (?)"_s, { version + 1 });
            !result.ok())
            return fail(result);
    }
    return db.commit();
}
