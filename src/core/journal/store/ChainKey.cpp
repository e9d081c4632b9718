#include "core/journal/store/ChainKey.h"

#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QRandomGenerator>
#include <QSaveFile>

using namespace Qt::StringLiterals;

JournalResult ChainKey::load(const QString &path, QByteArray &key)
{
    key.clear();
    const QFileInfo info(path);
    if (!info.exists())
        return JournalResult::Failure(JournalResult::Error::CannotOpen,
                                      u"there is no chain key at %1"_s.arg(path));
    // Checked before opening, so that a FIFO in its place never blocks the program.
    if (!info.isFile() || info.size() != kSize)
        return JournalResult::Failure(
            JournalResult::Error::Corrupt,
            u"the chain key %1 is not a file of %2 bytes; it is left as it is"_s.arg(path).arg(
                kSize));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return JournalResult::Failure(JournalResult::Error::CannotOpen,
                                      u"the chain key %1: %2"_s.arg(path, file.errorString()));
    key = file.read(kSize + 1);
    if (key.size() == kSize)
        return {};
    key.clear();
    return JournalResult::Failure(JournalResult::Error::Corrupt,
                                  u"the chain key %1 could not be read whole"_s.arg(path));
}

JournalResult ChainKey::loadOrCreate(const QString &path, QByteArray &key)
{
    if (JournalResult result = load(path, key);
        result.error != JournalResult::Error::CannotOpen || QFileInfo::exists(path))
        return result;
    QLockFile lock(path + u".lock"_s);
    if (!lock.tryLock(5000))
        return lock.error() == QLockFile::LockFailedError
            ? JournalResult::Failure(
                JournalResult::Error::Locked,
                u"the chain key %1 is being created by another process"_s.arg(path))
            : JournalResult::Failure(JournalResult::Error::CannotOpen,
                                     u"the chain key %1 cannot be created"_s.arg(path));
    // Another process may have created it while this one waited.
    if (QFileInfo::exists(path))
        return load(path, key);
    QByteArray bytes(kSize, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32 *>(bytes.data()),
                                          kSize / sizeof(quint32));
    QSaveFile file(path);
    const bool written = file.open(QIODevice::WriteOnly)
        && file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)
        && file.write(bytes) == kSize && file.commit();
    if (!written)
        return JournalResult::Failure(
            JournalResult::Error::CannotOpen,
            u"the chain key %1 cannot be created: %2"_s.arg(path, file.errorString()));
    return load(path, key);
}
