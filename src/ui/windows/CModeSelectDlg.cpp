#include "ui/windows/CModeSelectDlg.h"

#include "ui/windows/MethodLines.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QLineEdit>

namespace {

constexpr int kModeCount = 4;

QString FormatConstant(float value)
{
    return QString::asprintf("%f", static_cast<double>(value));
}

float ParsedOr(const QString &text, float current)
{
    return ParseModeConstant(text).value_or(current);
}

} // namespace

CModeSelectDlg::CModeSelectDlg(QWidget *parent)
    : TemplateDialog(kTemplateId, parent)
{ }

void CModeSelectDlg::SetChoice(const ModeConstants &constants, int mode)
{
    m_strA = FormatConstant(constants.a);
    m_strLenC = FormatConstant(constants.lenC);
    m_strC = FormatConstant(constants.C);
    m_strLena = FormatConstant(constants.lena);
    m_nSelMode = mode;
    m_constants = constants;
}

ModeChoice CModeSelectDlg::Choice() const
{
    return { m_nSelMode,
             { ParsedOr(m_strA, m_constants.a), ParsedOr(m_strLenC, m_constants.lenC),
               ParsedOr(m_strC, m_constants.C), ParsedOr(m_strLena, m_constants.lena) },
             m_strA,
             m_strLenC,
             m_strC,
             m_strLena };
}

void CModeSelectDlg::OnInitDialog()
{
    // Dialog units: left of the buttons, below the boxes.
    if (!m_strMethodNote.isEmpty())
        MethodLines::AddNote(*this, m_strMethodNote, QRect(8, 128, 160, 20));
    TemplateDialog::OnInitDialog();
}

bool CModeSelectDlg::DoDataExchange(bool saveAndValidate)
{
    ExchangeText(saveAndValidate, IDC_A, m_strA);
    ExchangeText(saveAndValidate, IDC_C, m_strC);
    ExchangeText(saveAndValidate, IDC_LEN_C, m_strLenC);
    ExchangeText(saveAndValidate, IDC_LENA, m_strLena);
    // In tab order, so that the message speaks of the first refused edit.
    if (saveAndValidate
        && !(ValidateConstant(IDC_LEN_C, m_strLenC) && ValidateConstant(IDC_A, m_strA)
             && ValidateConstant(IDC_LENA, m_strLena) && ValidateConstant(IDC_C, m_strC)))
        return false;

    QButtonGroup *group = GetDlgGroup(*this, IDC_MODE_FIRST);
    if (!group)
        return true;
    if (saveAndValidate) {
        const int id = group->checkedId();
        m_nSelMode =
            id >= IDC_MODE_FIRST && id < IDC_MODE_FIRST + kModeCount ? id - IDC_MODE_FIRST : -1;
    } else if (QAbstractButton *button = group->button(IDC_MODE_FIRST + m_nSelMode)) {
        button->setChecked(true);
    } else if (QAbstractButton *checked = group->checkedButton()) {
        // An exclusive group keeps one button checked; an index outside 0 to 3 checks none.
        group->setExclusive(false);
        checked->setChecked(false);
        group->setExclusive(true);
    }
    return true;
}

void CModeSelectDlg::ExchangeText(bool saveAndValidate, int id, QString &text)
{
    auto *edit = GetDlgItem<QLineEdit>(*this, id);
    if (!edit)
        return;
    if (saveAndValidate) {
        text = edit->text();
        return;
    }
    edit->setText(text);
    // The edits are narrow: show a value from its start, as the platform's edit control does.
    edit->setCursorPosition(0);
}

bool CModeSelectDlg::ValidateConstant(int id, const QString &text)
{
    if (ClassifyModeConstant(text).kind != ConstantText::Unusable)
        return true;
    FailValidation(id, tr("常数不能为 0，也不能超出范围。"));
    return false;
}
