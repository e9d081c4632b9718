#include "core/journal/JournalDatabase.h"

#include "core/journal/JournalSchema.h"
#include "core/journal/ServerSchema.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <QtEndian>

#include <libpq-fe.h>

using namespace Qt::StringLiterals;

namespace {

// SQLite's primary result codes (the low byte of an extended code).
constexpr int kSqliteBusy = 5;
constexpr int kSqliteLocked = 6;
constexpr int kSqliteReadOnly = 8;
constexpr int kSqliteCorrupt = 11;
constexpr int kSqliteFull = 13;
constexpr int kSqliteCantOpen = 14;
constexpr int kSqliteNotADatabase = 26;

constexpr qsizetype kHeaderSize = 100;

// A file that SQLite would open happily and fail on later: not an SQLite file at all, or one
// shorter than its own header says (cut off by a crash of the disk or a bad copy). Only the
// header is read, so this costs nothing on a large journal.
JournalResult CheckFileHeader(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return JournalResult::Failure(JournalResult::Error::CannotOpen, file.errorString());
    const qint64 size = file.size();
    if (size == 0)
        return {}; // SQLite starts an empty file as a new database
    const QByteArray header = file.read(kHeaderSize);
    const auto corrupt = [](const QString &text) {
        return JournalResult::Failure(JournalResult::Error::Corrupt, text);
    };
    if (header.size() < kHeaderSize || !header.startsWith(QByteArrayView("SQLite format 3\0", 16)))
        return corrupt(u"not an SQLite database"_s);
    const auto *bytes = reinterpret_cast<const uchar *>(header.constData());
    const quint32 rawPageSize = qFromBigEndian<quint16>(bytes + 16);
    const qint64 pageSize = rawPageSize == 1 ? 65536 : rawPageSize;
    if (pageSize < 512 || (pageSize & (pageSize - 1)) != 0)
        return corrupt(u"damaged database header"_s);
    // A file shorter than its header says is left to SQLite, which refuses it when it reads the
    // missing pages: judged from outside, another instance's checkpoint in progress looks the
    // same, and moving a live journal aside would split its rows between two files.
    return {};
}

} // namespace

JournalDatabase::JournalDatabase()
    : m_connectionName(u"velmora-journal-"_s + QUuid::createUuid().toString(QUuid::WithoutBraces))
{ }

JournalDatabase::~JournalDatabase()
{
    close();
}

QSqlDatabase JournalDatabase::database() const
{
    return QSqlDatabase::database(m_connectionName, false);
}

void JournalDatabase::close()
{
    if (!QSqlDatabase::contains(m_connectionName))
        return;
    database().close();
    QSqlDatabase::removeDatabase(m_connectionName);
    m_open = false;
    m_server = false;
}

JournalResult JournalDatabase::ResultFromError(const QSqlError &error)
{
    using Error = JournalResult::Error;
    const QString text = error.text();
    switch (error.nativeErrorCode().toInt() & 0xff) {
    case kSqliteBusy:
    case kSqliteLocked:
        return JournalResult::Failure(Error::Locked, text);
    case kSqliteReadOnly:
        return JournalResult::Failure(Error::ReadOnly, text);
    case kSqliteCorrupt:
    case kSqliteNotADatabase:
        return JournalResult::Failure(Error::Corrupt, text);
    case kSqliteFull:
        return JournalResult::Failure(Error::DiskFull, text);
    case kSqliteCantOpen:
        return JournalResult::Failure(Error::CannotOpen, text);
    default:
        return JournalResult::Failure(Error::Other, text);
    }
}

JournalResult JournalDatabase::open(const QString &path, OpenMode mode, int busyTimeoutMs)
{
    close();
    m_path = path;
    const bool exists = QFileInfo::exists(path);
    if (!exists && mode == OpenMode::Read)
        return JournalResult::Failure(JournalResult::Error::CannotOpen,
                                      u"there is no journal at %1"_s.arg(path));
    if (exists) {
        if (const JournalResult checked = CheckFileHeader(path); !checked.ok())
            return checked;
    }

    JournalResult result = connect(mode, busyTimeoutMs);
    if (result.ok())
        result = JournalSchema::Prepare(*this, mode == OpenMode::Write);
    if (!result.ok())
        close();
    return result;
}

int JournalDatabase::serverSocket() const
{
    if (!m_server || !m_open)
        return -1;
    const QVariant handle = database().driver()->handle();
    // The type's name as Qt derives it from the compiler's: libpq's typedef or its struct.
    const char *type = handle.typeName();
    if (!handle.isValid() || (qstrcmp(type, "PGconn*") != 0 && qstrcmp(type, "pg_conn*") != 0))
        return -1;
    return PQsocket(*static_cast<PGconn *const *>(handle.constData()));
}

JournalResult JournalDatabase::openServer(const QString &connInfo)
{
    close();
    m_path = connInfo;
    m_server = true;
    QSqlDatabase db = QSqlDatabase::addDatabase(u"QPSQL"_s, m_connectionName);
    if (!db.isValid())
        return JournalResult::Failure(JournalResult::Error::CannotOpen,
                                      u"the PostgreSQL driver of Qt (QPSQL) is not installed"_s);
    db.setConnectOptions(ServerSchema::ConnectOptions(connInfo));
    if (!db.open()) {
        const JournalResult result = ServerSchema::ConnectError(db.lastError());
        db = QSqlDatabase(); // the connection is removed only once no handle refers to it
        close();
        return result;
    }
    m_open = true;
    QSqlQuery query(db);
    const JournalResult result = exec(query, ServerSchema::kSearchPath);
    if (!result.ok())
        close();
    return result;
}

JournalResult JournalDatabase::connect(OpenMode mode, int busyTimeoutMs)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, m_connectionName);
    db.setDatabaseName(m_path);
    db.setConnectOptions(u"QSQLITE_BUSY_TIMEOUT="_s + QString::number(busyTimeoutMs));
    if (!db.open()) {
        JournalResult result = ResultFromError(db.lastError());
        if (result.error == JournalResult::Error::Other)
            result.error = JournalResult::Error::CannotOpen;
        return result;
    }
    m_open = true;

    QSqlQuery query(db);
    QStringList pragmas { u"PRAGMA foreign_keys = ON"_s };
    if (mode == OpenMode::Write)
        pragmas << u"PRAGMA synchronous = FULL"_s << u"PRAGMA journal_mode = WAL"_s;
    else
        pragmas << u"PRAGMA query_only = ON"_s;
    for (const QString &pragma : pragmas) {
        if (JournalResult result = exec(query, pragma); !result.ok())
            return result;
    }
    // journal_mode answers with the mode it kept, which is not WAL where the file system
    // cannot share memory between processes.
    if (mode == OpenMode::Write
        && (!query.next() || query.value(0).toString().compare(u"wal"_s, Qt::CaseInsensitive) != 0))
        return JournalResult::Failure(JournalResult::Error::CannotOpen,
                                      u"the journal cannot use write-ahead logging here"_s);
    return {};
}

JournalResult JournalDatabase::exec(QSqlQuery &query, const QString &sql,
                                    const QVariantList &values)
{
    if (!m_open)
        return JournalResult::Failure(JournalResult::Error::NotOpen, u"the journal is not open"_s);
    const auto failure = [&] {
        return m_server ? ServerSchema::ResultFromError(query.lastError())
                        : ResultFromError(query.lastError());
    };
    // PostgreSQL prepares queries only, never other statements (BEGIN, SET, DDL).
    if (m_server && values.isEmpty())
        return query.exec(sql) ? JournalResult {} : failure();
    if (!query.prepare(sql))
        return failure();
    for (const QVariant &value : values)
        query.addBindValue(value);
    if (!query.exec())
        return failure();
    return {};
}

JournalResult JournalDatabase::begin()
{
    QSqlQuery query(database());
    return exec(query, m_server ? u"BEGIN"_s : u"BEGIN IMMEDIATE"_s);
}

JournalResult JournalDatabase::commit()
{
    QSqlQuery query(database());
    JournalResult result = exec(query, u"COMMIT"_s);
    if (!result.ok())
        rollback();
    return result;
}

void JournalDatabase::rollback()
{
    if (!m_open)
        return;
    QSqlQuery query(database());
    query.exec(u"ROLLBACK"_s);
}
