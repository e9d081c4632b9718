#pragma once

#include "core/journal/accounts/AccountTypes.h"
#include "core/journal/store/JournalTypes.h"

#include <QJsonObject>
#include <QList>

class JournalConnection;

// The accounts of a station as its journal's events leave them, replayed in chain order: no
// account row exists that could be edited apart from the chain. The password hashes come from
// the station's own table, each with the digest its event names.
class AccountBook
{
public:
    static JournalResult Read(JournalConnection &db, const QString &station, AccountBook &out);
    // Whether any station of the journal (local or the lab server's) has an account.
    static JournalResult Exists(JournalConnection &db, bool &any);

    bool isEmpty() const { return m_accounts.isEmpty(); }
    // In the order they were added.
    const QList<Account> &accounts() const { return m_accounts; }
    const Account *find(const QString &name) const;
    // Active administrators other than name.
    int otherAdmins(const QString &name, const QDateTime &now) const;

private:
    Account *account(const QString &name);
    void apply(const QString &kind, const QJsonObject &detail, const QDateTime &at, qint64 seq);

    QList<Account> m_accounts;
};
