#include "ui/windows/CSampleCountDlg.h"

CSampleCountDlg::CSampleCountDlg(QWidget *parent)
    : TemplateDialog(kTemplateId, parent)
{ }

bool CSampleCountDlg::DoDataExchange(bool saveAndValidate)
{
    if (!ExchangeInt(saveAndValidate, IDC_COUNT, m_nCount))
        return false;
    return !saveAndValidate || ValidateIntRange(IDC_COUNT, m_nCount, kMinCount, kMaxCount);
}
