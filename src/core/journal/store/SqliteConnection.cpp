#include "core/journal/store/SqliteConnection.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QtEndian>

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

JournalResult SqliteConnection::open(const QString &path, OpenMode mode, int busyTimeoutMs)
{
    close();
    setOpen(path, false);
    const bool exists = QFileInfo::exists(path);
    if (!exists && mode == OpenMode::Read)
        return JournalResult::Failure(JournalResult::Error::CannotOpen,
                                      u"there is no journal at %1"_s.arg(path));
    if (exists) {
        if (const JournalResult checked = CheckFileHeader(path); !checked.ok())
            return checked;
    }

    QSqlDatabase db = addDatabase(u"QSQLITE"_s);
    db.setDatabaseName(path);
    db.setConnectOptions(u"QSQLITE_BUSY_TIMEOUT="_s + QString::number(busyTimeoutMs));
    if (!db.open()) {
        JournalResult result = ResultFromError(db.lastError());
        if (result.error == JournalResult::Error::Other)
            result.error = JournalResult::Error::CannotOpen;
        return result;
    }
    setOpen(path, true);

    QSqlQuery query(db);
    QStringList pragmas { u"PRAGMA foreign_keys = ON"_s };
    if (mode == OpenMode::Write)
        pragmas << u"PRAGMA synchronous = FULL"_s << u"PRAGMA journal_mode = WAL"_s;
    else
        pragmas << u"PRAGMA query_only = ON"_s;
    JournalResult result;
    for (const QString &pragma : pragmas) {
        if (result = exec(query, pragma); !result.ok())
            break;
    }
    // journal_mode answers with the mode it kept, which is not WAL where the file system
    // cannot share memory between processes.
    if (result.ok() && mode == OpenMode::Write
        && (!query.next() || query.value(0).toString().compare(u"wal"_s, Qt::CaseInsensitive) != 0))
        result = JournalResult::Failure(JournalResult::Error::CannotOpen,
                                        u"the journal cannot use write-ahead logging here"_s);
    if (!result.ok()) {
        query = QSqlQuery();
        db = QSqlDatabase();
        close();
    }
    return result;
}
