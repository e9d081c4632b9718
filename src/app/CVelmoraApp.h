#pragma once

#include "core/journal/methods/Method.h"
#include "core/journal/store/Journal.h"
#include "core/settings/Session.h"
#include "core/settings/Settings.h"

#include <QString>

#include <functional>
#include <memory>

class CLoginDlg;
class QDialog;

// The application object: owns the start-up sequence, the settings and the session that the main
// window is given (login information, sampling count). main() constructs one and runs
// InitInstance(); nothing runs after the main window's modal run.
class CVelmoraApp
{
public:
    // programDir: where the executable, Velmora.ini and EN.qm live; empty for the running
    // executable's directory.
    explicit CVelmoraApp(QString programDir = {});
    ~CVelmoraApp();
    CVelmoraApp(const CVelmoraApp &) = delete;
    CVelmoraApp &operator=(const CVelmoraApp &) = delete;

    // The whole start-up sequence. Returns the process's exit code.
    int InitInstance();

    // The steps of InitInstance, in their order.
    void LocateSettings();
    void LoadSettings(); // the one read of the settings file
    void ChooseLanguage();
    // false on Cancel; on confirmation the five login keys are written. Where accounts are
    // required, OK signs the inspector's account in with its password first.
    bool RunLoginDialog();
    // The results journal beside the settings file; a damaged one is moved aside and told.
    void OpenJournal();
    void RunMainWindow();

    // Runs a dialog modally and returns its result; QDialog::exec() unless a test replaces it.
    using ModalRunner = std::function<int(QDialog &)>;
    void SetModalRunner(ModalRunner runner);

    // True when the English catalogue was chosen and could be loaded.
    bool IsEnglish() const { return m_bEnglish; }
    // Valid from LocateSettings() on.
    Settings &GetSettings() { return *m_settings; }
    Session &GetSession() { return m_session; }
    // Valid from OpenJournal() on; open or not, as the outcome says.
    Journal *GetJournal() { return m_journal.get(); }
    const Journal::OpenOutcome &JournalOutcome() const { return m_journalOutcome; }
    // The method chosen at the login; none without one.
    const std::optional<Method> &ChosenMethod() const { return m_method; }

private:
    // The login offers the journal's methods in use, the last one chosen preselected; read
    // before the journal is opened for writing, so a journal that cannot be read offers none.
    void OfferMethods(CLoginDlg &login);
    void TakeMethod(const CLoginDlg &login);
    // The login's OK where accounts are required: false keeps the login open (a message says
    // why). An expired password is changed here, then the account signs in.
    bool SignIn(CLoginDlg &login);
    void ShowWarning(const QString &text);
    // A message box, once, with the settings file's path and the reason.
    void ShowSettingsProblem(Settings::Problem problem, const QString &reason);

    QString m_programDir;
    ModalRunner m_runModal;
    std::unique_ptr<Settings> m_settings;
    Session m_session;
    std::unique_ptr<Journal> m_journal;
    Journal::OpenOutcome m_journalOutcome;
    bool m_bEnglish = false;
    QList<Method> m_methods; // offered at the login
    std::optional<Method> m_method;
};
