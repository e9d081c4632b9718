#include "ui/windows/CSampleCountDlg.h"

#include "ui/windows/MethodLines.h"

CSampleCountDlg::CSampleCountDlg(QWidget *parent)
    : TemplateDialog(kTemplateId, parent)
{ }

void CSampleCountDlg::OnInitDialog()
{
    // Dialog units: a strip below the original dialog, which keeps its items where they were.
    constexpr int kNoteHeight = 20;
    if (!m_strMethodNote.isEmpty()) {
        setFixedSize(size() + QSize(0, BaseUnitsOf(font()).MapY(kNoteHeight + 2)));
        MethodLines::AddNote(*this, m_strMethodNote, QRect(10, 60, 134, kNoteHeight));
    }
    TemplateDialog::OnInitDialog();
}

bool CSampleCountDlg::DoDataExchange(bool saveAndValidate)
{
    if (!ExchangeInt(saveAndValidate, IDC_COUNT, m_nCount))
        return false;
    return !saveAndValidate || ValidateIntRange(IDC_COUNT, m_nCount, kMinCount, kMaxCount);
}
