#pragma once

#include "ui/dialogs/TemplateDialog.h"

// The sampling-count dialog: one integer, 1 to 100, in edit 1020.
class CSampleCountDlg : public TemplateDialog
{
    Q_OBJECT

public:
    static constexpr int kTemplateId = 130;
    static constexpr int IDC_COUNT = 1020;
    static constexpr int kMinCount = 1;
    static constexpr int kMaxCount = 100;

    explicit CSampleCountDlg(QWidget *parent = nullptr);

    int m_nCount = 0;
    // Set before the dialog runs: while a method run is on, the dialog grows to say so below.
    QString m_strMethodNote;

protected:
    void OnInitDialog() override;
    bool DoDataExchange(bool saveAndValidate) override;
};
