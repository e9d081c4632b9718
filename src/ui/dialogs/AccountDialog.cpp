#include "ui/dialogs/AccountDialog.h"

#include "core/report/RunReportLayout.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

AccountDialog::AccountDialog(const QString &title, const QString &prompt, Fields fields,
                             QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(title);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    auto *layout = new QVBoxLayout(this);
    if (!prompt.isEmpty()) {
        auto *text = new QLabel(prompt, this);
        text->setWordWrap(true);
        text->setTextFormat(Qt::PlainText);
        layout->addWidget(text);
    }
    auto *form = new QFormLayout;
    layout->addLayout(form);
    const auto add = [&](Field field, const QString &label, bool secret) -> QLineEdit * {
        if (!fields.testFlag(field))
            return nullptr;
        auto *edit = new QLineEdit(this);
        if (secret)
            edit->setEchoMode(QLineEdit::Password);
        form->addRow(label, edit);
        connect(edit, &QLineEdit::textChanged, this, &AccountDialog::updateOk);
        return edit;
    };
    m_account = add(AccountField, tr("账户:"), false);
    m_password = add(PasswordField, tr("密码:"), true);
    if (fields.testFlag(MeaningField)) {
        m_meaning = new QComboBox(this);
        form->addRow(tr("签名含义:"), m_meaning);
        setMeanings({ Meaning::Performed, Meaning::Reviewed });
    }
    m_comment = add(CommentField, tr("备注:"), false);
    m_reason = add(ReasonField, tr("原因:"), false);
    m_newPassword = add(NewPasswordField, tr("新密码:"), true);
    m_repeat = add(NewPasswordField, tr("再输入一次:"), true);
    m_refusal = new QLabel(this);
    m_refusal->setWordWrap(true);
    m_refusal->setTextFormat(Qt::PlainText);
    m_refusal->setStyleSheet(QStringLiteral("color: #c00000;"));
    m_refusal->hide();
    layout->addWidget(m_refusal);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    m_ok->setText(tr("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(tr("取消"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    setMinimumWidth(fontMetrics().averageCharWidth() * 48);
    updateOk();
}

void AccountDialog::setAccount(const QString &name)
{
    if (m_account)
        m_account->setText(name);
    // The password is what is left to type.
    if (m_password && !name.isEmpty())
        m_password->setFocus();
}

void AccountDialog::setMeanings(const QList<Meaning> &meanings)
{
    if (!m_meaning)
        return;
    m_meaning->clear();
    for (const Meaning meaning : meanings)
        m_meaning->addItem(RunReportLayout::meaningText(meaning), static_cast<int>(meaning));
}

QString AccountDialog::account() const
{
    return m_account ? m_account->text().trimmed() : QString();
}

QString AccountDialog::password() const
{
    return m_password ? m_password->text() : QString();
}

Meaning AccountDialog::meaning() const
{
    return m_meaning ? static_cast<Meaning>(m_meaning->currentData().toInt()) : Meaning::Performed;
}

QString AccountDialog::comment() const
{
    return m_comment ? m_comment->text().trimmed() : QString();
}

QString AccountDialog::reason() const
{
    return m_reason ? m_reason->text().trimmed() : QString();
}

QString AccountDialog::newPassword() const
{
    return m_newPassword ? m_newPassword->text() : QString();
}

void AccountDialog::updateOk()
{
    const auto filled = [](const QLineEdit *edit) {
        return !edit || !edit->text().trimmed().isEmpty();
    };
    m_ok->setEnabled(filled(m_account) && filled(m_password) && filled(m_reason)
                     && filled(m_newPassword)
                     && (!m_repeat || m_repeat->text() == m_newPassword->text()));
}

void AccountDialog::accept()
{
    if (!m_ok->isEnabled())
        return;
    const QString refusal = m_check ? m_check(*this) : QString();
    if (refusal.isEmpty()) {
        QDialog::accept();
        return;
    }
    m_refusal->setText(refusal);
    m_refusal->show();
    if (m_password) {
        m_password->clear();
        m_password->setFocus();
    }
}
