#pragma once

#include "core/journal/read/HistoryReader.h"

#include <QAbstractTableModel>
#include <QColor>

// The runs the history reader holds, newest first, for a table view, in the user's language.
// A further page is asked for only when the view scrolls near the end (canFetchMore/fetchMore),
// so that a journal of any size opens at once.
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
        ColumnVerdict, // of a run completed under its method
        ColumnTotal
    };

    explicit RunHistoryModel(HistoryReader &reader, QObject *parent = nullptr);

    // Every run that matches, fetched or not.
    int matchCount() const { return m_reader.matchCount(); }
    const JournalRun &run(int row) const { return m_reader.runs().at(row); }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex &parent = {}) const override;
    void fetchMore(const QModelIndex &parent = {}) override;

    // The stored UTC time in local time, to the second.
    static QString LocalTimeText(const QString &journalTime);
    static QString VerdictName(Verdict verdict);
    // Green or red, as the main window shows it too: apart from the link's green and the
    // journal's red, so that a verdict reads as a verdict.
    static QColor VerdictColor(Verdict verdict);

private:
    HistoryReader &m_reader;
};
