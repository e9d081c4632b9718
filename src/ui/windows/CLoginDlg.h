#pragma once

#include "ui/dialogs/TemplateDialog.h"

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
    // The list offers COM1 to COM20, whatever ports the system has.
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

protected:
    void OnInitDialog() override;
    bool DoDataExchange(bool saveAndValidate) override;
};
