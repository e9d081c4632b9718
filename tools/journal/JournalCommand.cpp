#include "JournalCommand.h"

#include "MethodCommand.h"
#include "ToolOutput.h"
#include "core/journal/read/CsvExport.h"
#include "core/journal/read/JournalHistory.h"
#include "core/journal/read/JournalRunReport.h"
#include "core/journal/read/JournalVerify.h"
#include "core/journal/read/RunResult.h"
#include "core/journal/server/ServerConnection.h"
#include "core/journal/server/ServerSchema.h"
#include "core/journal/store/ChainKey.h"
#include "core/journal/store/JournalLocation.h"
#include "core/journal/store/JournalSchema.h"
#include "core/journal/store/SqliteConnection.h"
#include "core/measure/ModeText.h"
#include "core/settings/Settings.h"
#include "core/settings/SettingsLocation.h"
#include "core/text/Language.h"
#include "ui/report/PdfReport.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <limits>

using namespace Qt::StringLiterals;

namespace {

bool IsCommand(const QString &text)
{
    static constexpr std::array<QStringView, 6> kCommands { u"list",   u"export",      u"report",
                                                            u"verify", u"server-init", u"method" };
    return std::find(kCommands.begin(), kCommands.end(), text) != kCommands.end();
}

// A date is local midnight; a date with a time is local unless it names its offset. Only these
// two forms are taken whole: Qt's parsers accept a valid date followed by anything, and drop the
// rest.
QDateTime ParseSince(const QString &text)
{
    static const QRegularExpression kDate(u"^[0-9]{4}-[0-9]{2}-[0-9]{2}$"_s);
    static const QRegularExpression kDateTime(
        u"^[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}(:[0-9]{2}(\\.[0-9]{1,3})?)?"
        "(Z|[+-][0-9]{2}:[0-9]{2})?$"_s);
    if (kDate.match(text).hasMatch())
        return QDate::fromString(text, Qt::ISODate).startOfDay();
    if (kDateTime.match(text).hasMatch())
        return QDateTime::fromString(text, Qt::ISODateWithMs);
    return {};
}

// A stored number text (a "%.3f" statistic, a received count of thousandths) as a JSON number,
// null when empty; anything else (the instrument's "A") stays a text.
QJsonValue JsonNumber(const QString &text)
{
    if (text.isEmpty())
        return {};
    return CsvExport::IsPlainNumber(text) ? QJsonValue(text.toDouble()) : QJsonValue(text);
}

QJsonObject ReadingJson(const JournalReading &reading)
{
    return {
        { u"number"_s, reading.number },
        { u"received"_s, JsonNumber(reading.received) },
        { u"value"_s, TableValueText(reading.value).toDouble() },
        { u"confirmed"_s, reading.confirmedAt },
        { u"auto"_s, reading.autoConfirmed },
    };
}

// A run's method, version and limits (null without a method), and its verdict (null but for a
// run completed under its method).
void AddMethodJson(const JournalRun &run, QJsonObject &object)
{
    const std::optional<RunMethod> &m = run.header.method;
    const auto limit = [](const std::optional<double> &value) {
        return value ? QJsonValue(*value) : QJsonValue();
    };
    object.insert(u"method"_s, m ? QJsonValue(m->name) : QJsonValue());
    object.insert(u"method_version"_s, m ? QJsonValue(m->version) : QJsonValue());
    object.insert(u"lower"_s, m ? limit(m->lower) : QJsonValue());
    object.insert(u"upper"_s, m ? limit(m->upper) : QJsonValue());
    object.insert(u"verdict"_s, run.verdict ? QJsonValue(VerdictText(*run.verdict)) : QJsonValue());
}

// With the deviation (sd) and the relative deviation (rsd, %) of a run with a result.
QJsonObject RunJson(const JournalRun &run, const std::optional<RunSummary> &summary)
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
        { u"mode_name"_s, ModeName(h.mode) },
        { u"n"_s, h.sampleCount },
        { u"constants"_s, ModeConstantsJson(h.constants) },
        { u"readings"_s, run.readingCount },
        { u"mean"_s, JsonNumber(run.totals.mean) },
        { u"deviation"_s, JsonNumber(run.totals.deviation) },
        { u"sd"_s, JsonNumber(DeviationText(summary)) },
        { u"rsd"_s, JsonNumber(RelativeDeviationText(summary)) },
    };
}

std::unique_ptr<Settings> ProgramSettings()
{
    auto settings =
        std::make_unique<Settings>(LocateSettingsFile(QCoreApplication::applicationDirPath()));
    settings->Load();
    return settings;
}

// The output file's failure, as export and report say it.
void PrintOutputFailure(std::FILE *err, const QString &path, OutputFile::Failure failure,
                        const QString &text)
{
    PrintError(err,
               u"cannot write %1: %2"_s.arg(
                   path,
                   failure == OutputFile::Failure::NotRegularFile
                       ? u"not a regular file (a pipe, a device or a folder); left unchanged"_s
                       : text));
}

} // namespace

QString JournalCommand::HelpText()
{
    return uR"(Usage: velmora-journal [--journal PATH | --server [CONNINFO]] COMMAND [OPTIONS]

The results journal of Velmora from the command line.

Commands:
  list [--since DATE] [--station NAME] [--json [--readings]]
                                     the runs, newest first: tab-separated, typed control
                                     characters shown as escapes (\t, \x1b; a backslash as
                                     \\), or JSON; with --readings each run's "readings" is
                                     the list of its readings instead of their number
  export --csv FILE [--run ID]... [--since DATE] [--station NAME]
                                     the readings of the runs (all runs without --run) as CSV:
                                     UTF-8 with byte-order mark, CRLF, one row per reading;
                                     FILE is replaced whole or not at all
  report --run ID --pdf FILE [--station NAME]
                                     the run's report as PDF (A4, in velmora's language, the
                                     lab's name from [report] Lab of Velmora.ini); FILE is
                                     replaced whole or not at all
  verify [--key FILE]                check every hash chain, run and reading, and the
                                     database's integrity; with --server, the server's chains,
                                     and this station's journal against the server row by row
  server-init                        create the lab server's journal, or bring it to this
                                     program's version (run once by the lab's administrator)
  method set NAME --mode 0..3 [--a X] [--lenc X] [--c X] [--lena X] --n N [--lower L]
             [--upper U] [--decimals D] [--auto-confirm]
                                     a method as its next version (the first is 1; a method
                                     the same as its last version stays at it): mode and
                                     constants (default 1, 2, 1, 2), N (1 to 100), the limits
                                     of the result, either may be left out, each counting as
                                     met (inclusive), the decimals the result is judged at (0
                                     to 3, default 3), and whether a stable reading is
                                     confirmed by itself
  method list [--json]               every method at its latest version, retired ones so marked
  method retire NAME                 the method is offered no more; its name is never used again

Options:
  --journal PATH   the journal file; default: VelmoraJournal.sqlite beside Velmora.ini, found as
                   velmora finds it (or where its [journal] path puts it)
  --server [CONNINFO]
                   the lab server: a libpq connection string ("host=lab-db dbname=velmora") or a
                   service name of ~/.pg_service.conf; without CONNINFO, the [journal] server of
                   Velmora.ini. list and export read the configured server without this option
                   and fall back to the local journal, saying so (exit status 5), when it cannot
                   be reached
  --station NAME   the runs of one station (host name) only
  --since DATE     runs started at or after DATE: 2026-12-01 (local midnight),
                   2026-12-01T08:30 (local) or 2026-12-01T08:30Z
  --run ID         one run, by its id; may be repeated, or several ids separated by commas
  --pdf FILE       where report writes the PDF
  --key FILE       the station's chain key (verify, method); default: VelmoraChain.key beside
                   Velmora.ini
  --help           this text

Exit status:
  0  done (verify: the journal is whole)
  1  verify found a break
  2  bad command line
  3  the journal cannot be opened or read; an unknown run or method
  4  the output file or standard output cannot be written
  5  list or export: the configured lab server cannot be read; the output holds this
     station's local journal only
  6  refused: a retired method's name, a method retired already; nothing was changed
  7  verify found no break, but the keyed rows could not be checked without the station's key
)"_s;
}

QString JournalCommand::DefaultJournalPath()
{
    const std::unique_ptr<Settings> settings = ProgramSettings();
    return JournalFilePath(settings->Path(), settings->Read(SettingsKeys::kJournalPath));
}

QString JournalCommand::DefaultKeyPath()
{
    return ChainKeyPath(LocateSettingsFile(QCoreApplication::applicationDirPath()));
}

QString JournalCommand::ConfiguredServer()
{
    return ProgramSettings()->Read(SettingsKeys::kJournalServer).trimmed();
}

bool JournalCommand::parse(const QStringList &arguments, QString &error)
{
    // After "method", everything but --journal, --key and --help is the method command's.
    QStringList methodArguments;
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
        if (m_command == u"method"_s && argument != u"--journal"_s && argument != u"--key"_s
            && argument != u"--help"_s && argument != u"-h"_s) {
            methodArguments << argument;
            continue;
        }
        if (argument == u"--help"_s || argument == u"-h"_s) {
            m_help = true;
        } else if (argument == u"--json"_s) {
            m_json = true;
        } else if (argument == u"--readings"_s) {
            m_readings = true;
        } else if (argument == u"--journal"_s) {
            if (!value(m_journalPath))
                return false;
        } else if (argument == u"--server"_s) {
            m_useServer = true;
            // The connection string is optional: a command name after it is the command.
            if (i + 1 < arguments.size() && !arguments.at(i + 1).startsWith(u"--"_s)
                && !IsCommand(arguments.at(i + 1)))
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
        } else if (argument == u"--pdf"_s) {
            if (!value(m_pdfPath))
                return false;
        } else if (argument == u"--run"_s) {
            if (!value(text))
                return false;
            // An empty id ("--run ," from a script's empty list) would export every run.
            const QStringList ids = text.split(u',');
            if (ids.contains(QString())) {
                error = u"--run '%1' names an empty run id"_s.arg(text);
                return false;
            }
            m_runIds << ids;
        } else if (argument == u"--since"_s) {
            if (!value(text))
                return false;
            m_since = ParseSince(text);
            if (!m_since.isValid()) {
                error = u"'%1' is not a date (2026-12-01, 2026-12-01T08:30 or "
                        "2026-12-01T08:30Z)"_s.arg(text);
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
    if (m_command == u"method"_s) {
        if (m_useServer || !m_station.isEmpty() || m_json || m_since.isValid()) {
            error = u"an option does not belong to the command 'method'"_s;
            return false;
        }
        return m_method.parse(methodArguments, error);
    }
    if (!IsCommand(m_command)) {
        error =
            m_command.isEmpty() ? u"no command given"_s : u"unknown command '%1'"_s.arg(m_command);
        return false;
    }
    const bool listOnly = m_json || m_readings;
    const bool exportOnly = !m_csvPath.isEmpty();
    const bool runs = !m_runIds.isEmpty();
    const bool report = m_command == u"report"_s;
    if ((listOnly && m_command != u"list"_s) || (exportOnly && m_command != u"export"_s)
        || (runs && m_command != u"export"_s && !report) || (!m_pdfPath.isEmpty() && !report)
        || (m_since.isValid() && report)
        || ((m_since.isValid() || !m_station.isEmpty())
            && (m_command == u"verify"_s || m_command == u"server-init"_s))
        || (!m_keyPath.isEmpty() && m_command != u"verify"_s)
        // verify --server compares the server with a local journal, --journal or the default.
        || (!m_journalPath.isEmpty()
            && ((m_useServer && m_command != u"verify"_s) || m_command == u"server-init"_s))) {
        error = u"an option does not belong to the command '%1'"_s.arg(m_command);
        return false;
    }
    if (m_readings && !m_json) {
        error = u"--readings needs --json"_s;
        return false;
    }
    if (m_command == u"export"_s && m_csvPath.isEmpty()) {
        error = u"export needs --csv FILE"_s;
        return false;
    }
    if (report && (m_runIds.size() != 1 || m_pdfPath.isEmpty())) {
        error = u"report needs one --run ID and --pdf FILE"_s;
        return false;
    }
    return true;
}

int JournalCommand::run(std::FILE *out, std::FILE *err) const
{
    const int status = dispatch(out, err);
    // A full disk or a closed descriptor shows at the latest when the buffer is flushed; output
    // that did not arrive is never reported as done.
    const int flushError = std::fflush(out) == 0 ? 0 : errno;
    if (flushError == 0 && !std::ferror(out))
        return status;
    PrintError(err,
               u"cannot write to standard output"_s
                   + (flushError == 0
                          ? QString()
                          : u": "_s + QString::fromLocal8Bit(std::strerror(flushError))));
    return status == Done || status == LocalOnly ? OutputFailed : status;
}

int JournalCommand::dispatch(std::FILE *out, std::FILE *err) const
{
    if (m_help) {
        Print(out, HelpText());
        return Done;
    }
    if (m_command == u"list"_s)
        return list(out, err);
    if (m_command == u"export"_s)
        return exportCsv(err);
    if (m_command == u"report"_s)
        return reportPdf(err);
    if (m_command == u"server-init"_s)
        return serverInit(out, err);
    if (m_command == u"method"_s)
        return method(out, err);
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

JournalCommand::Source JournalCommand::openSource(bool serverOnly, std::FILE *err) const
{
    const QString server = m_useServer || serverOnly ? m_server : QString();
    const QString configured =
        m_journalPath.isEmpty() && server.isEmpty() ? ConfiguredServer() : QString();
    const QString connInfo = server.isEmpty() ? configured : server;
    if ((m_useServer || serverOnly) && connInfo.isEmpty()) {
        PrintError(err, u"no lab server given, and Velmora.ini names none ([journal] server)"_s);
        return {};
    }
    if (!connInfo.isEmpty()) {
        auto server = std::make_unique<ServerConnection>();
        JournalResult result = server->open(connInfo);
        if (result.ok() && !serverOnly)
            result = ServerSchema::Check(*server);
        if (result.ok())
            return { std::move(server) };
        PrintError(err, u"the lab server (%1) cannot be read: %2"_s.arg(connInfo, result.text));
        if (m_useServer || serverOnly)
            return {};
        PrintError(err, u"reading the local journal of this station instead"_s);
        return { OpenJournal(PathOr(m_journalPath), err), true };
    }
    return { OpenJournal(PathOr(m_journalPath), err) };
}

int JournalCommand::list(std::FILE *out, std::FILE *err) const
{
    const Source source = openSource(false, err);
    if (!source.db)
        return JournalUnreadable;
    const int done = source.localOnly ? LocalOnly : Done;
    JournalConnection &db = *source.db;
    const QString path = db.path();
    const JournalHistory history(db);
    QList<JournalRun> runs;
    RunFilter filter;
    filter.from = m_since;
    filter.station = m_station;
    const auto unreadable = [&](const JournalResult &result) {
        PrintError(err, u"cannot read the journal %1: %2"_s.arg(path, result.text));
        return JournalUnreadable;
    };
    if (const JournalResult result = history.runs(filter, std::numeric_limits<int>::max(), runs);
        !result.ok())
        return unreadable(result);
    if (m_json) {
        QJsonArray array;
        for (const JournalRun &run : std::as_const(runs)) {
            // A run with a result has figures beyond the table's, from its readings.
            QList<JournalReading> readings;
            if (m_readings || !run.totals.mean.isEmpty()) {
                if (const JournalResult result = history.readings(run.station, run.id, readings);
                    !result.ok())
                    return unreadable(result);
            }
            QJsonObject object = RunJson(run, RunResultSummary(run, readings));
            AddMethodJson(run, object);
            if (m_readings) {
                QJsonArray list;
                for (const JournalReading &reading : std::as_const(readings))
                    list.append(ReadingJson(reading));
                object.insert(u"readings"_s, list);
            }
            array.append(object);
        }
        Print(out, QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Indented)));
        return done;
    }
    Print(out,
          u"started\tstatus\tmode\tn\treadings\tmean\tdeviation\tsample\tbatch\tunit\tinspector"
          "\tstation\tid\n"_s);
    for (const JournalRun &run : std::as_const(runs)) {
        const RunHeader &h = run.header;
        const QStringList fields { CsvExport::LocalTime(run.startedAt, run.startedOffset),
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
        QStringList shown;
        for (const QString &field : fields)
            shown << TerminalVisible(field);
        Print(out, shown.join(u'\t') + u'\n');
    }
    return done;
}

int JournalCommand::exportCsv(std::FILE *err) const
{
    const Source source = openSource(false, err);
    if (!source.db)
        return JournalUnreadable;
    JournalConnection &db = *source.db;
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
    const ExportResult written = CsvExport::Write(db, keys, m_csvPath);
    if (!written.journal.ok()) {
        PrintError(err, u"cannot read the journal %1: %2"_s.arg(path, written.text));
        return JournalUnreadable;
    }
    if (written.output != OutputFile::Failure::None) {
        PrintOutputFailure(err, m_csvPath, written.output, written.text);
        return OutputFailed;
    }
    return source.localOnly ? LocalOnly : Done;
}

int JournalCommand::reportPdf(std::FILE *err) const
{
    // The report speaks velmora's language, chosen as velmora chooses it.
    const std::unique_ptr<Settings> settings = ProgramSettings();
    InstallTranslators(
        WantsEnglish(QLocale::system().language(), settings->Read(SettingsKeys::kLang)),
        QCoreApplication::applicationDirPath());
    const Source source = openSource(false, err);
    if (!source.db)
        return JournalUnreadable;
    RunReport report;
    const JournalResult result =
        JournalRunReport::read(*source.db, m_station, m_runIds.constFirst(), report);
    if (!result.ok()) {
        PrintError(err, u"cannot read the journal %1: %2"_s.arg(source.db->path(), result.text));
        return JournalUnreadable;
    }
    report.lab = settings->Read(SettingsKeys::kReportLab);
    const PdfReport::Result written = PdfReport::write(m_pdfPath, report);
    if (!written.ok()) {
        PrintOutputFailure(err, m_pdfPath, written.failure, written.text);
        return OutputFailed;
    }
    // Read from this station's journal when the server was away, the run is the same, whole.
    return Done;
}

int JournalCommand::verify(std::FILE *out, std::FILE *err) const
{
    const std::unique_ptr<JournalConnection> source =
        m_useServer ? openSource(false, err).db : OpenJournal(PathOr(m_journalPath), err);
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
    const std::unique_ptr<JournalConnection> source = openSource(true, err).db;
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

int JournalCommand::method(std::FILE *out, std::FILE *err) const
{
    switch (m_method.run(PathOr(m_journalPath), m_keyPath.isEmpty() ? DefaultKeyPath() : m_keyPath,
                         out, err)) {
    case MethodCommand::Outcome::Done:
        return Done;
    case MethodCommand::Outcome::Usage:
        return Usage;
    case MethodCommand::Outcome::Unreadable:
        break;
    case MethodCommand::Outcome::Refused:
        return Refused;
    }
    return JournalUnreadable;
}
