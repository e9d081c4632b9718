#pragma once

#include "core/journal/accounts/AccountJournal.h"

#include <QObject>
#include <QTimer>

class Journal;

// The account a measuring session runs under, where accounts are required, and the window's idle
// lock: after the policy's idle time without input the session locks (recorded in the journal),
// and only a password opens it again, of the account signed in or of another one, which then
// becomes the session's account.
class AccountSession : public QObject
{
    Q_OBJECT

public:
    explicit AccountSession(const AccountPolicy &policy, QObject *parent = nullptr);

    // The account signed in at the login, on the journal the session records to; the idle time
    // starts now.
    void start(Journal *journal, const QString &account);
    const QString &account() const { return m_account; }
    bool isLocked() const { return m_locked; }
    const AccountPolicy &policy() const { return m_policy; }

    // Another idle time than the policy's; a wait under way starts again with it.
    void setIdleTime(std::chrono::milliseconds time);
    // Input of the user: the idle time starts again (while unlocked).
    void noteInput();
    // Signs in at the lock; the session is unlocked when it is done.
    AccountOutcome unlock(const Credentials &who);

signals:
    void lockedChanged(bool locked);
    // Another account signed in at the lock.
    void accountChanged(const QString &account);

private:
    void lock();

    AccountPolicy m_policy;
    Journal *m_journal = nullptr;
    QString m_account;
    bool m_locked = false;
    QTimer m_idle;
};
