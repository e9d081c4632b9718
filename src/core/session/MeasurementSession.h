#pragma once

#include "core/journal/methods/Method.h"
#include "core/journal/store/JournalTypes.h"
#include "core/link/CSerialPort.h"
#include "core/link/LinkMonitor.h"
#include "core/measure/MeasurementRun.h"
#include "core/report/ReportContent.h"
#include "core/session/AccountSession.h"
#include "core/session/RunRecorder.h"
#include "core/settings/Session.h"

#include <QElapsedTimer>
#include <QObject>

#include <memory>
#include <optional>

class Journal;
class JournalForwarder;
class Settings;
struct ForwardState;
struct ModeChoice;

// The measuring session of the main window: the serial line, the run, the link's state, the
// run's record in the journal and its forwarding to the lab server. Data flows one way: the line's
// bytes are decoded into the run, which the recorder carries into the journal. It is the one
// place that decides what an input does (whether a Confirm enters a reading, what a command
// sends, what a recovered run is measured under); the window forwards input here and paints what
// the signals of the session, its run and its link tell.
class MeasurementSession : public QObject
{
    Q_OBJECT

public:
    enum class Command { RetestPlus, RetestMinus, Zero };

    struct RecoveryOffer
    {
        JournalRun run;
        QList<JournalReading> readings;
    };

    // The login of the start-up and the settings that outlive the session.
    MeasurementSession(const Session &login, Settings &settings, QObject *parent = nullptr);
    ~MeasurementSession() override;

    // The journal the runs go to, and how opening it went; before startRecording(). Without one
    // the session only measures. With a lab server in the settings, the journal is forwarded.
    void attachJournal(Journal *journal, const JournalResult &opened);

    // Opens the line chosen at the login; false when there is none or it cannot be opened
    // (the link's state says why).
    bool openPort();
    // The mode and constants of the settings file, applied to the run.
    void loadModeSettings();
    // From now on runs are recorded; the forwarding starts. A run a crash or an exit left open is
    // returned, for the user to be asked.
    std::optional<RecoveryOffer> startRecording();
    // Yes: the run goes on under its own login; later runs are the current login's. Fails,
    // changing nothing, when another instance took the run over first.
    JournalResult continueRun(const RecoveryOffer &offer);
    // No: the run is kept, closed as abandoned.
    void abandonRun(const RecoveryOffer &offer);

    // Confirm: the current reading becomes the next row; empty when it did, otherwise why not.
    // automatic: the method confirmed a stable reading by itself.
    QString confirm(bool automatic = false);
    // Empty when the table was emptied, otherwise why not. Where accounts are required, a Delete
    // names its reason.
    QString deleteRun(const QString &reason = {});
    // The Sample dialog's OK: the new count, stored unless the settings are locked.
    void setSampleCount(int count);
    // The mode dialog's OK: stored as typed, applied to a new run.
    void applyMode(const ModeChoice &choice);
    // An instrument command; empty when the line took it, otherwise why not.
    QString sendCommand(Command command);
    // The inspector chose the port again while another device stood at it: that device is the
    // instrument from now on. False when it cannot be opened either.
    bool acceptNewDevice();

    const MeasurementRun &run() const { return m_run; }
    const LinkMonitor &link() const { return m_link; }
    const CSerialPort &port() const { return m_port; }
    // The login texts of the run in the table: a continued run's own, else the current login.
    const RunHeader &runLogin() const { return m_runLogin; }
    // Whether Confirm can enter anything at all now, and why not.
    bool canConfirm() const;
    QString confirmBlockedReason() const;
    // Why the last Confirm or command did nothing; cleared when the link's state changes.
    const QString &refusal() const { return m_refusal; }
    bool journalAvailable() const { return m_recorder.isAvailable(); }
    // Null without a lab server.
    const JournalForwarder *forwarder() const { return m_forwarder.get(); }
    // Mode, values and statistics of the run with its login texts; title and date are the
    // report's own.
    ReportContent reportContent() const;
    const Session &login() const { return m_login; }

    // The method chosen at the login, before loadModeSettings(), which then applies its mode,
    // constants and N; none: the runs are measured as without methods.
    void setMethod(const std::optional<Method> &method);
    // The method the runs are under now; none once an input left it.
    const std::optional<Method> &method() const { return m_method; }
    // The method an input left; none while none was left.
    const std::optional<Method> &leftMethod() const { return m_leftMethod; }
    // Pass or fail once the run in the table is complete under its method.
    const std::optional<Verdict> &verdict() const { return m_recorder.verdict(); }
    // Where accounts are required: the session's account and its idle lock (null otherwise).
    // While locked, Confirm, the commands, Delete and the mode and count wait; readings go on.
    AccountSession *accounts() const { return m_accounts.get(); }
    bool isLocked() const { return m_accounts && m_accounts->isLocked(); }
    // Why an input waits, or empty.
    QString lockRefusal() const;

signals:
    void runLoginChanged();
    // Link state, refusal or whether Confirm can enter anything changed.
    void stateChanged();
    void journalAvailabilityChanged(bool available, const JournalResult &result);
    void forwardStateChanged(const ForwardState &state);
    // The session's method was left, or a continued run brought its own.
    void methodChanged();

private:
    // Under a method, a change of what it fixes leaves it; `what` says which ("mode", "n").
    void leaveMethod(const QString &what);
    void applyMethod();
    // Auto-confirm: once per stable period, and the next only after the reading moved beyond the
    // stability tolerance and settled again.
    void watchForAutoConfirm(const FrameEvent &event);
    void onStabilityChanged();
    void tryAutoConfirm();
    void onFrame(const FrameEvent &event);
    void onAccountChanged(const QString &account);
    // True when the session is locked; the refusal is said.
    bool refusedWhileLocked();
    void onLinkOpened();
    void setRefusal(const QString &text);
    // Why the held reading may not be entered; empty when it may.
    QString readingRefusal() const;

    Session m_login;
    Settings &m_settings;
    RunHeader m_runLogin;
    MeasurementRun m_run;
    LinkMonitor m_link;
    qint64 m_silentMs = 0; // a reading older than this is not entered
    CSerialPort m_port;
    RunRecorder m_recorder { m_run };
    std::unique_ptr<JournalForwarder> m_forwarder;
    std::unique_ptr<AccountSession> m_accounts;
    Journal *m_journal = nullptr;
    JournalResult m_journalOpened;
    QString m_refusal;

    // A reading is entered only when it came after the link last became live, and recently.
    QElapsedTimer m_clock;
    qint64 m_liveSinceMs = -1;
    qint64 m_readingAtMs = -1; // -1: none since the link became live, or a zero notice since

    std::optional<Method> m_method;
    std::optional<Method> m_leftMethod;
    double m_stableTolerance = 0.0; // degrees, the link's
    double m_degrees = 0.0; // the latest reading
    double m_confirmedDegrees = 0.0; // the reading confirmed last
    bool m_autoArmed = true; // the reading moved since the last Confirm
    bool m_unsettledSinceArmed = true; // and was not stable at some moment since
};
