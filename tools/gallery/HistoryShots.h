#pragma once

#include <QString>

// Renders the history window over a journal of a few runs, one of them selected with its
// readings and chart, in Chinese and in English, to PNG files in `folder`.
bool RenderHistoryWindow(const QString &folder);
