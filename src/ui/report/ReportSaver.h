#pragma once

#include "core/report/TextReport.h"

class Settings;
class QWidget;

// The path chosen in the report's save dialog, empty when the user cancelled.
QString AskReportFilePath(QWidget *parent);

// The message for a failed report: the string-table text with the path in place of "%1".
QString ReportFailureText(const TextReportResult &result, const QString &path);

// Writes the report of content (everything but title and date filled in) to path. The title is
// "SYSTEM"/"PrintTitle", or the path itself when the key is absent; the date is today's. A file
// that cannot be created gets the exclamation message of its cause, a failed write the stop
// message; success says nothing.
TextReportResult SaveTextReport(QWidget *parent, const QString &path, ReportContent content,
                                const Settings &settings);
