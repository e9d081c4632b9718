#include "core/journal/store/SqliteConnection.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QUrl>

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

// A URI, so that SQLite takes the options; the path's own '?', '#' and '%' are escaped in it.
QString ReadOnlyUri(const QString &path, bool immutable)
{
    return QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded)
        + (immutable ? u"?mode=ro&immutable=1"_s : u"?mode=ro"_s);
}

} // namespace

JournalResult SqliteConnection::ResultFromError(const QSqlError &error)
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
        return JournalResult::Failure(Error::Corrupt, text);
    case kSqliteNotADatabase:
        // Not even the header is SQLite's: nothing shows that the file was ever a journal.
        return JournalResult::Failure(Error::NotJournal, text);
    case kSqliteFull:
        return JournalResult::Failure(Error::DiskFull, text);
    case kSqliteCantOpen:
        return JournalResult::Failure(Error::CannotOpen, text);
    default:
        return JournalResult::Failure(Error::Other, text);
    }
}

JournalResult SqliteConnection::CheckPath(const QString &path)
{
    const QFileInfo info(path);
    // Only a regular file is ever handed to SQLite: opening a FIFO blocks, and a device or a
    // folder is nobody's journal. A link to nothing would have SQLite create its target.
    if (info.exists() ? info.isFile() : !info.isSymLink())
        return {};
    return JournalResult::Failure(JournalResult::Error::NotJournal,
                                  u"%1 is not a regular file; it is left as it is"_s.arg(path));
}

JournalResult SqliteConnection::open(const QString &path, OpenMode mode, int busyTimeoutMs)
{
    close();
    setOpen(path, false);
    if (JournalResult checked = CheckPath(path); !checked.ok())
        return checked;
    m_busyTimeoutMs = busyTimeoutMs;
    if (mode == OpenMode::Write)
        return connect(path, u"QSQLITE_BUSY_TIMEOUT=%1"_s.arg(busyTimeoutMs), {});
    if (!QFileInfo::exists(path))
        return JournalResult::Failure(JournalResult::Error::CannotOpen,
                                      u"there is no journal at %1"_s.arg(path));
    const QString options =
        u"QSQLITE_OPEN_URI;QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=%1"_s.arg(busyTimeoutMs);
    JournalResult result = connect(ReadOnlyUri(path, false), options, u"PRAGMA query_only = ON"_s);
    // A reader of a WAL journal needs its -shm file, which it cannot create on read-only media.
    // Without a -wal file beside it nobody is writing the journal there, so it is read as it
    // lies; with one, its rows would be left out, and the journal is not read at all.
    if (result.error == JournalResult::Error::CannotOpen && !QFileInfo::exists(path + u"-wal"_s))
        result = connect(ReadOnlyUri(path, true), options, u"PRAGMA query_only = ON"_s);
    return result;
}

JournalResult SqliteConnection::connect(const QString &name, const QString &options,
                                        const QString &firstStatement)
{
    QSqlDatabase db = addDatabase(u"QSQLITE"_s);
    db.setDatabaseName(name);
    db.setConnectOptions(options);
    JournalResult result;
    if (!db.open()) {
        result = ResultFromError(db.lastError());
        if (result.error == JournalResult::Error::Other)
            result.error = JournalResult::Error::CannotOpen;
        db = QSqlDatabase();
        close();
        return result;
    }
    setOpen(path(), true);
    // SQLite opens files lazily: the first statement reads the file's header, and only that,
    // so that a damaged file can still be told apart from another program's.
    QSqlQuery query(db);
    result = exec(query, u"PRAGMA application_id"_s);
    if (result.ok() && !firstStatement.isEmpty())
        result = exec(query, firstStatement);
    if (!result.ok()) {
        query = QSqlQuery();
        db = QSqlDatabase();
        close();
    }
    return result;
}

JournalResult SqliteConnection::enableWriting()
{
    QSqlQuery query(database());
    JournalResult result = exec(query, u"PRAGMA foreign_keys = ON"_s);
    if (result.ok())
        result = exec(query, u"PRAGMA synchronous = FULL"_s);
    // Two writers starting a new journal together both hold a read lock as they switch it to WAL,
    // and SQLite refuses one at once rather than let them wait on each other: it tries again.
    const QDeadlineTimer deadline(m_busyTimeoutMs);
    while (result.ok()) {
        result = exec(query, u"PRAGMA journal_mode = WAL"_s);
        if (result.error != JournalResult::Error::Locked || deadline.hasExpired())
            break;
        QThread::msleep(10);
    }
    // journal_mode answers with the mode it kept, which is not WAL where the file system
    // cannot share memory between processes.
    if (result.ok()
        && (!query.next() || query.value(0).toString().compare(u"wal"_s, Qt::CaseInsensitive) != 0))
        result = JournalResult::Failure(JournalResult::Error::CannotOpen,
                                        u"the journal cannot use write-ahead logging here"_s);
    return result;
}
