#include "ui/windows/CModeSelectDlg.h"

#include "core/settings/Settings.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QLineEdit>

namespace Keys = SettingsKeys;

namespace {

constexpr int kModeCount = 4;

QString FormatConstant(float value)
{
    return QString::asprintf("%f", static_cast<double>(value));
}

void StoreConstant(Settings &settings, const Keys::TextKey &key, const QString &text, float &member)
{
    settings.Write(key, text);
    if (const auto value = ParseModeConstant(text))
        member = *value;
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
}

void CModeSelectDlg::StoreChoice(Settings &settings, ModeConstants &constants) const
{
    StoreConstant(settings, Keys::kModeA, m_strA, constants.a);
    StoreConstant(settings, Keys::kModeLenC, m_strLenC, constants.lenC);
    StoreConstant(settings, Keys::kModeC, m_strC, constants.C);
    StoreConstant(settings, Keys::kModeLena, m_strLena, constants.lena);
    settings.Write(Keys::kSelMode, m_nSelMode);
}

bool CModeSelectDlg::DoDataExchange(bool saveAndValidate)
{
    ExchangeText(saveAndValidate, IDC_A, m_strA);
    ExchangeText(saveAndValidate, IDC_C, m_strC);
    ExchangeText(saveAndValidate, IDC_LEN_C, m_strLenC);
    ExchangeText(saveAndValidate, IDC_LENA, m_strLena);

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
