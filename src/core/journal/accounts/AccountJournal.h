#pragma once

#include "core/journal/accounts/AccountBook.h"
#include "core/journal/accounts/AccountPolicy.h"
#include "core/journal/store/Journal.h"

#include <QCoreApplication>

#include <functional>

struct RunAudit;

struct Credentials
{
    QString name;
    QString password;
};

struct NewAccount
{
    QString name;
    QString fullName; // empty: the name
    Role role = Role::Operator;
};

// What an account operation came to: done; refused (the reason said to the user, and recorded
// in the journal); refused because the password has expired (it may still be changed); or the
// journal could not be written.
struct AccountOutcome
{
    enum class Status { Done, Refused, Expired, Failed };

    Status status = Status::Done;
    QString text;
    JournalResult journal;

    bool ok() const { return status == Status::Done; }
};

// Accounts, sign-in, signatures and exclusions as rows of a station's journal, through its
// writer. Every change of an account, every failed sign-in, lock, signature, exclusion and
// refusal is an event of the hash chain, naming who acted. A password is checked (Argon2id)
// before the journal is locked for writing; the write then checks that the account has not
// changed meanwhile. Failed sign-ins in a row lock the account for a while; signing asks for the
// password every time.
class AccountJournal
{
    Q_DECLARE_TR_FUNCTIONS(AccountJournal)

public:
    enum class Place { Login, Lock };

    AccountJournal(Journal &journal, const AccountPolicy &policy);

    // The time the rules go by (UTC); the clock's own by default.
    void setClock(std::function<QDateTime()> now) { m_now = std::move(now); }

    JournalResult read(AccountBook &book) const;

    // The first account of a journal is an administrator, added without one (admin empty).
    AccountOutcome addAccount(const Credentials &admin, const NewAccount &account,
                              const QString &password);
    AccountOutcome changeRole(const Credentials &admin, const QString &name, Role role);
    // Enabling also unlocks an account locked after failed sign-ins.
    AccountOutcome setEnabled(const Credentials &admin, const QString &name, bool enabled);
    AccountOutcome setPassword(const Credentials &admin, const QString &name,
                               const QString &password);
    // By its owner, also once it has expired.
    AccountOutcome changePassword(const Credentials &owner, const QString &password);
    // A change beyond the accounts that only an administrator may make (a method's new version
    // or retirement, named by change): the password is checked, anyone else refused, as for an
    // account change. Done allows it; nothing is written for that.
    AccountOutcome authorizeAdmin(const Credentials &admin, const QString &change);
    // signedIn: the account, on success.
    AccountOutcome signIn(const Credentials &who, Place place, Account *signedIn = nullptr);
    // The window locked itself for lack of input.
    JournalResult noteSessionLocked(const QString &name);
    AccountOutcome sign(const Credentials &who, const QString &runId, Meaning meaning,
                        const QString &comment);
    AccountOutcome exclude(const Credentials &who, const QString &runId, int reading,
                           const QString &reason);

private:
    using Append = Journal::AppendEvent;
    // The account's state and password; a failure is recorded and refused. An expired password
    // still proves who it is where expiredAllowed.
    AccountOutcome authenticate(const Credentials &who, bool expiredAllowed, Account &account);
    AccountOutcome recordFailure(const QString &name, const QString &reason, const QString &text,
                                 AccountOutcome::Status status);
    // One transaction: the accounts read again, the checked account unchanged since, then the
    // rules of steps, which append what they decide (a refusal too).
    using Steps = std::function<AccountOutcome(const AccountBook &, const Append &)>;
    AccountOutcome write(const Account *checked, const Steps &steps);
    AccountOutcome refuse(const Append &append, const QString &by, const QString &action,
                          const QString &text, const QString &runId = {});
    JournalResult insertPassword(const Append &append, const QString &kind, QJsonObject detail,
                                 const QString &hash);
    // A signature or an exclusion: the signer's password, then in the write the run, which must
    // be this station's and completed, read with its audit before the rules decide.
    using Refuse = std::function<AccountOutcome(const QString &text)>;
    using RunRules = std::function<AccountOutcome(const Account &, const RunAudit &, int readings,
                                                  const Refuse &, const Append &)>;
    AccountOutcome runChange(const Credentials &who, const QString &runId, const QString &action,
                             const QString &notCompleted, const RunRules &rules);
    // Why a new password is not taken; empty when it is.
    QString passwordProblem(const QString &password) const;
    // An administrator's operation on an existing account.
    AccountOutcome adminChange(
        const Credentials &admin, const QString &name, const QString &action,
        const std::function<AccountOutcome(const AccountBook &, const Account &, const Append &)>
            &change);

    Journal &m_journal;
    AccountPolicy m_policy;
    std::function<QDateTime()> m_now;
};
