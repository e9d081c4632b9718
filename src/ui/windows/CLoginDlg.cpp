#include "ui/windows/CLoginDlg.h"

#include "core/text/StringTable.h"
#include "ui/controls/DlgItem.h"
#include "ui/controls/StyledLabel.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
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
    ExchangeText(saveAndValidate, m_editPassword, m_strPassword);
    if (m_cmbMethod) {
        if (saveAndValidate)
            m_strMethod = m_cmbMethod->currentIndex() > 0 ? m_cmbMethod->currentText() : QString();
        else
            m_cmbMethod->setCurrentIndex(std::max(0, int(m_methodNames.indexOf(m_strMethod)) + 1));
    }
    ExchangeText(saveAndValidate, GetDlgItem<QLineEdit>(*this, IDC_INSPECTOR), m_strInspector);
    ExchangeText(saveAndValidate, GetDlgItem<QLineEdit>(*this, IDC_SAMPLE_NAME), m_strSampleName);
    ExchangeText(saveAndValidate, GetDlgItem<QLineEdit>(*this, IDC_BATCH_NO), m_strBatchNo);
    ExchangeText(saveAndValidate, GetDlgItem<QLineEdit>(*this, IDC_UNIT), m_strUnit);
    return true;
}

void CLoginDlg::AddAccountColumn()
{
    // Dialog units, beside the rows of the inspector (105) and the port (130).
    constexpr int kGrowth = 132;
    constexpr int kLabelLeft = 174;
    constexpr int kFieldLeft = 216;
    constexpr int kFieldWidth = 80;
    const DialogBaseUnits units = BaseUnitsOf(font());
    setFixedSize(size() + QSize(units.MapX(kGrowth), 0));
    const auto addLabel = [&](const QString &text, int top) {
        auto *label = new QLabel(text, this);
        label->setGeometry(units.MapRect(kLabelLeft, top, kFieldLeft - kLabelLeft - 2, 8));
    };
    QWidget *inspector = GetDlgItem<QWidget>(*this, IDC_INSPECTOR);
    if (m_bAskPassword) {
        addLabel(tr("密码:"), 107);
        m_editPassword = new QLineEdit(this);
        SetDlgCtrlId(m_editPassword, IDC_PASSWORD);
        m_editPassword->setEchoMode(QLineEdit::Password);
        m_editPassword->setGeometry(units.MapRect(kFieldLeft, 105, kFieldWidth, 12));
        setTabOrder(inspector, m_editPassword);
        setTabOrder(m_editPassword, m_cmbPort);
    }
    if (!m_methodNames.isEmpty()) {
        addLabel(tr("方法:"), 132);
        m_cmbMethod = new QComboBox(this);
        SetDlgCtrlId(m_cmbMethod, IDC_METHOD);
        m_cmbMethod->addItem(tr("无方法"));
        m_cmbMethod->addItems(m_methodNames);
        m_cmbMethod->setGeometry(units.MapRect(kFieldLeft, 130, kFieldWidth, 12));
        // A long name shows whole in the open list, which may be wider than the box.
        m_cmbMethod->view()->setMinimumWidth(m_cmbMethod->view()->sizeHintForColumn(0)
                                             + 2 * m_cmbMethod->view()->frameWidth());
        setTabOrder(m_cmbPort, m_cmbMethod);
        setTabOrder(m_cmbMethod, GetDlgItem<QWidget>(*this, IDOK));
    }
}

void CLoginDlg::OnInitDialog()
{
    if (m_bAskPassword || !m_methodNames.isEmpty())
        AddAccountColumn();
    TemplateDialog::OnInitDialog();

    const QString portFormat = LoadString(StringId::PortItem);
    m_portEntries = PortChoices(kPortCount, m_portLookup,
                                m_serialDevices ? *m_serialDevices : PortChoices::systemDevices())
                        .entries();
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

void CLoginDlg::ClearPassword()
{
    m_strPassword.clear();
    if (m_editPassword) {
        m_editPassword->clear();
        m_editPassword->setFocus();
    }
}

void CLoginDlg::accept()
{
    UpdateData(true);
    m_nSerialNo = m_cmbPort->currentIndex();
    if (m_validate && !m_validate(*this))
        return;
    TemplateDialog::accept();
}
