#include "app/CVelmoraApp.h"

#include "core/journal/accounts/AccountJournal.h"
#include "core/journal/methods/MethodStore.h"
#include "core/journal/store/JournalLocation.h"
#include "core/journal/store/JournalSchema.h"
#include "core/settings/SettingsKeys.h"
#include "core/settings/SettingsLocation.h"
#include "core/text/Language.h"
#include "ui/dialogs/AccountDialog.h"
#include "ui/dialogs/DialogBuilder.h"
#include "ui/windows/CLoginDlg.h"
#include "ui/windows/CVelmoraDlg.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>

namespace Keys = SettingsKeys;

CVelmoraApp::CVelmoraApp(QString programDir)
    : m_programDir(programDir.isEmpty() ? QCoreApplication::applicationDirPath()
                                        : std::move(programDir))
    , m_runModal([](QDialog &dialog) { return dialog.exec(); })
{ }

CVelmoraApp::~CVelmoraApp() = default;

int CVelmoraApp::InitInstance()
{
    LocateSettings();
    LoadSettings();
    ChooseLanguage();
    // Accounts live in the journal: where they are required, it is opened for the sign-in.
    const bool accounts = AccountPolicy::FromSettings(*m_settings).required;
    if (accounts)
        OpenJournal();
    if (!RunLoginDialog())
        return 0;
    if (!accounts)
        OpenJournal();
    RunMainWindow();
    return 0;
}

void CVelmoraApp::LocateSettings()
{
    m_settings = std::make_unique<Settings>(LocateSettingsFile(m_programDir));
    QObject::connect(m_settings.get(), &Settings::problem, m_settings.get(),
                     [this](Settings::Problem problem, const QString &reason) {
                         ShowSettingsProblem(problem, reason);
                     });
}

void CVelmoraApp::LoadSettings()
{
    m_settings->Load();
    m_session = Session::Read(*m_settings, m_programDir);
}

void CVelmoraApp::ChooseLanguage()
{
    const QLocale::Language system = QLocale::system().language();
    // On an English system the key is not consulted at all.
    const int lang = system == QLocale::English ? 0 : m_settings->Read(Keys::kLang);
    m_bEnglish =
        InstallTranslators(WantsEnglish(system, lang), m_programDir) == UiLanguage::English;
}

bool CVelmoraApp::RunLoginDialog()
{
    CLoginDlg login;
    login.m_strInspector = m_session.inspector;
    login.m_strBatchNo = m_session.batchNo;
    login.m_strSampleName = m_session.sampleName;
    login.m_strUnit = m_session.unit;
    login.m_nSerialNo = m_session.serialNo;
    login.m_portLookup = [this](const QString &portName) {
        return m_settings->Read(Keys::PortKey { portName });
    };
    OfferMethods(login);
    if (AccountPolicy::FromSettings(*m_settings).required) {
        login.m_bAskPassword = true;
        login.m_validate = [this](CLoginDlg &dialog) {
            return SignIn(dialog);
        };
    }
    if (m_runModal(login) == QDialog::Rejected)
        return false;
    TakeMethod(login);

    m_session.inspector = login.m_strInspector;
    m_session.batchNo = login.m_strBatchNo;
    m_session.sampleName = login.m_strSampleName;
    m_session.unit = login.m_strUnit;
    m_session.serialNo = login.m_nSerialNo;
    m_session.StoreLogin(*m_settings);
    if (const auto port = login.ChosenPortMapping())
        m_settings->Write(Keys::PortKey { QStringLiteral("COM%1").arg(port->number) },
                          port->device);
    return true;
}

void CVelmoraApp::OfferMethods(CLoginDlg &login)
{
    SqliteConnection db;
    const QString path = JournalFilePath(m_settings->Path(), m_settings->Read(Keys::kJournalPath));
    QList<Method> methods;
    if (QFileInfo::exists(path)
        && JournalSchema::Open(db, path, SqliteConnection::OpenMode::Read).ok()
        && MethodStore::List(db, methods).ok()) {
        for (const Method &method : std::as_const(methods)) {
            if (!method.retired)
                m_methods << method;
        }
    }
    for (const Method &method : std::as_const(m_methods))
        login.m_methodNames << method.name;
    login.m_strMethod = m_settings->Read(Keys::kMethodLast);
}

void CVelmoraApp::TakeMethod(const CLoginDlg &login)
{
    if (m_methods.isEmpty())
        return;
    m_settings->Write(Keys::kMethodLast, login.m_strMethod);
    for (const Method &method : std::as_const(m_methods)) {
        if (method.name == login.m_strMethod)
            m_method = method;
    }
}

void CVelmoraApp::OpenJournal()
{
    const QString path = JournalFilePath(m_settings->Path(), m_settings->Read(Keys::kJournalPath));
    m_journal = std::make_unique<Journal>();
    m_journalOutcome = m_journal->open(path, ChainKeyPath(m_settings->Path()));
    if (m_journalOutcome.movedAsideTo.isEmpty())
        return;
    QMessageBox box(QMessageBox::Warning, ProgramName(),
                    QCoreApplication::translate("CVelmoraApp",
                                                "结果日志 %1 已损坏（%2）。\n它已被移到 %3，"
                                                "程序在原处开始一个新的日志，测量照常进行。")
                        .arg(QDir::toNativeSeparators(m_journal->database().path()),
                             m_journalOutcome.damage,
                             QDir::toNativeSeparators(m_journalOutcome.movedAsideTo)),
                    QMessageBox::Ok, QApplication::activeModalWidget());
    m_runModal(box);
}

void CVelmoraApp::ShowWarning(const QString &text)
{
    QMessageBox box(QMessageBox::Warning, ProgramName(), text, QMessageBox::Ok,
                    QApplication::activeModalWidget());
    m_runModal(box);
}

bool CVelmoraApp::SignIn(CLoginDlg &login)
{
    if (!m_journal || !m_journal->isOpen()) {
        ShowWarning(QCoreApplication::translate("CVelmoraApp", "结果日志无法打开，账户无法登录：%1")
                        .arg(m_journalOutcome.result.text));
        return false;
    }
    const QString name = login.m_strInspector.trimmed();
    AccountJournal accounts(*m_journal, AccountPolicy::FromSettings(*m_settings));
    AccountOutcome outcome =
        accounts.signIn({ name, login.m_strPassword }, AccountJournal::Place::Login);
    if (outcome.status == AccountOutcome::Status::Expired) {
        AccountDialog change(QCoreApplication::translate("CVelmoraApp", "更改密码"), outcome.text,
                             AccountDialog::NewPasswordField, &login);
        change.setCheck([&](AccountDialog &dialog) {
            const AccountOutcome changed =
                accounts.changePassword({ name, login.m_strPassword }, dialog.newPassword());
            if (!changed.ok())
                return changed.text;
            outcome = accounts.signIn({ name, dialog.newPassword() }, AccountJournal::Place::Login);
            return QString();
        });
        if (m_runModal(change) == QDialog::Rejected)
            outcome.text.clear();
    }
    if (!outcome.ok()) {
        if (!outcome.text.isEmpty())
            ShowWarning(outcome.text);
        login.ClearPassword();
        return false;
    }
    // The run's inspector is the account.
    login.m_strInspector = name;
    login.m_strPassword.clear();
    m_session.account = name;
    return true;
}

void CVelmoraApp::RunMainWindow()
{
    CVelmoraDlg window(m_session, *m_settings);
    window.UseMethod(m_method);
    if (m_journal)
        window.AttachJournal(m_journal.get(), m_journalOutcome.result);
    m_runModal(window);
}

void CVelmoraApp::SetModalRunner(ModalRunner runner)
{
    m_runModal = std::move(runner);
}

void CVelmoraApp::ShowSettingsProblem(Settings::Problem problem, const QString &reason)
{
    const QString text = problem == Settings::Problem::Unreadable
        ? QCoreApplication::translate(
            "CVelmoraApp", "设置文件 %1 无法读取（%2）。\n程序使用默认设置，不会改写该文件。")
        : QCoreApplication::translate("CVelmoraApp",
                                      "设置文件 %1 无法保存（%2）。\n更改只在本次运行中有效。");
    // Both at once: a path holding "%2" stays as it is.
    QMessageBox box(QMessageBox::Warning, ProgramName(),
                    text.arg(QDir::toNativeSeparators(m_settings->Path()), reason), QMessageBox::Ok,
                    QApplication::activeModalWidget());
    m_runModal(box);
}
