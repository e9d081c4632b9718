#include "ui/dialogs/TemplateDialog.h"

#include "core/text/StringTable.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QMessageBox>
#include <QRegularExpression>

#include <limits>

TemplateDialog::TemplateDialog(int templateId, QWidget *parent, const ItemFactory &factory)
    : QDialog(parent)
{
    BuildDialog(*this, templateId, factory);
    // OK and Cancel buttons are the dialog's OK and Cancel commands (accept is virtual, so a
    // dialog that turns OK into another command gets it too).
    if (auto *ok = GetDlgItem<QAbstractButton>(*this, IDOK))
        connect(ok, &QAbstractButton::clicked, this, &TemplateDialog::accept);
    if (auto *cancel = GetDlgItem<QAbstractButton>(*this, IDCANCEL))
        connect(cancel, &QAbstractButton::clicked, this, &TemplateDialog::reject);
}

bool TemplateDialog::UpdateData(bool saveAndValidate)
{
    return DoDataExchange(saveAndValidate);
}

void TemplateDialog::setVisible(bool visible)
{
    if (visible && !m_bInitialised) {
        m_bInitialised = true;
        OnInitDialog();
    }
    QDialog::setVisible(visible);
}

void TemplateDialog::accept()
{
    if (!UpdateData(true))
        return;
    QDialog::accept();
}

void TemplateDialog::OnInitDialog()
{
    UpdateData(false);
}

bool TemplateDialog::DoDataExchange(bool)
{
    return true;
}

bool TemplateDialog::ExchangeInt(bool saveAndValidate, int id, int &value)
{
    auto *edit = GetDlgItem<QLineEdit>(*this, id);
    if (!edit)
        return true;
    if (!saveAndValidate) {
        edit->setText(QString::number(value));
        return true;
    }
    // Blanks around the number are accepted; anything else is not an integer.
    static const QRegularExpression integer(QStringLiteral("^\\s*[+-]?[0-9]+\\s*$"));
    const QString text = edit->text();
    if (!integer.match(text).hasMatch()) {
        FailValidation(id, LoadString(StringId::ParseInt));
        return false;
    }
    bool ok = false;
    const int parsed = text.trimmed().toInt(&ok);
    if (!ok) {
        // Too many digits for an int: still an integer, so the range check speaks for it.
        value = text.trimmed().startsWith(QLatin1Char('-')) ? std::numeric_limits<int>::min()
                                                            : std::numeric_limits<int>::max();
        return true;
    }
    value = parsed;
    return true;
}

bool TemplateDialog::ValidateIntRange(int id, int value, int minimum, int maximum)
{
    if (value >= minimum && value <= maximum)
        return true;
    FailValidation(id, LoadString(StringId::ParseIntRange).arg(minimum).arg(maximum));
    return false;
}

void TemplateDialog::FailValidation(int id, const QString &message)
{
    QMessageBox::warning(this, ProgramName(), message);
    if (QWidget *control = GetDlgItem(*this, id)) {
        control->setFocus();
        if (auto *edit = qobject_cast<QLineEdit *>(control))
            edit->selectAll();
    }
}
