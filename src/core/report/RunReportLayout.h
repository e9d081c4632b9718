#pragma once

#include "core/report/ReportPage.h"
#include "core/report/RunReport.h"

#include <QCoreApplication>
#include <QList>
#include <QString>
#include <QStringList>

// The pages of a run's PDF report: a header with the lab, the station, the instrument, the method,
// the login texts, the mode and its constants on the first page; the table of readings, its
// header repeated on every page it runs over; the statistics with limits and verdict; the
// signatures; on every page a footer with the run's id, its last chain hash and the page marker.
// Texts too wide for their column wrap; a table row, the statistics and each signature are never
// split across pages.
class RunReportLayout
{
    Q_DECLARE_TR_FUNCTIONS(RunReportLayout)

public:
    static QList<ReportPage> layOut(const RunReport &report, const ReportTextMeasure &measure);

    // "第 x 页 共 y 页"
    static QString pageMarker(int page, int pages);
    static QString meaningText(RunReport::Meaning meaning);
    // The report's lines of a text within width: at its own line ends, else at the last blank
    // that fits in the line's second half, else after the last character that fits. Control
    // characters show as blanks.
    static QStringList wrap(const QString &text, int width, ReportStyle style,
                            const ReportTextMeasure &measure);
};
