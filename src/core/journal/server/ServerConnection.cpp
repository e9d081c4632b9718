#include "core/journal/server/ServerConnection.h"

#include "core/journal/server/ConnectionCutter.h"

#include <QLibrary>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

#include <libpq-events.h>
#include <libpq-fe.h>

using namespace Qt::StringLiterals;

const QString ServerConnection::kSearchPath = u"SET search_path TO velmora"_s;

namespace {

// The two calls that Qt's driver does not make for us. libpq is not linked into the program: a
// station without a lab server would map it, and TLS, Kerberos and LDAP with it, for nothing. Qt's
// PostgreSQL driver loads it with the first server connection; the functions are looked up there.
struct LibPq
{
    decltype(&PQsocket) socket = nullptr;
    decltype(&PQregisterEventProc) registerEventProc = nullptr;
};

const LibPq &ResolvedLibPq()
{
    static const LibPq pq = [] {
        // The same library the driver loaded: "libpq.so.5" here, "libpq.dll" on Windows.
        QLibrary library(u"libpq"_s, 5);
        return LibPq { reinterpret_cast<decltype(&PQsocket)>(library.resolve("PQsocket")),
                       reinterpret_cast<decltype(&PQregisterEventProc)>(
                           library.resolve("PQregisterEventProc")) };
    }();
    return pq;
}

PGconn *Handle(const QSqlDatabase &db)
{
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    // The type's name as Qt derives it from the compiler's: libpq's typedef or its struct.
    const char *type = handle.typeName();
    if (!handle.isValid() || (qstrcmp(type, "PGconn*") != 0 && qstrcmp(type, "pg_conn*") != 0))
        return nullptr;
    return *static_cast<PGconn *const *>(handle.constData());
}

// Every result libpq takes from the server, a row at a time where rows are fetched singly, is
// an answer for the watchdog. It runs on the connection's own thread, inside libpq.
int OnConnectionEvent(PGEventId event, void *, void *cutter)
{
    if (event == PGEVT_RESULTCREATE)
        static_cast<ConnectionCutter *>(cutter)->answered();
    return 1;
}

} // namespace

ServerConnection::ServerConnection(std::chrono::milliseconds timeout)
    : m_cutter(std::make_shared<ConnectionCutter>(timeout))
{ }

ServerConnection::~ServerConnection()
{
    // libpq calls back into the cutter until the connection is gone.
    close();
}

JournalResult ServerConnection::open(const QString &connInfo)
{
    close();
    QSqlDatabase db = addDatabase(u"QPSQL"_s);
    setOpen(connInfo, false);
    if (!db.isValid())
        return JournalResult::Failure(JournalResult::Error::CannotOpen,
                                      u"the PostgreSQL driver of Qt (QPSQL) is not installed"_s);
    db.setConnectOptions(ConnectOptions(connInfo));
    if (!db.open()) {
        const JournalResult result = resultFromError(db.lastError());
        db = QSqlDatabase(); // the connection is removed only once no handle refers to it
        close();
        return result;
    }
    setOpen(connInfo, true);
    QSqlQuery query(db);
    JournalResult result;
    if (PGconn *conn = Handle(db)) {
        const LibPq &pq = ResolvedLibPq();
        // Without the watchdog a frozen server would hold this connection's thread for ever.
        if (!pq.socket || !pq.registerEventProc
            || !pq.registerEventProc(conn, &OnConnectionEvent, "velmora-watchdog", m_cutter.get()))
            result = JournalResult::Failure(JournalResult::Error::CannotOpen,
                                            u"the watchdog of the connection could not be set up "
                                            "in libpq, which Qt's PostgreSQL driver loaded"_s);
        else
            m_cutter->set(pq.socket(conn));
    }
    if (result.ok())
        result = exec(query, kSearchPath);
    if (result.ok())
        result = exec(query, u"SET statement_timeout = %1"_s.arg(timeout().count()));
    if (!result.ok()) {
        query = QSqlQuery();
        db = QSqlDatabase();
        close();
    }
    return result;
}

void ServerConnection::close()
{
    m_cutter->clear();
    JournalConnection::close();
}

std::chrono::milliseconds ServerConnection::timeout() const
{
    return m_cutter->bound();
}

void ServerConnection::setIdle(bool idle)
{
    m_cutter->setBusy(!idle);
}

bool ServerConnection::gaveUp() const
{
    return m_cutter->gaveUp();
}

QString ServerConnection::ConnectOptions(const QString &connInfo)
{
    QString options = connInfo.trimmed();
    if (!options.isEmpty() && !options.contains(u'='))
        options = u"service="_s + options;
    // Where the lab's connection string leaves them open: a host that takes no connection, a
    // network that goes silent while the connection is idle (given up after 10 + 3 x 5 s) or
    // while data waits for its acknowledgement (half a minute).
    const std::pair<QLatin1StringView, QLatin1StringView> defaults[] = {
        { "connect_timeout"_L1, "5"_L1 },        { "keepalives"_L1, "1"_L1 },
        { "keepalives_idle"_L1, "10"_L1 },       { "keepalives_interval"_L1, "5"_L1 },
        { "keepalives_count"_L1, "3"_L1 },       { "tcp_user_timeout"_L1, "30000"_L1 },
        { "application_name"_L1, "velmora"_L1 },
    };
    for (const auto &[key, value] : defaults) {
        const QRegularExpression given(u"(^|\\s)"_s + key + u"\\s*="_s);
        if (!options.contains(given))
            options += u' ' + key + u'=' + value;
    }
    return options.trimmed();
}

JournalResult ServerConnection::resultFromError(const QSqlError &error) const
{
    using Error = JournalResult::Error;
    if (gaveUp())
        return JournalResult::Failure(
            Error::Unreachable,
            u"the lab server did not answer for %1 s; the connection was given up"_s.arg(
                static_cast<double>(timeout().count()) / 1000.0));
    const QString state = error.nativeErrorCode();
    // libpq's hints come on lines of their own; the window shows one line.
    QString text = error.databaseText().trimmed().isEmpty() ? error.text().simplified()
                                                            : error.databaseText().simplified();
    if (text.isEmpty())
        text = u"the connection to the server was lost"_s;
    if (state.isEmpty()) {
        // A connection refused or lost has no SQLSTATE: libpq says which only in its text, in
        // English unless the lab set another language, in which case it shows as unreachable.
        const bool refused = text.contains(u"authentication"_s) || text.contains(u"password"_s)
            || text.contains(u"permission denied"_s) || text.contains(u"does not exist"_s);
        return JournalResult::Failure(refused ? Error::Refused : Error::Unreachable, text);
    }
    // 57014: the statement ran past the server's own timeout.
    if (state.startsWith(u"08"_s) || state.startsWith(u"57P"_s) || state == u"57014"_s)
        return JournalResult::Failure(Error::Unreachable, text);
    if (state.startsWith(u"28"_s) || state == u"42501"_s || state == u"P0001"_s)
        return JournalResult::Failure(Error::Refused, text);
    if (state == u"42P01"_s || state == u"3F000"_s)
        return JournalResult::Failure(
            Error::CannotOpen,
            text + u" (the server has no Velmora journal: run velmora-journal server-init)"_s);
    if (state == u"53100"_s)
        return JournalResult::Failure(Error::DiskFull, text);
    return JournalResult::Failure(Error::Other, text);
}
