#pragma once

#include <QString>

// Where the settings file lives: "Velmora.ini" in the program directory, or in the per-user
// configuration directory when the program directory cannot be written and holds no
// Velmora.ini (a program installed read-only, as Windows treats one under Program Files).
QString ResolveSettingsPath(const QString &programDir, const QString &perUserDir,
                            bool programDirWritable);

// The same for the running program: its own directory, and the per-user directory of
// QStandardPaths::AppConfigLocation, created when it is chosen.
QString LocateSettingsFile(const QString &programDir);
