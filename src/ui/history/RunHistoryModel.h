#pragma once

#include "core/journal/read/JournalHistory.h"

#include <QAbstractTableModel>
#include <QList>

// The journal's runs, newest first, for a table view: the first page is read when the filter is
// set and each further page only when the view scrolls near the end (canFetchMore/fetchMore), so
// that a journal of any size opens at once. Each page continues after the last run held, which
// costs the same however deep the view has scrolled.
class RunHistoryModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column {
        ColumnStarted,
        ColumnSample,
        ColumnBatch,
        ColumnUnit,
        ColumnInspector,
        ColumnMode,
        ColumnCount,
        ColumnMean,
        ColumnDeviation,
        ColumnStation, // the lab server's; one station only in a local journal
        ColumnStatus,
        ColumnTotal
    };

    static constexpr int kDefaultPageSize = 200;

    explicit RunHistoryModel(const JournalHistory &history, int pageSize = kDefaultPageSize,
                             QObject *parent = nullptr);

    // Reads the first page of the runs that match; the count of all matches is read too.
    JournalResult setFilter(const RunFilter &filter);
    const RunFilter &filter() const { return m_filter; }
    // Every run that matches, fetched or not.
    int matchCount() const { return m_matchCount; }
    const JournalRun &run(int row) const { return m_runs.at(row); }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex &parent = {}) const override;
    void fetchMore(const QModelIndex &parent = {}) override;

    // The stored UTC time in local time, to the second.
    static QString LocalTimeText(const QString &journalTime);
    static QString StatusName(RunStatus status);

signals:
    // A page could not be read; no further page is asked for until the filter is set again.
    void readFailed(const JournalResult &result);

private:
    JournalResult fetchPage();

    const JournalHistory &m_history;
    int m_pageSize = kDefaultPageSize;
    RunFilter m_filter;
    QList<JournalRun> m_runs;
    int m_matchCount = 0;
    bool m_atEnd = true;
};
