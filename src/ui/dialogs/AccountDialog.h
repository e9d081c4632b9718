#pragma once

#include "core/journal/accounts/AccountTypes.h"

#include <QDialog>

#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// What an account is asked for before the journal takes its word: the account and its password
// (the idle lock, a signature, an exclusion), a meaning and a comment (a signature), a reason (an
// exclusion, a Delete), a new password twice (one that has expired). OK is enabled once every
// required entry is there; what OK does is the caller's check, whose refusal is shown in the
// dialog, which stays open with the password cleared.
class AccountDialog : public QDialog
{
    Q_OBJECT

public:
    enum Field {
        AccountField = 0x01,
        PasswordField = 0x02,
        MeaningField = 0x04,
        CommentField = 0x08,
        ReasonField = 0x10,
        NewPasswordField = 0x20,
    };
    Q_DECLARE_FLAGS(Fields, Field)

    AccountDialog(const QString &title, const QString &prompt, Fields fields,
                  QWidget *parent = nullptr);

    void setAccount(const QString &name);
    void setMeanings(const QList<Meaning> &meanings);
    // Returns the refusal to show, or empty to close the dialog.
    void setCheck(std::function<QString(AccountDialog &)> check) { m_check = std::move(check); }

    QString account() const;
    QString password() const;
    Meaning meaning() const;
    QString comment() const;
    QString reason() const;
    QString newPassword() const;

    void accept() override;

private:
    void updateOk();

    QLineEdit *m_account = nullptr;
    QLineEdit *m_password = nullptr;
    QComboBox *m_meaning = nullptr;
    QLineEdit *m_comment = nullptr;
    QLineEdit *m_reason = nullptr;
    QLineEdit *m_newPassword = nullptr;
    QLineEdit *m_repeat = nullptr;
    QLabel *m_refusal = nullptr;
    QPushButton *m_ok = nullptr;
    std::function<QString(AccountDialog &)> m_check;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(AccountDialog::Fields)
