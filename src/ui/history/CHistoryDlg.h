#pragma once

#include "core/journal/read/HistoryReader.h"

#include <QDialog>
#include <QTimer>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTableView;
class QTableWidget;
class RunChart;
class Settings;
class RunHistoryModel;

// The history of the results journal, beside the main window and without blocking it: the runs
// newest first, filtered by a text in the login fields and a date range; the selected run's
// readings and their chart; its text report saved or printed exactly as the main window does, and
// the selected runs exported as CSV exactly as velmora-journal does. Its reader queries on a
// thread of its own, through connections of its own, so the main window's readings and writes go
// on while a query runs, however long the journal or the server takes; the window says while it
// waits. With a lab server configured it shows every station's runs from the server, and this
// station's own journal, marked as such, while the server cannot be read.
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
    // Asks for the list afresh under the current filter.
    void refresh();
    // The same after trying the lab server again (Refresh, and the window opened once more).
    void reload();
    bool readsServer() const { return m_reader->source().fromServer; }

    // The actions on the selection, with the path already chosen; a failure is shown to the
    // user and returns false. The CSV is written on the reader's thread: false when there is
    // nothing to export, and the outcome comes with the reader's exported().
    bool saveReport(const QString &path);
    bool exportCsv(const QString &path);
    // The shown run's PDF report: read on the reader's thread, then written here; false when no
    // run is shown. A failure is shown when the answer comes.
    bool writePdf(const QString &path);
    // The shown run's audit trail as CSV, written at once.
    bool exportAuditTrail(const QString &path);
    // Signs the shown run, or excludes one of its readings (meaning unset), on the reader's
    // thread; a refusal is said in a message box.
    void writeAccount(const AccountRequest &request);
    // The run whose readings and chart are shown, with its readings.
    const std::optional<RunDetail> &shownRun() const { return m_reader->shownRun(); }
    ReportContent shownReportContent() const;

    HistoryReader &reader() const { return *m_reader; }
    RunHistoryModel &model() const { return *m_model; }
    QTableView *runsView() const { return m_runsView; }
    RunChart *chart() const { return m_chart; }
    QLineEdit *filterEdit() const { return m_filterEdit; }
    QCheckBox *dateCheck() const { return m_dateCheck; }
    QDateEdit *fromEdit() const { return m_fromEdit; }
    QDateEdit *toEdit() const { return m_toEdit; }
    QComboBox *stationBox() const { return m_stationBox; }
    QLabel *sourceLabel() const { return m_sourceLabel; }
    QTableWidget *readingsTable() const { return m_readingsTable; }
    QTableWidget *trailTable() const { return m_trailTable; }
    // The signatures of the shown run, and its statistics over all and over the kept readings.
    QLabel *auditLabel() const { return m_auditLabel; }

private:
    void buildControls();
    void showSource();
    void onSelectionChanged();
    void updateButtons();
    void showRun();
    void onSaveButton();
    void onPrintButton();
    void onCsvButton();
    void onExported(const QString &path, const JournalResult &result);
    void onPdfButton();
    void onReportRead(const QString &path, const JournalResult &result, const RunReport &report);
    // N, mean, SD, RSD, and a method run's limits and verdict, above the readings.
    void showSummary();
    void onSignButton();
    void onExcludeButton();
    void onAuditCsvButton();
    // The save dialog for an export; empty when it was cancelled.
    QString askSavePath(const QString &title, const QString &filter, const QString &fileName);
    void showAudit(const RunDetail &detail);
    // The reading selected in the readings table, if the shown run has it and it is kept.
    std::optional<JournalReading> selectedReading() const;
    void showStatus();
    void showReadFailure(const JournalResult &result);
    QList<JournalRun> selectedRuns() const;

    QString m_journalPath;
    QString m_serverConnInfo;
    const Settings &m_settings;
    HistoryReader *m_reader = nullptr;
    RunHistoryModel *m_model = nullptr;
    std::optional<JournalRun> m_selectedRun; // asked of the reader
    JournalResult m_readFailure; // shown until the next answer
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
    QPushButton *m_pdfButton = nullptr;
    QLabel *m_summaryLabel = nullptr;
    QTabWidget *m_detailTabs = nullptr;
    QTableWidget *m_trailTable = nullptr;
    QLabel *m_auditLabel = nullptr;
    QPushButton *m_signButton = nullptr;
    QPushButton *m_excludeButton = nullptr;
    QPushButton *m_auditCsvButton = nullptr;
};
