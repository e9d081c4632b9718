#pragma once

#include <QLocale>
#include <QString>

#include <functional>

class QDialog;

// The application object: owns the start-up sequence and the values that the other windows read
// (settings file path, login information, sampling count). main() constructs one and runs
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
    void LoadSettings();
    void ChooseLanguage();
    bool RunLoginDialog(); // false on Cancel; on confirmation the five login keys are written
    void RunMainWindow();

    // Runs a dialog modally and returns its result; QDialog::exec() unless a test replaces it.
    using ModalRunner = std::function<int(QDialog &)>;
    void SetModalRunner(ModalRunner runner);

    const QString &ProgramDir() const { return m_programDir; }
    // True when the English catalogue was chosen and could be loaded.
    bool IsEnglish() const { return m_bEnglish; }

    QString m_strIniPath;
    QString m_strInspector;
    QString m_strBatchNo;
    QString m_strSampleName;
    QString m_strUnit;
    int m_nSerialNo = 0;
    int m_nSampleCount = 12;

private:
    QString m_programDir;
    ModalRunner m_runModal;
    bool m_bEnglish = false;
};

// English system language, or the key lang set to exactly 1.
bool WantsEnglish(QLocale::Language systemLanguage, int lang);
