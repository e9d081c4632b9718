#pragma once

#include "core/journal/store/JournalTypes.h"
#include "core/report/RunReport.h"

#include <QCoreApplication>
#include <QString>

class JournalConnection;

// The PDF report's content of one run as a journal, local or the lab server's, holds it: all but
// the lab's name, which is the caller's, from the settings.
class JournalRunReport
{
    Q_DECLARE_TR_FUNCTIONS(JournalRunReport)

public:
    // An empty station finds the run by its id alone. A run the journal does not hold is a
    // failure that names it.
    static JournalResult read(JournalConnection &db, const QString &station, const QString &runId,
                              RunReport &out);

    // A time of the journal as the report shows it: date and time with the offset it was
    // recorded with.
    static QString time(const QString &journalTime, std::optional<int> offset);
    static QString statusText(RunStatus status);

private:
    // The method, version and limits of a run under one, and its verdict.
    static void addMethod(const JournalRun &run, RunReport &report);
};
