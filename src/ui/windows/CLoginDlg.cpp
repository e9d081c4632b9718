#include "ui/windows/CLoginDlg.h"

#include "core/text/StringTable.h"
#include "ui/controls/StyledLabel.h"

#include <QComboBox>
#include <QLineEdit>

using namespace Qt::StringLiterals;

namespace {

QWidget *CreateLoginItem(const DialogItemTemplate &item, QWidget *parent)
{
    if (item.id == CLoginDlg::IDC_TITLE)
        return new CStyledLabel(parent);
    return nullptr;
}

void ExchangeText(bool save, QLineEdit *edit, QString &value)
{
    if (!edit)
        return;
    if (save)
        value = edit->text();
    else
        edit->setText(value);
}

} // namespace

CLoginDlg::CLoginDlg(QWidget *parent)
    : TemplateDialog(kTemplateId, parent, &CreateLoginItem)
    , m_cmbPort(GetDlgItem<QComboBox>(*this, IDC_PORT))
    , m_stcTitle(GetDlgItem<CStyledLabel>(*this, IDC_TITLE))
{ }

bool CLoginDlg::DoDataExchange(bool saveAndValidate)
{
    ExchangeText(saveAndValidate, GetDlgItem<QLineEdit>(*this, IDC_INSPECTOR), m_strInspector);
    ExchangeText(saveAndValidate, GetDlgItem<QLineEdit>(*this, IDC_SAMPLE_NAME), m_strSampleName);
    ExchangeText(saveAndValidate, GetDlgItem<QLineEdit>(*this, IDC_BATCH_NO), m_strBatchNo);
    ExchangeText(saveAndValidate, GetDlgItem<QLineEdit>(*this, IDC_UNIT), m_strUnit);
    return true;
}

void CLoginDlg::OnInitDialog()
{
    TemplateDialog::OnInitDialog();

    const QString portFormat = LoadString(StringId::PortItem);
    for (int i = 1; i <= kPortCount; ++i)
        m_cmbPort->addItem(QString(portFormat).replace(u"%d"_s, QString::number(i)));
    m_cmbPort->setCurrentIndex(m_nSerialNo >= 0 && m_nSerialNo < kPortCount ? m_nSerialNo : -1);

    m_stcTitle->ApplyFaceName(LoadString(StringId::FontFace));
    m_stcTitle->ApplyPointSize(12);
    m_stcTitle->ApplyTextColor(QColor(255, 0, 0));
    m_stcTitle->ApplyItalic(false);
    m_stcTitle->ApplyBold(true);
}

void CLoginDlg::accept()
{
    UpdateData(true);
    m_nSerialNo = m_cmbPort->currentIndex();
    TemplateDialog::accept();
}
