#pragma once

#include <QString>

// The main window's side of the results journal, in Chinese and in English: the question about a
// run that a killed program left open, and the window with its mark while the journal cannot be
// written. False when a window could not be brought up or a file not written.
bool RenderJournalShots(const QString &folder);
