#pragma once

#include "core/session/MeasurementSession.h"
#include "core/settings/Session.h"
#include "ui/dialogs/TemplateDialog.h"
#include "ui/windows/MethodLines.h"
#include "ui/windows/SessionQuestions.h"
#include "ui/windows/StateLines.h"

#include <QIcon>

#include <memory>

class CColorButton;
class CHotTrackButton;
class CLedDigitDisplay;
class CStateImageButton;
class CStyledLabel;
class QLabel;
class QPushButton;
class QTableWidget;
class Settings;
class WindowLock;

// The main window: login information, the live reading on two digit displays, the status lamp,
// the result table of the current run and every command button. Its measuring session owns the
// line, the run and its record; the window forwards every input to the session and paints what
// the session tells.
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
    CVelmoraDlg(const Session &session, Settings &settings, QWidget *parent = nullptr);
    ~CVelmoraDlg() override;

    // The results journal that the window's runs go to, and how opening it went; set before the
    // window is shown. Without one the window only measures.
    void AttachJournal(Journal *journal, const JournalResult &opened);
    // The method chosen at the login, set before the window is shown; none: no method.
    void UseMethod(const std::optional<Method> &method);
    const MeasurementSession &GetSession() const { return m_session; }

    // Confirm ("确认", the Enter key): the current reading becomes the next row of the table.
    void OnOK();
    void OnDeleteButton();
    void OnSampleButton();
    // Press of the left mouse button on a colour button: the instrument command of that button.
    void OnColorButtonDown(int id);
    void OnAboutBox();
    // The mode dialog; on OK the choice is stored and applied to a new run.
    void OnModeButton();
    // The text report of the current run, to a file the user chooses.
    void OnSaveButton();
    // A print dialog of its own for each press; the window stays usable meanwhile.
    void OnPrintButton();
    // The help text in the platform's text viewer.
    void OnHelpButton();
    // The history of the results journal beside the window, which stays usable (also Ctrl+H).
    void OnHistoryButton();

    // Enter and the dialog's own OK lead to Confirm; the window never closes with OK.
    void accept() override;

protected:
    void OnInitDialog() override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    // Enter is Confirm also while the button is disabled, so that the refusal is said.
    void keyPressEvent(QKeyEvent *event) override;
    // A click on the state line while another device stands at the port asks again about it.
    void mousePressEvent(QMouseEvent *event) override;
#ifdef Q_OS_WIN
    bool nativeEvent(const QByteArray &eventType, void *message, qintptr *result) override;
#endif

private:
    void AddAboutMenuItem();
    void StyleLabel(CStyledLabel *label, const QString &face, bool italic);
    void CreateHistoryButton();
    // The window's side of applying a mode: columns, date, caption, converted display.
    void ApplyMeasurementMode();
    void PaintReading();
    // The state line, the digits dimmed while the link is not live, Confirm's state.
    void PaintLinkState();
    void PaintRow(int row);
    void PaintCompletion();
    void PaintCleared();
    void PaintLogin();
    void SetResultText(int row, int column, const QString &text);
    // A run that a crash or an exit left open is offered back.
    void OfferRecovery(const MeasurementSession::RecoveryOffer &offer);
    void PaintJournalState(bool available, const JournalResult &result);

    MeasurementSession m_session;
    Settings &m_settings;
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
    // Beyond the original window, in its free space: the link, journal and server states, and
    // left of Exit the history.
    StateLines m_stateLines { *this };
    MethodLines m_methodLines { *this, m_stateLines.smallFont(), m_session };
    SessionQuestions m_questions { m_session, *this };
    // Only where accounts are required; it ends before the session it watches.
    std::unique_ptr<WindowLock> m_lock;
    QPushButton *m_btnHistory = nullptr;
    QIcon m_hIcon;
    QColor m_ledColor;
};
