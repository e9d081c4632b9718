#pragma once

#include "core/journal/read/JournalHistory.h"
#include "core/journal/server/ServerConnection.h"
#include "core/journal/store/SqliteConnection.h"

#include <QDialog>
#include <QTimer>

#include <optional>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QTableWidget;
class RunChart;
class Settings;
class RunHistoryModel;

// The history of the results journal, beside the main window and without blocking it: the runs
// newest first, filtered by a text in the login fields and a date range; the selected run's
// readings and their chart; its text report saved or printed exactly as the main window does, and
// the selected runs exported as CSV exactly as velmora-journal does. It reads through a connection
// of its own, so the main window's writes go on while it is open. With a lab server configured it
// shows every station's runs from the server, and this station's own journal, marked as such,
// while the server cannot be read.
class CHistoryDlg : public QDialog
{
    Q_OBJECT

public:
    // settings: the program's, whose "SYSTEM"/"PrintTitle" titles saved and printed reports; it
    // outlives the window.
    CHistoryDlg(const QString &journalPath, const Settings &settings, QWidget *parent = nullptr);
    ~CHistoryDlg() override;

    // Opens the history beside parent (the main window, so that its modal run does not block
    // it), or brings the one already open to the front with its list read afresh. The window
    // deletes itself when closed.
    static CHistoryDlg *Show(QWidget *parent, const QString &journalPath, const Settings &settings);

    // The filter the controls describe; the end date counts whole.
    RunFilter currentFilter() const;
    // Reads the list afresh under the current filter; false when the journal cannot be read.
    bool refresh();
    // The same after trying the lab server again (Refresh, and the window opened once more).
    bool reload();
    bool readsServer() const { return m_db->isServer() && m_db->isOpen(); }

    // The actions on the selection, with the path already chosen; a failure is shown to the
    // user and returns false.
    bool saveReport(const QString &path);
    bool exportCsv(const QString &path);
    // The run whose readings and chart are shown, with its readings.
    const std::optional<JournalRun> &shownRun() const { return m_shownRun; }
    ReportContent shownReportContent() const;

    RunHistoryModel &model() const { return *m_model; }
    QTableView *runsView() const { return m_runsView; }
    QTableWidget *readingsTable() const { return m_readingsTable; }
    RunChart *chart() const { return m_chart; }
    QLineEdit *filterEdit() const { return m_filterEdit; }
    QCheckBox *dateCheck() const { return m_dateCheck; }
    QDateEdit *fromEdit() const { return m_fromEdit; }
    QDateEdit *toEdit() const { return m_toEdit; }
    QComboBox *stationBox() const { return m_stationBox; }
    QLabel *sourceLabel() const { return m_sourceLabel; }

private:
    void buildControls();
    // The lab server when one is configured and readable, else the local journal.
    bool openSource();
    void showStations();
    void onSelectionChanged();
    void showRun(const std::optional<JournalRun> &run);
    void onSaveButton();
    void onPrintButton();
    void onCsvButton();
    void showCount();
    void showReadFailure(const JournalResult &result);
    QList<JournalRun> selectedRuns() const;

    QString m_journalPath;
    const Settings &m_settings;
    SqliteConnection m_file;
    ServerConnection m_server;
    JournalConnection *m_db = &m_file; // the one read: the server's, or this station's file
    JournalHistory m_history { m_file };
    RunHistoryModel *m_model = nullptr;
    std::optional<JournalRun> m_shownRun;
    QList<JournalReading> m_shownReadings;
    // A text filter reads every run once: typing waits for a pause before it asks.
    QTimer m_filterTimer;

    QLineEdit *m_filterEdit = nullptr;
    QCheckBox *m_dateCheck = nullptr;
    QDateEdit *m_fromEdit = nullptr;
    QDateEdit *m_toEdit = nullptr;
    QLabel *m_stationLabel = nullptr;
    QComboBox *m_stationBox = nullptr;
    QLabel *m_sourceLabel = nullptr;
    QTableView *m_runsView = nullptr;
    QTableWidget *m_readingsTable = nullptr;
    RunChart *m_chart = nullptr;
    QLabel *m_statusLabel = nullptr;
    QPushButton *m_saveButton = nullptr;
    QPushButton *m_printButton = nullptr;
    QPushButton *m_csvButton = nullptr;
};
