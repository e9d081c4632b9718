#pragma once

#include "core/journal/store/JournalTypes.h"
#include "core/report/ReportContent.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

class JournalConnection;
class QSqlQuery;

// Which runs the history shows: a text found in any login field (unit, sample, batch,
// inspector), a time range of the start, a station. Empty parts match everything.
struct RunFilter
{
    QString text;
    QDateTime from; // inclusive
    QDateTime to; // exclusive
    QString station;
};

// The read side of the journal, over a connection of the caller's: the runs newest first in pages
// (each page continues after the last run of the one before, so page after page costs the same
// however deep), a run's readings, its report content.
class JournalHistory
{
public:
    explicit JournalHistory(JournalConnection &db);
    // Reads another connection from now on (the window's source changes between file and server).
    void setConnection(JournalConnection &db) { m_db = &db; }

    JournalResult runs(const RunFilter &filter, int limit, QList<JournalRun> &out,
                       const JournalRun *after = nullptr) const;
    JournalResult countRuns(const RunFilter &filter, int &count) const;
    // The stations that have runs, in order.
    JournalResult stations(QStringList &out) const;
    // An empty station finds the run by its id alone.
    JournalResult run(const QString &station, const QString &runId,
                      std::optional<JournalRun> &out) const;
    JournalResult readings(const QString &station, const QString &runId,
                           QList<JournalReading> &out) const;

    // What the main window's report shows for this run; title and date are the saver's, as for
    // the window (the date here is the run's start date where it was recorded).
    static ReportContent ReportContentFor(const JournalRun &run,
                                          const QList<JournalReading> &readings);

private:
    JournalResult queryRuns(const QString &where, const QVariantList &values, const QString &tail,
                            QList<JournalRun> &out) const;

    JournalConnection *m_db;
};
