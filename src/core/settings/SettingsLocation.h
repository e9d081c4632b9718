#pragma once

#include <QString>

// Where the settings file lives: "Velmora.ini" in the program directory, or in the per-user
// configuration directory (QStandardPaths::AppConfigLocation, created when it is chosen) when
// the program directory cannot be written and holds no Velmora.ini (a program installed
// read-only, as Windows treats one under Program Files).
QString LocateSettingsFile(const QString &programDir);
