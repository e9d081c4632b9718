#include "JournalCommand.h"

#include "MethodCommand.h"
#include "ToolOutput.h"
#include "core/journal/accounts/AccountJournal.h"
#include "core/journal/accounts/RunAudit.h"
#include "core/journal/read/CsvExport.h"
#include "core/journal/read/JournalHistory.h"
#include "core/journal/read/JournalRunReport.h"
#include "core/journal/read/JournalVerify.h"
#include "core/journal/read/RunResult.h"
#include "core/journal/server/ServerConnection.h"
#include "core/journal/server/ServerSchema.h"
#include "core/journal/store/ChainKey.h"
#include "core/journal/store/Journal.h"
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
    static constexpr std::array<QStringView, 9> kCommands { u"list",   u"export",      u"report",
                                                            u"verify", u"server-init", u"user",
                                                            u"sign",   u"exclude",     u"method" };
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
        { u"value"_s, FormatRunValue(reading.value).toDouble() },
        { u"confirmed"_s, reading.confirmedAt },
        { u"auto"_s, reading.autoConfirmed },
        { u"account"_s, reading.account ? QJsonValue(*reading.account) : QJsonValue() },
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

// A run's signatures and excluded readings.
void AddAuditJson(const RunAudit &audit, QJsonObject &run)
{
    QJsonArray signatures;
    for (const RunSignature &signature : audit.signatures)
        signatures.append(QJsonObject { { u"account"_s, signature.by },
                                        { u"fullName"_s, signature.fullName },
                                        { u"meaning"_s, MeaningText(signature.meaning) },
                                        { u"at"_s, signature.at },
                                        { u"comment"_s, signature.comment },
                                        { u"changedAfterSignature"_s, !signature.current } });
    QJsonArray excluded;
    for (const ReadingExclusion &exclusion : audit.exclusions)
        excluded.append(QJsonObject { { u"reading"_s, exclusion.reading },
                                      { u"reason"_s, exclusion.reason },
                                      { u"by"_s, exclusion.by },
                                      { u"at"_s, exclusion.at } });
    run.insert(u"signatures"_s, signatures);
    run.insert(u"excluded"_s, excluded);
}

// One line of standard input without its line end; none at the input's end. The bytes read are
// wiped: a password in clear lives no longer than needed.
std::optional<QString> ReadLine(std::FILE *in)
{
    QByteArray line;
    int c = 0;
    while ((c = std::fgetc(in)) != EOF && c != '\n')
        line.append(static_cast<char>(c));
    if (c == EOF && line.isEmpty())
        return std::nullopt;
    if (line.endsWith('\r'))
        line.chop(1);
    const QString text = QString::fromUtf8(line);
    line.fill('\0');
    return text;
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
        { u"n"_s, run.sampleCount() },
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
             [--upper U] [--decimals D] [--auto-confirm] [--as ADMIN]
                                     a method as its next version (the first is 1; a method
                                     the same as its last version stays at it): mode and
                                     constants (default 1, 2, 1, 2), N (1 to 100), the limits
                                     of the result, either may be left out, each counting as
                                     met (inclusive), the decimals the result is judged at (0
                                     to 3, default 3), and whether a stable reading is
                                     confirmed by itself
  method list [--json]               every method at its latest version, retired ones so marked
  method retire NAME [--as ADMIN]    the method is offered no more; its name is never used again
                                     (set and retire: where accounts are in use, --as ADMIN with
                                     ADMIN's password on standard input)
  user add NAME --role operator|reviewer|admin [--full-name TEXT] [--as ADMIN]
                                     add an account; standard input: ADMIN's password, then the
                                     new account's. The journal's first account is an admin,
                                     added without --as: standard input holds its password only
  user list [--json]                 the accounts with their role and state
  user disable|enable NAME --as ADMIN
                                     disable an account, or enable (and unlock) it; standard
                                     input: ADMIN's password
  user role NAME --role ROLE --as ADMIN
                                     give an account another role
  user password NAME [--as ADMIN]    a new password; standard input: the old one, then the new
                                     one (with --as: ADMIN's password, then the new one)
  sign --run ID --meaning performed|reviewed|approved --user NAME [--comment TEXT]
                                     sign a completed run; standard input: NAME's password
  exclude --run ID --reading K --reason TEXT --user NAME
                                     exclude reading K of a completed run before its review;
                                     standard input: NAME's password

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
  --key FILE       the station's chain key; default: VelmoraChain.key beside Velmora.ini (for
                   user, sign, exclude and method on a journal given by --journal: beside that
                   journal)
  --help           this text

Exit status:
  0  done (verify: the journal is whole)
  1  verify found a break
  2  bad command line
  3  the journal cannot be opened or read; an unknown run or method
  4  the output file or standard output cannot be written
  5  list or export: the configured lab server cannot be read; the output holds this
     station's local journal only
  6  refused: a wrong password, a locked or disabled account, or a role or rule that does not
     allow it (said on standard error and recorded in the journal); a retired method's name, a
     method retired already; nothing else changes
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
    // After "method", everything but --journal, --key, --as and --help is the method command's.
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
            && argument != u"--as"_s && argument != u"--help"_s && argument != u"-h"_s) {
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
        } else if (QString *option = accountOption(argument)) {
            if (!value(*option))
                return false;
        } else if (argument.startsWith(u'-')) {
            error = u"unknown option %1"_s.arg(argument);
            return false;
        } else if (m_command.isEmpty()) {
            m_command = argument;
        } else if (m_command == u"user"_s && m_words.size() < 2) {
            m_words << argument;
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
    if (m_command == u"user"_s || m_command == u"sign"_s || m_command == u"exclude"_s)
        return parseAccounts(error);
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

QString *JournalCommand::accountOption(const QString &option)
{
    const std::array<std::pair<QStringView, QString *>, 8> options { {
        { u"--role", &m_role },
        { u"--full-name", &m_fullName },
        { u"--as", &m_as },
        { u"--meaning", &m_meaning },
        { u"--user", &m_user },
        { u"--comment", &m_comment },
        { u"--reading", &m_reading },
        { u"--reason", &m_reason },
    } };
    for (const auto &[name, into] : options) {
        if (option == name)
            return into;
    }
    return nullptr;
}

bool JournalCommand::parseAccounts(QString &error) const
{
    const QString what = m_words.value(0);
    const bool user = m_command == u"user"_s;
    const bool add = user && what == u"add"_s;
    const bool role = user && what == u"role"_s;
    // Each option given, and whether the command takes it.
    const QList<std::pair<bool, bool>> options {
        { !m_role.isNull(), add || role },
        { !m_fullName.isNull(), add },
        { !m_as.isNull(), user && what != u"list"_s },
        { m_json, user && what == u"list"_s },
        { !m_meaning.isNull() || !m_comment.isNull(), m_command == u"sign"_s },
        { !m_reading.isNull() || !m_reason.isNull(), m_command == u"exclude"_s },
        { !m_user.isNull() || !m_runIds.isEmpty(), !user },
        { m_readings || !m_csvPath.isEmpty() || !m_pdfPath.isEmpty() || m_since.isValid()
              || !m_station.isEmpty() || m_useServer,
          false },
    };
    for (const auto &[given, taken] : options) {
        if (given && !taken) {
            error = u"an option does not belong to the command '%1'"_s.arg(
                QString(m_command + u' ' + what).trimmed());
            return false;
        }
    }
    static const QStringList kUserCommands { u"add"_s,    u"list"_s,     u"disable"_s,
                                             u"enable"_s, u"password"_s, u"role"_s };
    if (user && !kUserCommands.contains(what))
        error = u"user needs one of: %1"_s.arg(kUserCommands.join(u", "_s));
    else if (user && what != u"list"_s && m_words.size() < 2)
        error = u"user %1 needs the account's name"_s.arg(what);
    else if ((add || role) && !RoleFromText(m_role))
        error = u"%1 needs --role operator, reviewer or admin"_s.arg(m_command + u' ' + what);
    else if (user && (what == u"disable"_s || what == u"enable"_s || role) && m_as.isNull())
        error = u"user %1 needs --as ADMIN"_s.arg(what);
    else if (!user && (m_runIds.size() != 1 || m_user.isNull()))
        error = u"%1 needs one --run ID and --user NAME"_s.arg(m_command);
    else if (m_command == u"sign"_s && !MeaningFromText(m_meaning))
        error = u"sign needs --meaning performed, reviewed or approved"_s;
    else if (m_command == u"exclude"_s && (m_reading.toInt() < 1 || m_reason.isNull()))
        error = u"exclude needs --reading K (1, 2, ...) and --reason TEXT"_s;
    return error.isEmpty();
}

int JournalCommand::run(std::FILE *out, std::FILE *err, std::FILE *in) const
{
    const int status = dispatch(out, err, in);
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

int JournalCommand::dispatch(std::FILE *out, std::FILE *err, std::FILE *in) const
{
    if (m_help) {
        Print(out, HelpText());
        return Done;
    }
    if (m_command == u"user"_s || m_command == u"sign"_s || m_command == u"exclude"_s)
        return accounts(out, err, in);
    if (m_command == u"list"_s)
        return list(out, err);
    if (m_command == u"export"_s)
        return exportCsv(err);
    if (m_command == u"report"_s)
        return reportPdf(err);
    if (m_command == u"server-init"_s)
        return serverInit(out, err);
    if (m_command == u"method"_s)
        return method(out, err, in);
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
            RunAudit audit;
            if (const JournalResult result = RunAudit::Read(db, run.station, run.id, audit);
                !result.ok())
                return unreadable(result);
            AddAuditJson(audit, object);
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
                                   QString::number(run.sampleCount()),
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

int JournalCommand::method(std::FILE *out, std::FILE *err, std::FILE *in) const
{
    // Where accounts are in use (required here, or the journal holds any), only an administrator
    // changes methods: --as ADMIN with the password on standard input, checked and a refusal
    // recorded as for the accounts. A copy of this tool beside other settings changes nothing.
    using Outcome = MethodCommand::Outcome;
    const AccountPolicy policy = AccountPolicy::FromSettings(*ProgramSettings());
    const auto authorize = [&](Journal &journal, const QString &change, std::FILE *error) {
        AccountBook book;
        if (const JournalResult read = AccountJournal(journal, policy).read(book); !read.ok()) {
            PrintError(
                error,
                u"cannot read the journal %1: %2"_s.arg(journal.database().path(), read.text));
            return Outcome::Unreadable;
        }
        if (!policy.required && book.accounts().isEmpty())
            return Outcome::Done;
        const std::optional<QString> password = m_as.isNull() ? std::nullopt : ReadLine(in);
        if (!password) {
            PrintError(error,
                       u"accounts are required: %1 needs --as ADMIN and the password on standard "
                       "input"_s.arg(change.section(u' ', 0, 1)));
            return Outcome::Usage;
        }
        const AccountOutcome outcome =
            AccountJournal(journal, policy).authorizeAdmin({ m_as, *password }, change);
        if (outcome.status == AccountOutcome::Status::Failed) {
            PrintError(
                error,
                u"cannot write the journal %1: %2"_s.arg(journal.database().path(), outcome.text));
            return Outcome::Unreadable;
        }
        if (!outcome.ok()) {
            PrintError(error, u"refused: "_s + outcome.text);
            return Outcome::Refused;
        }
        return Outcome::Done;
    };
    switch (m_method.run(PathOr(m_journalPath), writerKeyPath(), out, err, authorize)) {
    case Outcome::Done:
        return Done;
    case Outcome::Usage:
        return Usage;
    case Outcome::Unreadable:
        break;
    case Outcome::Refused:
        return Refused;
    }
    return JournalUnreadable;
}

QString JournalCommand::writerKeyPath() const
{
    // A journal named on the command line has its key beside it, velmora's own beside
    // Velmora.ini.
    return !m_keyPath.isEmpty()   ? m_keyPath
        : m_journalPath.isEmpty() ? DefaultKeyPath()
                                  : QString();
}

int JournalCommand::accounts(std::FILE *out, std::FILE *err, std::FILE *in) const
{
    // Refusals are said in velmora's language, as velmora would say them.
    const std::unique_ptr<Settings> settings = ProgramSettings();
    InstallTranslators(
        WantsEnglish(QLocale::system().language(), settings->Read(SettingsKeys::kLang)),
        QCoreApplication::applicationDirPath());
    const QString what = m_words.value(0);
    const QString name = m_words.value(1);
    if (m_command == u"user"_s && what == u"list"_s)
        return userList(out, err);
    const bool first = what == u"add"_s && m_as.isNull();
    const bool twoPasswords = (what == u"add"_s && !first) || what == u"password"_s;
    QStringList passwords;
    while (passwords.size() < (twoPasswords ? 2 : 1)) {
        const std::optional<QString> line = ReadLine(in);
        if (!line) {
            PrintError(
                err, u"%1 password line(s) expected on standard input"_s.arg(twoPasswords ? 2 : 1));
            return Usage;
        }
        passwords << *line;
    }
    const QString keyPath = writerKeyPath();
    Journal journal;
    if (const JournalResult opened = journal.open(PathOr(m_journalPath), keyPath).result;
        !opened.ok()) {
        PrintError(err,
                   u"cannot write the journal %1: %2"_s.arg(PathOr(m_journalPath), opened.text));
        return JournalUnreadable;
    }
    AccountJournal accounts(journal, AccountPolicy::FromSettings(*settings));
    const Credentials given { m_command == u"user"_s ? m_as : m_user, passwords.constFirst() };
    const std::optional<Role> role = RoleFromText(m_role);
    AccountOutcome outcome;
    if (m_command == u"sign"_s)
        outcome =
            accounts.sign(given, m_runIds.constFirst(), *MeaningFromText(m_meaning), m_comment);
    else if (m_command == u"exclude"_s)
        outcome = accounts.exclude(given, m_runIds.constFirst(), m_reading.toInt(), m_reason);
    else if (what == u"add"_s)
        outcome = accounts.addAccount(first ? Credentials {} : given, { name, m_fullName, *role },
                                      passwords.constLast());
    else if (what == u"role"_s)
        outcome = accounts.changeRole(given, name, *role);
    else if (what == u"password"_s && m_as.isNull())
        outcome = accounts.changePassword({ name, passwords.constFirst() }, passwords.constLast());
    else if (what == u"password"_s)
        outcome = accounts.setPassword(given, name, passwords.constLast());
    else
        outcome = accounts.setEnabled(given, name, what == u"enable"_s);
    if (outcome.status == AccountOutcome::Status::Failed) {
        PrintError(
            err, u"cannot write the journal %1: %2"_s.arg(journal.database().path(), outcome.text));
        return JournalUnreadable;
    }
    if (!outcome.ok()) {
        PrintError(err, u"refused: "_s + outcome.text);
        return Refused;
    }
    return Done;
}

int JournalCommand::userList(std::FILE *out, std::FILE *err) const
{
    const std::unique_ptr<JournalConnection> db = OpenJournal(PathOr(m_journalPath), err);
    AccountBook book;
    const JournalResult result =
        db ? AccountBook::Read(*db, Journal::DefaultStation(), book) : JournalResult();
    if (!db || !result.ok()) {
        if (db)
            PrintError(err, u"cannot read the journal %1: %2"_s.arg(db->path(), result.text));
        return JournalUnreadable;
    }
    const AccountPolicy policy = AccountPolicy::FromSettings(*ProgramSettings());
    const QDateTime now = QDateTime::currentDateTimeUtc();
    QJsonArray array;
    if (!m_json)
        Print(out, u"name\trole\tstate\tpassword set\tfull name\n"_s);
    for (const Account &account : book.accounts()) {
        const QString state = account.disabled ? u"disabled"_s
            : account.isLocked(now)            ? u"locked"_s
                                               : u"active"_s;
        const QString set = CsvExport::LocalTime(JournalTimestamp(account.passwordSetAt));
        if (!m_json)
            Print(out,
                  QStringList { TerminalVisible(account.name), RoleText(account.role), state, set,
                                TerminalVisible(account.fullName) }
                          .join(u'\t')
                      + u'\n');
        array.append(QJsonObject { { u"name"_s, account.name },
                                   { u"fullName"_s, account.fullName },
                                   { u"role"_s, RoleText(account.role) },
                                   { u"state"_s, state },
                                   { u"passwordSet"_s, JournalTimestamp(account.passwordSetAt) },
                                   { u"passwordExpired"_s, policy.expired(account, now) } });
    }
    if (m_json)
        Print(out, QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Indented)));
    return Done;
}
