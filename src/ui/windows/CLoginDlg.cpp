#include "ui/windows/CLoginDlg.h"

#include "core/text/StringTable.h"
#include "ui/controls/StyledLabel.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTreeView>

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
    m_portEntries = PortChoices(kPortCount, m_portLookup,
                                m_serialDevices ? *m_serialDevices : PortChoices::SystemDevices())
                        .Entries();
    // The entry's text stays "串口<k>"; its device shows beside it in a second column of the
    // open list, which may be wider than the box (the box keeps its place and size).
    auto *model = new QStandardItemModel(0, 2, m_cmbPort);
    for (const PortChoices::Entry &entry : std::as_const(m_portEntries)) {
        QStringList about { entry.description, entry.maker };
        about.removeAll(QString());
        QString device = entry.device;
        if (!about.isEmpty())
            device += u" ("_s + about.join(u", "_s) + u')';
        model->appendRow({ new QStandardItem(
                               QString(portFormat).replace(u"%d"_s, QString::number(entry.number))),
                           new QStandardItem(device) });
    }
    auto *view = new QTreeView(m_cmbPort);
    view->setHeaderHidden(true);
    view->setRootIsDecorated(false);
    m_cmbPort->setModel(model);
    m_cmbPort->setView(view);
    // The header is hidden: a size hint of its own keeps resizing to the contents from
    // measuring its texts, which would load a bold font for them alone.
    for (int column = 0; column < model->columnCount(); ++column)
        model->setHeaderData(column, Qt::Horizontal, QSize(), Qt::SizeHintRole);
    view->header()->resizeSections(QHeaderView::ResizeToContents);
    view->setMinimumWidth(view->header()->length() + 2 * view->frameWidth()
                          + view->verticalScrollBar()->sizeHint().width());
    m_cmbPort->setCurrentIndex(m_nSerialNo >= 0 && m_nSerialNo < m_cmbPort->count() ? m_nSerialNo
                                                                                    : -1);

    m_stcTitle->ApplyFaceName(LoadString(StringId::FontFace));
    m_stcTitle->ApplyPointSize(12);
    m_stcTitle->ApplyTextColor(QColor(255, 0, 0));
    m_stcTitle->ApplyItalic(false);
    m_stcTitle->ApplyBold(true);
}

std::optional<PortChoices::Entry> CLoginDlg::ChosenPortMapping() const
{
    if (m_nSerialNo < 0 || m_nSerialNo >= m_portEntries.size()
        || !m_portEntries[m_nSerialNo].needsMapping)
        return std::nullopt;
    return m_portEntries[m_nSerialNo];
}

void CLoginDlg::accept()
{
    UpdateData(true);
    m_nSerialNo = m_cmbPort->currentIndex();
    TemplateDialog::accept();
}
