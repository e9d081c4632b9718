#include "app/CVelmoraApp.h"

#include "core/settings/ProfileFile.h"
#include "core/settings/SettingsKeys.h"
#include "core/settings/SettingsLocation.h"
#include "core/text/Language.h"
#include "ui/windows/CLoginDlg.h"
#include "ui/windows/CVelmoraDlg.h"

#include <QCoreApplication>
#include <QDialog>

namespace Keys = SettingsKeys;

bool WantsEnglish(QLocale::Language systemLanguage, int lang)
{
    return systemLanguage == QLocale::English || lang == 1;
}

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
    if (!RunLoginDialog())
        return 0;
    RunMainWindow();
    return 0;
}

void CVelmoraApp::LocateSettings()
{
    m_strIniPath = LocateSettingsFile(m_programDir);
}

void CVelmoraApp::LoadSettings()
{
    const ProfileFile ini(m_strIniPath);
    m_strInspector = ini.Read(Keys::kLoginInspector);
    m_strBatchNo = ini.Read(Keys::kLoginBatchNo);
    m_strSampleName = ini.Read(Keys::kLoginSampleName);
    m_strUnit = ini.Read(Keys::kLoginUnit);
    m_nSerialNo = ini.Read(Keys::kLoginSerialNo);
    // The run's sample store holds 256 values; a hand-edited count outside 1 to 256 would let
    // a run outgrow it or never complete sensibly.
    m_nSampleCount = Keys::BoundedSampleCount(ini.Read(Keys::kSampleCount));
}

void CVelmoraApp::ChooseLanguage()
{
    const QLocale::Language system = QLocale::system().language();
    // On an English system the key is not consulted at all.
    const int lang = system == QLocale::English ? 0 : ProfileFile(m_strIniPath).Read(Keys::kLang);
    m_bEnglish =
        InstallTranslators(WantsEnglish(system, lang), m_programDir) == UiLanguage::English;
}

bool CVelmoraApp::RunLoginDialog()
{
    CLoginDlg login;
    login.m_strInspector = m_strInspector;
    login.m_strBatchNo = m_strBatchNo;
    login.m_strSampleName = m_strSampleName;
    login.m_strUnit = m_strUnit;
    login.m_nSerialNo = m_nSerialNo;
    login.m_portLookup = [this](const QString &key) {
        return ProfileFile(m_strIniPath)
            .ReadString(Keys::kSectionPorts, key, QString(), Keys::kPortBufferSize);
    };
    if (m_runModal(login) == QDialog::Rejected)
        return false;

    m_strInspector = login.m_strInspector;
    m_strBatchNo = login.m_strBatchNo;
    m_strSampleName = login.m_strSampleName;
    m_strUnit = login.m_strUnit;
    m_nSerialNo = login.m_nSerialNo;

    ProfileFile ini(m_strIniPath);
    ini.WriteString(Keys::kLoginInspector.section, Keys::kLoginInspector.key, m_strInspector);
    ini.WriteString(Keys::kLoginBatchNo.section, Keys::kLoginBatchNo.key, m_strBatchNo);
    ini.WriteString(Keys::kLoginSampleName.section, Keys::kLoginSampleName.key, m_strSampleName);
    ini.WriteString(Keys::kLoginUnit.section, Keys::kLoginUnit.key, m_strUnit);
    ini.WriteInt(Keys::kLoginSerialNo.section, Keys::kLoginSerialNo.key, m_nSerialNo);
    if (const auto port = login.ChosenPortMapping())
        ini.WriteString(Keys::kSectionPorts, Keys::PortKey(port->number), port->device);
    return true;
}

void CVelmoraApp::RunMainWindow()
{
    CVelmoraDlg window(*this);
    m_runModal(window);
}

void CVelmoraApp::SetModalRunner(ModalRunner runner)
{
    m_runModal = std::move(runner);
}
