#include "JournalCommand.h"

#include "core/journal/read/CsvExport.h"
#include "core/journal/read/JournalHistory.h"
#include "core/journal/read/JournalVerify.h"
#include "core/journal/server/ServerConnection.h"
#include "core/journal/server/ServerSchema.h"
#include "core/journal/store/ChainKey.h"
#include "core/journal/store/JournalLocation.h"
#include "core/journal/store/JournalSchema.h"
#include "core/journal/store/SqliteConnection.h"
#include "core/settings/Settings.h"
#include "core/settings/SettingsLocation.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

#include <limits>

using namespace Qt::StringLiterals;

namespace {

void Print(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
}

void PrintError(std::FILE *err, const QString &text)
{
    Print(err, u"velmora-journal: "_s + text + u'\n');
}

// A date is local midnight; a date with a time is local unless it names its offset.
QDateTime ParseSince(const QString &text)
{
    const QDate date = QDate::fromString(text, Qt::ISODate);
    if (date.isValid())
        return date.startOfDay();
    return QDateTime::fromString(text, Qt::ISODateWithMs);
}

QJsonObject RunJson(const JournalRun &run)
{
    const RunHeader &h = run.header;
    return {
        { u"id"_s, run.id },
        { u"station"_s, run.station },
        { u"port"_s, h.port },
        { u"started"_s, run.startedAt },
        { u"ended"_s, run.endedAt.isEmpty() ? QJsonValue() : QJsonValue(run.endedAt) },
        { u"status"_s, StatusText(run.status) },
        { u"cause"_s, run.cause },
        { u"unit"_s, h.unit },
        { u"sample"_s, h.sampleName },
        { u"batch"_s, h.batchNo },
        { u"inspector"_s, h.inspector },
        { u"mode"_s, static_cast<int>(h.mode) },
        { u"n"_s, h.sampleCount },
        { u"constants"_s,
          QJsonObject { { u"a"_s, h.constants.a },
                        { u"lenC"_s, h.constants.lenC },
                        { u"C"_s, h.constants.C },
                        { u"lena"_s, h.constants.lena } } },
        { u"readings"_s, run.readingCount },
        { u"mean"_s, run.totals.mean },
        { u"deviation"_s, run.totals.deviation },
    };
}

} // namespace

QString JournalCommand::HelpText()
{
    return uR"(Usage: velmora-journal [--journal PATH | --server [CONNINFO]] COMMAND [OPTIONS]

The results journal of Velmora from the command line.

Commands:
  list [--since DATE] [--station NAME] [--json]
                                     the runs, newest first (tab-separated, or JSON)
  export --csv FILE [--run ID]... [--since DATE] [--station NAME]
                                     the readings of the runs (all runs without --run) as CSV:
                                     UTF-8 with byte-order mark, CRLF, one row per reading;
                                     FILE is replaced whole or not at all
  verify [--key FILE]                check every hash chain, run and reading, and the
                                     database's integrity; with --server, the server's chains,
                                     and this station's journal against the server row by row
  server-init                        create the lab server's journal, or bring it to this
                                     program's version (run once by the lab's administrator)

Options:
  --journal PATH   the journal file; default: VelmoraJournal.sqlite beside Velmora.ini, found as
                   velmora finds it (or where its [journal] path puts it)
  --server [CONNINFO]
                   the lab server: a libpq connection string ("host=lab-db dbname=velmora") or a
                   service name of ~/.pg_service.conf; without CONNINFO, the [journal] server of
                   Velmora.ini. list and export read the configured server without this option
                   and fall back to the local journal, saying so, when it cannot be reached
  --station NAME   the runs of one station (host name) only
  --since DATE     runs started at or after DATE: 2026-12-01 (local midnight),
                   2026-12-01T08:30 (local) or 2026-12-01T08:30Z
  --run ID         one run, by its id; may be repeated, or several ids separated by commas
  --key FILE       the station's chain key; default: VelmoraChain.key beside Velmora.ini
  --help           this text

Exit status:
  0  done (verify: the journal is whole)
  1  verify found a break
  2  bad command line
  3  the journal cannot be opened or read
  4  the output file cannot be written
  6  verify found no break, but the keyed rows could not be checked without the station's key
)"_s;
}

QString JournalCommand::DefaultJournalPath()
{
    Settings settings(LocateSettingsFile(QCoreApplication::applicationDirPath()));
    settings.Load();
    return JournalFilePath(settings.Path(), settings.Read(SettingsKeys::kJournalPath));
}

QString JournalCommand::DefaultKeyPath()
{
    return ChainKeyPath(LocateSettingsFile(QCoreApplication::applicationDirPath()));
}

QString JournalCommand::ConfiguredServer()
{
    Settings settings(LocateSettingsFile(QCoreApplication::applicationDirPath()));
    settings.Load();
    return settings.Read(SettingsKeys::kJournalServer).trimmed();
}

bool JournalCommand::parse(const QStringList &arguments, QString &error)
{
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        const auto value = [&](QString &into) {
            if (i + 1 >= arguments.size() || arguments.at(i + 1).startsWith(u"--"_s)) {
                error = u"%1 needs a value"_s.arg(argument);
                return false;
            }
            into = arguments.at(++i);
            return true;
        };
        QString text;
        if (argument == u"--help"_s || argument == u"-h"_s) {
            m_help = true;
        } else if (argument == u"--json"_s) {
            m_json = true;
        } else if (argument == u"--journal"_s) {
            if (!value(m_journalPath))
                return false;
        } else if (argument == u"--server"_s) {
            m_useServer = true;
            // The connection string is optional: a command name after it is the command.
            static const QStringList kCommands { u"list"_s, u"export"_s, u"verify"_s,
                                                 u"server-init"_s };
            if (i + 1 < arguments.size() && !arguments.at(i + 1).startsWith(u"--"_s)
                && !kCommands.contains(arguments.at(i + 1)))
                m_server = arguments.at(++i);
        } else if (argument == u"--station"_s) {
            if (!value(m_station))
                return false;
        } else if (argument == u"--key"_s) {
            if (!value(m_keyPath))
                return false;
        } else if (argument == u"--csv"_s) {
            if (!value(m_csvPath))
                return false;
        } else if (argument == u"--run"_s) {
            if (!value(text))
                return false;
            m_runIds << text.split(u',', Qt::SkipEmptyParts);
        } else if (argument == u"--since"_s) {
            if (!value(text))
                return false;
            m_since = ParseSince(text);
            if (!m_since.isValid()) {
                error = u"'%1' is not a date (2026-12-01 or 2026-12-01T08:30)"_s.arg(text);
                return false;
            }
        } else if (argument.startsWith(u'-')) {
            error = u"unknown option %1"_s.arg(argument);
            return false;
        } else if (m_command.isEmpty()) {
            m_command = argument;
        } else {
            error = u"unexpected argument '%1'"_s.arg(argument);
            return false;
        }
    }
    if (m_help)
        return true;
    const QStringList commands { u"list"_s, u"export"_s, u"verify"_s, u"server-init"_s };
    if (!commands.contains(m_command)) {
        error =
            m_command.isEmpty() ? u"no command given"_s : u"unknown command '%1'"_s.arg(m_command);
        return false;
    }
    const bool listOnly = m_json;
    const bool exportOnly = !m_csvPath.isEmpty() || !m_runIds.isEmpty();
    if ((listOnly && m_command != u"list"_s) || (exportOnly && m_command != u"export"_s)
        || ((m_since.isValid() || !m_station.isEmpty())
            && (m_command == u"verify"_s || m_command == u"server-init"_s))
        || (!m_keyPath.isEmpty() && m_command != u"verify"_s)
        // verify --server compares the server with a local journal, --journal or the default.
        || (!m_journalPath.isEmpty()
            && ((m_useServer && m_command != u"verify"_s) || m_command == u"server-init"_s))) {
        error = u"an option does not belong to the command '%1'"_s.arg(m_command);
        return false;
    }
    if (m_command == u"export"_s && m_csvPath.isEmpty()) {
        error = u"export needs --csv FILE"_s;
        return false;
    }
    return true;
}

int JournalCommand::run(std::FILE *out, std::FILE *err) const
{
    if (m_help) {
        Print(out, HelpText());
        return Done;
    }
    if (m_command == u"list"_s)
        return list(out, err);
    if (m_command == u"export"_s)
        return exportCsv(err);
    if (m_command == u"server-init"_s)
        return serverInit(out, err);
    return verify(out, err);
}

namespace {

// Opens the journal file for reading; prints why not.
std::unique_ptr<JournalConnection> OpenJournal(const QString &path, std::FILE *err)
{
    auto db = std::make_unique<SqliteConnection>();
    const JournalResult result = JournalSchema::Open(*db, path, SqliteConnection::OpenMode::Read);
    if (result.ok())
        return db;
    PrintError(err, u"cannot read the journal %1: %2"_s.arg(path, result.text));
    return nullptr;
}

QString PathOr(const QString &path)
{
    return path.isEmpty() ? JournalCommand::DefaultJournalPath() : path;
}

} // namespace

std::unique_ptr<JournalConnection> JournalCommand::openSource(bool serverOnly, std::FILE *err) const
{
    const QString server = m_useServer || serverOnly ? m_server : QString();
    const QString configured =
        m_journalPath.isEmpty() && server.isEmpty() ? ConfiguredServer() : QString();
    const QString connInfo = server.isEmpty() ? configured : server;
    if ((m_useServer || serverOnly) && connInfo.isEmpty()) {
        PrintError(err, u"no lab server given, and Velmora.ini names none ([journal] server)"_s);
        return nullptr;
    }
    if (!connInfo.isEmpty()) {
        auto server = std::make_unique<ServerConnection>();
        JournalResult result = server->open(connInfo);
        if (result.ok() && !serverOnly)
            result = ServerSchema::Check(*server);
        if (result.ok())
            return server;
        PrintError(err, u"the lab server (%1) cannot be read: %2"_s.arg(connInfo, result.text));
        if (m_useServer || serverOnly)
            return nullptr;
        PrintError(err, u"reading the local journal of this station instead"_s);
    }
    return OpenJournal(PathOr(m_journalPath), err);
}

int JournalCommand::list(std::FILE *out, std::FILE *err) const
{
    const std::unique_ptr<JournalConnection> source = openSource(false, err);
    if (!source)
        return JournalUnreadable;
    JournalConnection &db = *source;
    const QString path = db.path();
    QList<JournalRun> runs;
    RunFilter filter;
    filter.from = m_since;
    filter.station = m_station;
    if (const JournalResult result =
            JournalHistory(db).runs(filter, std::numeric_limits<int>::max(), runs);
        !result.ok()) {
        PrintError(err, u"cannot read the journal %1: %2"_s.arg(path, result.text));
        return JournalUnreadable;
    }
    if (m_json) {
        QJsonArray array;
        for (const JournalRun &run : std::as_const(runs))
            array.append(RunJson(run));
        Print(out, QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Indented)));
        return Done;
    }
    Print(out,
          u"started\tstatus\tmode\tn\treadings\tmean\tdeviation\tsample\tbatch\tunit\tinspector"
          "\tstation\tid\n"_s);
    for (const JournalRun &run : std::as_const(runs)) {
        const RunHeader &h = run.header;
        const QStringList fields { CsvExport::LocalTime(run.startedAt),
                                   StatusText(run.status),
                                   QString::number(static_cast<int>(h.mode)),
                                   QString::number(h.sampleCount),
                                   QString::number(run.readingCount),
                                   run.totals.mean,
                                   run.totals.deviation,
                                   h.sampleName,
                                   h.batchNo,
                                   h.unit,
                                   h.inspector,
                                   run.station,
                                   run.id };
        // A tab or line end typed into a login field would split the line.
        QString line = fields.join(u'\t');
        Print(out, line.replace(u'\n', u' ').replace(u'\r', u' ') + u'\n');
    }
    return Done;
}

int JournalCommand::exportCsv(std::FILE *err) const
{
    const std::unique_ptr<JournalConnection> source = openSource(false, err);
    if (!source)
        return JournalUnreadable;
    JournalConnection &db = *source;
    const QString path = db.path();
    const JournalHistory history(db);
    QList<JournalRun> runs;
    JournalResult result;
    if (m_runIds.isEmpty()) {
        RunFilter filter;
        filter.from = m_since;
        filter.station = m_station;
        result = history.runs(filter, std::numeric_limits<int>::max(), runs);
    }
    for (const QString &id : m_runIds) {
        std::optional<JournalRun> run;
        result = history.run(m_station, id, run);
        if (!result.ok())
            break;
        if (!run) {
            PrintError(err, u"there is no run %1 in %2"_s.arg(id, path));
            return JournalUnreadable;
        }
        if (!m_since.isValid() || FromJournalTimestamp(run->startedAt) >= m_since)
            runs.append(*run);
    }
    if (!result.ok()) {
        PrintError(err, u"cannot read the journal %1: %2"_s.arg(path, result.text));
        return JournalUnreadable;
    }
    QList<RunKey> keys;
    for (const JournalRun &run : std::as_const(runs))
        keys.append({ run.station, run.id });
    result = CsvExport::Write(db, keys, m_csvPath);
    if (!result.ok()) {
        PrintError(err, u"cannot write %1: %2"_s.arg(m_csvPath, result.text));
        return result.error == JournalResult::Error::CannotOpen ? OutputFailed : JournalUnreadable;
    }
    return Done;
}

int JournalCommand::verify(std::FILE *out, std::FILE *err) const
{
    const std::unique_ptr<JournalConnection> source =
        m_useServer ? openSource(false, err) : OpenJournal(PathOr(m_journalPath), err);
    if (!source)
        return JournalUnreadable;
    JournalConnection &db = *source;
    QByteArray key;
    const QString keyPath = m_keyPath.isEmpty() ? DefaultKeyPath() : m_keyPath;
    if (const JournalResult loaded = ChainKey::load(keyPath, key); !loaded.ok())
        PrintError(err, u"no key to check the keyed rows with: "_s + loaded.text);
    // On the server, this station's chains are the ones of its local journal.
    std::unique_ptr<JournalConnection> local;
    QString identity;
    if (m_useServer) {
        local = OpenJournal(PathOr(m_journalPath), err);
        if (local && !JournalSchema::ReadIdentity(*local, identity).ok())
            local.reset();
        if (!local)
            PrintError(err, u"the server is checked without a local journal to compare"_s);
    }
    VerifyReport report = VerifyJournal(db, key, identity);
    if (local && report.result.ok()) {
        const VerifyReport compared = CompareWithServer(*local, db);
        report.result = compared.result;
        report.breaks << compared.breaks;
        report.notes << compared.notes;
    }
    if (!report.result.ok()) {
        PrintError(err, u"cannot read the journal %1: %2"_s.arg(db.path(), report.result.text));
        return JournalUnreadable;
    }
    for (const QString &line : std::as_const(report.notes))
        Print(out, line + u'\n');
    for (const QString &line : std::as_const(report.breaks))
        PrintError(err, line);
    if (!report.intact()) {
        PrintError(err, u"%1: %2 problem(s) found"_s.arg(db.path()).arg(report.breaks.size()));
        return Broken;
    }
    Print(out,
          u"%1: no break found in %2 rows: %3 keyed rows checked with the station's key, %4 rows "
          "with plain hashes, %5 keyed rows not checked\n"_s.arg(db.path())
              .arg(report.rowsChecked)
              .arg(report.keyedRows)
              .arg(report.hashedRows)
              .arg(report.uncheckedRows));
    return report.uncheckedRows > 0 ? KeyMissing : Done;
}

int JournalCommand::serverInit(std::FILE *out, std::FILE *err) const
{
    const std::unique_ptr<JournalConnection> source = openSource(true, err);
    // server-init reaches the server only: openSource gave no file.
    auto *server = dynamic_cast<ServerConnection *>(source.get());
    if (!server)
        return JournalUnreadable;
    ServerConnection &db = *server;
    int from = 0;
    if (const JournalResult result = ServerSchema::Init(db, from); !result.ok()) {
        PrintError(err, u"server-init on %1: %2"_s.arg(db.path(), result.text));
        return JournalUnreadable;
    }
    Print(out,
          from == ServerSchema::kVersion
              ? u"%1: the journal is at version %2 already\n"_s.arg(db.path()).arg(from)
              : u"%1: journal version %2 (was %3); stations log in as members of %4, readers of "
                "%5\n"_s.arg(db.path())
                    .arg(ServerSchema::kVersion)
                    .arg(from)
                    .arg(ServerSchema::kWriterRole, ServerSchema::kReaderRole));
    return Done;
}
