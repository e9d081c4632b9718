#pragma once

#include "core/link/PortChoices.h"
#include "ui/dialogs/TemplateDialog.h"

#include <functional>
#include <optional>

class QComboBox;
class QLineEdit;
class CStyledLabel;

// The login dialog: supplier unit, sample name, batch number, inspector and the serial port.
// Where accounts or methods are in use, a column beside the original fields adds the password
// (after the inspector in the tab order) and the method (after the port); the original controls
// keep their places, the dialog grows to the right. Without either it is the original dialog.
class CLoginDlg : public TemplateDialog
{
    Q_OBJECT

public:
    static constexpr int kTemplateId = 129;
    static constexpr int IDC_UNIT = 1000;
    static constexpr int IDC_SAMPLE_NAME = 1001;
    static constexpr int IDC_BATCH_NO = 1002;
    static constexpr int IDC_INSPECTOR = 1003;
    static constexpr int IDC_PORT = 1005;
    static constexpr int IDC_TITLE = 1026;
    static constexpr int IDC_PASSWORD = 1004;
    static constexpr int IDC_METHOD = 1006;
    // The list always offers COM1 to COM20; ports mapped in the settings and serial devices
    // that none of them resolves to follow.
    static constexpr int kPortCount = 20;

    explicit CLoginDlg(QWidget *parent = nullptr);

    void accept() override;

    QComboBox *m_cmbPort = nullptr;
    QString m_strInspector;
    QString m_strSampleName;
    QString m_strBatchNo;
    QString m_strUnit;
    int m_nSerialNo = 0; // index of the selected port entry, -1 when none is selected
    CStyledLabel *m_stcTitle = nullptr;

    // Set before the dialog runs: where ports resolve (the settings' `ports` section), and the
    // serial devices to offer (unset: the system's).
    PortLookup m_portLookup;
    std::optional<QList<SerialDevice>> m_serialDevices;

    // Set before the dialog runs: whether the inspector's account signs in with a password here,
    // and the methods to offer (none: no method list). After OK: the password typed and the
    // method chosen (empty: no method).
    bool m_bAskPassword = false;
    QStringList m_methodNames;
    QString m_strPassword;
    QString m_strMethod;
    // Set before the dialog runs: checks what OK would hand back; false keeps the dialog open
    // (it has said why). Unset: every entry is taken.
    std::function<bool(CLoginDlg &)> m_validate;

    // After a refused sign-in: the password typed goes, and the focus waits in its edit.
    void ClearPassword();

    // After OK: the entry to store as `COM<number>=device` when it is a device that no port
    // resolved to, so that the next start finds it again.
    std::optional<PortChoices::Entry> ChosenPortMapping() const;

protected:
    void OnInitDialog() override;
    bool DoDataExchange(bool saveAndValidate) override;

private:
    void AddAccountColumn();

    QList<PortChoices::Entry> m_portEntries;
    QLineEdit *m_editPassword = nullptr;
    QComboBox *m_cmbMethod = nullptr;
};
