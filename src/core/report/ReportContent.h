#pragma once

#include "core/measure/Conversions.h"

#include <QDate>
#include <QString>
#include <QStringList>

class Settings;

// What a report shows, taken from the main window and the login information at the moment the
// report is made. The language texts (labels, mode title, row label) are looked up when the
// report is written or drawn.
struct ReportContent
{
    QString title; // settings "SYSTEM"/"PrintTitle", at most 99 bytes
    MeasurementMode mode = MeasurementMode::OpticalRotation;
    QString unit;
    QString date; // "yyyy-MM-dd"
    QString sampleName;
    QString batchNo;
    QString inspector;
    QStringList values; // column 1 of every row of the result table, in row order
    QString mean; // column 2 of the last row, empty when that cell is empty
    QString deviation; // column 3 of the last row, empty when that cell is empty
};

QString FormatReportDate(QDate date);

// The title from the settings file, cut to 99 bytes; fallback when the key is absent (the text
// report passes the file's own path, the printed report an empty text).
QString ReadReportTitle(const Settings &settings, const QString &fallback);

// Title, mode title, one blank, the report word.
QString ReportTitleLine(const ReportContent &content);
// A labelled line: the string-table format with its "%s" replaced by the text, unchanged.
QString ReportLabelLine(int stringId, const QString &text);
// Value number (1-based) i: "%d." then the mode's row label with the value text.
QString ReportValueLine(const ReportContent &content, int number);
