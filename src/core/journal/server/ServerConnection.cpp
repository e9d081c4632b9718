#include "core/journal/server/ServerConnection.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

#include <libpq-fe.h>

using namespace Qt::StringLiterals;

const QString ServerConnection::kSearchPath = u"SET search_path TO velmora"_s;

JournalResult ServerConnection::open(const QString &connInfo)
{
    QSqlDatabase db = addDatabase(u"QPSQL"_s);
    setOpen(connInfo, false);
    if (!db.isValid())
        return JournalResult::Failure(JournalResult::Error::CannotOpen,
                                      u"the PostgreSQL driver of Qt (QPSQL) is not installed"_s);
    db.setConnectOptions(ConnectOptions(connInfo));
    if (!db.open()) {
        const JournalResult result = ConnectError(db.lastError());
        db = QSqlDatabase(); // the connection is removed only once no handle refers to it
        close();
        return result;
    }
    setOpen(connInfo, true);
    QSqlQuery query(db);
    const JournalResult result = exec(query, kSearchPath);
    if (!result.ok()) {
        query = QSqlQuery();
        db = QSqlDatabase();
        close();
    }
    return result;
}

int ServerConnection::socket() const
{
    if (!isOpen())
        return -1;
    const QVariant handle = database().driver()->handle();
    // The type's name as Qt derives it from the compiler's: libpq's typedef or its struct.
    const char *type = handle.typeName();
    if (!handle.isValid() || (qstrcmp(type, "PGconn*") != 0 && qstrcmp(type, "pg_conn*") != 0))
        return -1;
    return PQsocket(*static_cast<PGconn *const *>(handle.constData()));
}

QString ServerConnection::ConnectOptions(const QString &connInfo)
{
    QString options = connInfo.trimmed();
    if (!options.isEmpty() && !options.contains(u'='))
        options = u"service="_s + options;
    if (!options.contains(u"connect_timeout"_s))
        options += u" connect_timeout=5"_s;
    // Over a network that drops away, unanswered data ends a statement within half a minute
    // instead of the system's quarter of an hour.
    if (!options.contains(u"tcp_user_timeout"_s))
        options += u" tcp_user_timeout=30000"_s;
    if (!options.contains(u"application_name"_s))
        options += u" application_name=velmora"_s;
    return options.trimmed();
}

JournalResult ServerConnection::ConnectError(const QSqlError &error)
{
    // libpq's hints come on lines of their own; the window shows one line.
    const QString text = error.databaseText().trimmed().isEmpty()
        ? error.text().simplified()
        : error.databaseText().simplified();
    // libpq reports a failed login only in its text; the server sends it in English unless the
    // lab set another language, in which case it still shows, as unreachable.
    const bool refused = text.contains(u"authentication"_s) || text.contains(u"password"_s)
        || text.contains(u"permission denied"_s) || text.contains(u"does not exist"_s);
    return JournalResult::Failure(
        refused ? JournalResult::Error::Refused : JournalResult::Error::Unreachable, text);
}

JournalResult ServerConnection::ResultFromError(const QSqlError &error)
{
    using Error = JournalResult::Error;
    const QString state = error.nativeErrorCode();
    QString text = error.databaseText().trimmed().isEmpty() ? error.text().simplified()
                                                            : error.databaseText().simplified();
    if (text.isEmpty())
        text = u"the connection to the server was lost"_s;
    // A connection lost mid-statement has no SQLSTATE of its own.
    if (state.isEmpty() || state.startsWith(u"08"_s) || state.startsWith(u"57P"_s))
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
