#include "core/settings/SettingsLocation.h"

#include "core/settings/SettingsKeys.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QString ResolveSettingsPath(const QString &programDir, const QString &perUserDir,
                            bool programDirWritable)
{
    const QString inProgramDir = QDir(programDir).filePath(SettingsKeys::kFileName.toString());
    if (programDirWritable || QFileInfo::exists(inProgramDir) || perUserDir.isEmpty())
        return inProgramDir;
    return QDir(perUserDir).filePath(SettingsKeys::kFileName.toString());
}

} // namespace

QString LocateSettingsFile(const QString &programDir)
{
    const QString perUserDir = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    const QString path =
        ResolveSettingsPath(programDir, perUserDir, QFileInfo(programDir).isWritable());
    QDir().mkpath(QFileInfo(path).absolutePath());
    return path;
}
