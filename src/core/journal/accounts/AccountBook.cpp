#include "core/journal/accounts/AccountBook.h"

#include "core/journal/store/JournalConnection.h"

#include <QJsonDocument>
#include <QSqlQuery>

using namespace Qt::StringLiterals;
namespace Kind = AccountEvent;

namespace {

// Every kind that says something of an account: the account events, and those whose actor
// proved the password (a success ends a series of failures).
const QStringList kKinds {
    Kind::kAdded.toString(),        Kind::kRoleChanged.toString(),
    Kind::kDisabled.toString(),     Kind::kEnabled.toString(),
    Kind::kPasswordSet.toString(),  Kind::kPasswordChanged.toString(),
    Kind::kSignInFailed.toString(), Kind::kLocked.toString(),
    Kind::kUnlocked.toString(),     Kind::kSignedIn.toString(),
    Kind::kRunSigned.toString(),    Kind::kReadingExcluded.toString(),
    Kind::kRefused.toString(),
};

} // namespace

JournalResult AccountBook::Read(JournalConnection &db, const QString &station, AccountBook &out)
{
    out = {};
    QStringList marks;
    QVariantList values { station };
    for (const QString &kind : kKinds) {
        marks << u"?"_s;
        values << kind;
    }
    QSqlQuery query(db.database());
    query.setForwardOnly(true);
    JournalResult result = db.exec(query,
                                   u"SELECT seq, at, kind, detail FROM events WHERE station = ? "
                                   "AND kind IN (%1) ORDER BY seq"_s.arg(marks.join(u", "_s)),
                                   values);
    while (result.ok() && query.next())
        out.apply(query.value(2).toString(),
                  QJsonDocument::fromJson(query.value(3).toString().toUtf8()).object(),
                  FromJournalTimestamp(query.value(1).toString()), query.value(0).toLongLong());
    if (result.ok())
        result = db.exec(query, u"SELECT seq, account, hash FROM passwords WHERE station = ?"_s,
                         { station });
    while (result.ok() && query.next()) {
        Account *account = out.account(query.value(1).toString());
        if (account && account->passwordSeq == query.value(0).toLongLong())
            account->passwordHash = query.value(2).toString();
    }
    return result;
}

JournalResult AccountBook::Exists(JournalConnection &db, bool &any)
{
    QSqlQuery query(db.database());
    const JournalResult result = db.exec(query, u"SELECT 1 FROM events WHERE kind = ? LIMIT 1"_s,
                                         { Kind::kAdded.toString() });
    any = result.ok() && query.next();
    return result;
}

const Account *AccountBook::find(const QString &name) const
{
    const auto it = std::find_if(m_accounts.cbegin(), m_accounts.cend(),
                                 [&name](const Account &account) { return account.name == name; });
    return it == m_accounts.cend() ? nullptr : &*it;
}

Account *AccountBook::account(const QString &name)
{
    return const_cast<Account *>(std::as_const(*this).find(name));
}

int AccountBook::otherAdmins(const QString &name, const QDateTime &now) const
{
    return int(std::count_if(m_accounts.cbegin(), m_accounts.cend(), [&](const Account &account) {
        return account.name != name && account.role == Role::Admin && !account.disabled
            && !account.isLocked(now);
    }));
}

void AccountBook::apply(const QString &kind, const QJsonObject &detail, const QDateTime &at,
                        qint64 seq)
{
    const QString name = detail.value(u"name"_s).toString();
    if (kind == Kind::kAdded && !account(name)) {
        m_accounts.append(
            { name,
              detail.value(u"fullName"_s).toString(),
              RoleFromText(detail.value(u"role"_s).toString()).value_or(Role::Operator),
              false,
              {},
              0,
              {},
              0,
              {},
              {} });
    }
    if (kind == Kind::kSignInFailed) {
        // Only a wrong password counts towards the lock; the refusals of a locked or disabled
        // account do not.
        if (Account *account = this->account(name);
            account && detail.value(u"reason"_s).toString() == u"wrong-password"_s)
            ++account->failures;
        return;
    }
    if (Account *actor = account(detail.value(u"by"_s).toString()))
        actor->failures = 0;
    Account *changed = account(name);
    if (!changed)
        return;
    if (kind == Kind::kAdded || kind == Kind::kPasswordSet || kind == Kind::kPasswordChanged) {
        changed->passwordSetAt = at;
        changed->passwordSeq = seq;
        changed->passwordDigest =
            QByteArray::fromHex(detail.value(u"password"_s).toString().toLatin1());
        changed->passwordHash.clear();
    }
    if (kind == Kind::kPasswordSet || kind == Kind::kUnlocked) {
        changed->lockedUntil = {};
        changed->failures = 0;
    } else if (kind == Kind::kRoleChanged) {
        changed->role = RoleFromText(detail.value(u"role"_s).toString()).value_or(changed->role);
    } else if (kind == Kind::kDisabled || kind == Kind::kEnabled) {
        changed->disabled = kind == Kind::kDisabled;
    } else if (kind == Kind::kLocked) {
        changed->lockedUntil = FromJournalTimestamp(detail.value(u"until"_s).toString());
        changed->failures = 0;
    }
}
