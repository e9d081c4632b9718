#pragma once

#include "core/link/PortChoices.h"
#include "ui/dialogs/TemplateDialog.h"

#include <optional>

class QComboBox;
class CStyledLabel;

// The login dialog: supplier unit, sample name, batch number, inspector and the serial port.
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

    // After OK: the entry to store as `COM<number>=device` when it is a device that no port
    // resolved to, so that the next start finds it again.
    std::optional<PortChoices::Entry> ChosenPortMapping() const;

protected:
    void OnInitDialog() override;
    bool DoDataExchange(bool saveAndValidate) override;

private:
    QList<PortChoices::Entry> m_portEntries;
};
