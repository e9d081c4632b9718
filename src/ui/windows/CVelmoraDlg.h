#pragma once

#include "core/link/LinkMonitor.h"
#include "core/link/RxBuffer.h"
#include "core/measure/MeasurementRun.h"
#include "core/report/ReportContent.h"
#include "core/session/RunRecorder.h"
#include "core/settings/Session.h"
#include "core/settings/SettingsKeys.h"
#include "ui/dialogs/TemplateDialog.h"

#include <QIcon>

#include <memory>

class CColorButton;
class CHotTrackButton;
class CLedDigitDisplay;
class CSerialPort;
class CStateImageButton;
class CStyledLabel;
class JournalForwarder;
class QLabel;
class QPushButton;
class QTableWidget;
class Settings;
struct ModeChoice;

// The main window: login information, the live reading on two digit displays, the status lamp,
// the result table of the current run and every command button. It owns the serial channel and
// the run; it forwards every input to the run and paints what the run signals. Members are
// public so that the tests reach them by the names the other parts of the program use.
class CVelmoraDlg : public TemplateDialog
{
    Q_OBJECT

public:
    static constexpr int kTemplateId = 102;
    static constexpr int IDC_RETEST_PLUS = 1007;
    static constexpr int IDC_RETEST_MINUS = 1008;
    static constexpr int IDC_ZERO = 1009;
    static constexpr int IDC_SAMPLE = 1010;
    static constexpr int IDC_PRINT = 1011;
    static constexpr int IDC_SAVE = 1012;
    static constexpr int IDC_MODE = 1013;
    static constexpr int IDC_UNIT = 1014;
    static constexpr int IDC_SAMPLE_NAME = 1015;
    static constexpr int IDC_BATCH_NO = 1016;
    static constexpr int IDC_INSPECTOR = 1017;
    static constexpr int IDC_LIST = 1018;
    static constexpr int IDC_SAMPLE_COUNT = 1019;
    static constexpr int IDC_DELETE = 1020;
    static constexpr int IDC_READING = 1021;
    static constexpr int IDC_STATUS = 1022;
    static constexpr int IDC_CONVERTED = 1023;
    static constexpr int IDC_HELP = 1025;
    static constexpr int IDC_MODE_NAME = 1036;
    static constexpr int IDC_DATE = 1037;
    static constexpr int IDM_ABOUTBOX = 0x0010;

    enum ResultColumn { ColumnNumber = 0, ColumnValue = 1, ColumnMean = 2, ColumnDeviation = 3 };

    // The session of the start-up; the settings stay the start-up's and outlive the window.
    CVelmoraDlg(Session session, Settings &settings, QWidget *parent = nullptr);
    ~CVelmoraDlg() override;

    // Confirm ("确认", the Enter key): the current reading becomes the next row of the table.
    void OnOK();
    void OnDeleteButton();
    void OnSampleButton();
    // Press of the left mouse button on a colour button: the instrument command of that button.
    void OnColorButtonDown(int id);
    // A burst from the receive thread: the run decodes the held frames, then gives the read
    // permission back.
    void OnSerialData(CSerialPort *port, RxBuffer *rx);
    void OnAboutBox();
    // The mode dialog; on OK the choice is persisted and applied to the run.
    void OnModeButton();
    // The text report of the current run, to a file the user chooses.
    void OnSaveButton();
    // A print dialog of its own for each press; the window stays usable meanwhile.
    void OnPrintButton();
    // The help text in the platform's text viewer.
    void OnHelpButton();
    // The history of the results journal beside the window, which stays usable (also Ctrl+H).
    void OnHistoryButton();

    void LoadModeSettings();

    // The results journal that the window's runs go to, and how opening it went; set before the
    // window is shown. Without one the window only measures.
    void AttachJournal(Journal *journal, const JournalResult &opened);
    // The forwarding of that journal to the lab server, when one is configured; its state is
    // shown below Exit.
    void AttachForwarder(JournalForwarder *forwarder);

    const Session &GetSession() const { return m_session; }

    // Enter and the dialog's own OK lead to Confirm; the window never closes with OK.
    void accept() override;

    // Reading, mode and constants, sampling count and the confirmed values.
    MeasurementRun m_run;
    // Whether the instrument is there and its reading settled; Confirm asks it first.
    LinkMonitor m_link;
    std::unique_ptr<CSerialPort> m_pSerialPort;
    CStyledLabel *m_stcInspector = nullptr;
    CStyledLabel *m_stcBatchNo = nullptr;
    CStyledLabel *m_stcSampleName = nullptr;
    CStyledLabel *m_stcUnit = nullptr;
    CStyledLabel *m_stcSampleCount = nullptr;
    CStyledLabel *m_stcDate = nullptr;
    CLedDigitDisplay *m_ctlReading = nullptr;
    CLedDigitDisplay *m_ctlConverted = nullptr;
    CColorButton *m_btnZero = nullptr;
    CColorButton *m_btnRetestPlus = nullptr;
    CColorButton *m_btnRetestMinus = nullptr;
    CStateImageButton *m_btnStatus = nullptr;
    CHotTrackButton *m_btnHelp = nullptr;
    QLabel *m_stcModeName = nullptr;
    QTableWidget *m_list = nullptr;
    QPushButton *m_btnConfirm = nullptr;
    // Beyond the original window, in its free space: a lasting mark below Exit while the journal
    // cannot be written.
    QLabel *m_stcJournal = nullptr;
    // Beyond the original window too: left of Exit, on its row.
    QPushButton *m_btnHistory = nullptr;
    // Beyond the original window: the link state in the free strip above Confirm.
    QLabel *m_stcLink = nullptr;
    // Beyond the original window: below Exit, with the journal's mark, the lab server's state.
    QLabel *m_stcServer = nullptr;
    QIcon m_hIcon;
    // Confirm, Delete, mode and commands, as they reach the run and the journal.
    RunRecorder m_recorder { m_run };

protected:
    void OnInitDialog() override;
    void contextMenuEvent(QContextMenuEvent *event) override;
#ifdef Q_OS_WIN
    bool nativeEvent(const QByteArray &eventType, void *message, qintptr *result) override;
#endif

private:
    void AddAboutMenuItem();
    void StyleLabel(CStyledLabel *label, const QString &face, bool italic);
    void OpenSerialPort();
    // The window's side of applying a mode: columns, date, caption, converted display.
    void ApplyMeasurementMode();
    void PaintReading();
    // The state line, and the digits dimmed while the link is not live.
    void PaintLinkState();
    void PaintRow(int row);
    void PaintCompletion();
    void PaintCleared();
    void SetResultText(int row, int column, const QString &text);
    // The only place that writes the mode choice to the settings file.
    void PersistModeChoice(const ModeChoice &choice);
    // What a report shows of the run and the login; title and date are the report's own.
    ReportContent CollectReportContent() const;
    void StartJournal();
    // A run that a crash or an exit left open is offered back.
    void OfferRecovery();
    void PaintJournalState(bool available, const JournalResult &result);
    void PaintServerState();
    // The journal's mark and the server's state share the strip below Exit.
    void LayOutRecordLines();
    void ShowLogin();

    Session m_session;
    Settings &m_settings;
    Journal *m_pJournal = nullptr;
    JournalForwarder *m_pForwarder = nullptr;
    JournalResult m_journalOpened;
    QColor m_ledColor;
    // Why the last Confirm entered nothing; shown until the link state changes.
    QString m_strRefusal;
};
