#pragma once

#include <QString>

// Renders the program's windows and dialogs, filled as a user would see them during a run, to
// PNG files in `folder`: in Chinese, then in English ("_en"); the main window connected, silent
// and with its link lost. False when a window could not be brought up or a file not written.
bool RenderWindows(const QString &folder);
