#include "core/journal/store/JournalLocation.h"

#include "core/journal/store/ChainKey.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

QString JournalFilePath(const QString &settingsPath, const QString &configuredPath)
{
    const QDir settingsDir = QFileInfo(settingsPath).absoluteDir();
    const QString configured = configuredPath.trimmed();
    if (configured.isEmpty())
        return settingsDir.filePath(kJournalFileName.toString());
    return QDir::cleanPath(settingsDir.absoluteFilePath(configured));
}

QString ChainKeyPath(const QString &settingsPath)
{
    return QFileInfo(settingsPath).absoluteDir().filePath(ChainKey::kFileName.toString());
}

QString CorruptAsideName(const QString &journalPath, const QDateTime &nowUtc)
{
    const QFileInfo journal(journalPath);
    const QString stem = journal.absoluteDir().filePath(
        journal.completeBaseName() + u".corrupt-"_s + nowUtc.toString(u"yyyyMMddTHHmmsszzzZ"_s));
    QString candidate = stem + u".sqlite"_s;
    for (int n = 2; QFileInfo::exists(candidate) || QFileInfo::exists(candidate + u"-wal"_s); ++n)
        candidate = stem + u'-' + QString::number(n) + u".sqlite"_s;
    return candidate;
}
