#include "core/journal/accounts/AccountJournal.h"

#include "core/journal/accounts/PasswordHash.h"
#include "core/journal/accounts/RunAudit.h"

#include <QJsonDocument>
#include <QSqlQuery>

using namespace Qt::StringLiterals;
namespace Kind = AccountEvent;

namespace {

QString Compact(const QJsonObject &object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

QString Hex(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex());
}

AccountOutcome Failed(const JournalResult &result)
{
    return { AccountOutcome::Status::Failed, result.text, result };
}

// A login is shown and typed everywhere: no blanks around it, no control characters in it.
bool ValidName(const QString &name)
{
    return !name.isEmpty() && name == name.trimmed()
        && std::none_of(name.cbegin(), name.cend(),
                        [](QChar c) { return c.category() == QChar::Other_Control; });
}

} // namespace

AccountJournal::AccountJournal(Journal &journal, const AccountPolicy &policy)
    : m_journal(journal)
    , m_policy(policy)
    , m_now([] { return QDateTime::currentDateTimeUtc(); })
{ }

JournalResult AccountJournal::read(AccountBook &book) const
{
    return AccountBook::Read(m_journal.database(), m_journal.station(), book);
}

QString AccountJournal::passwordProblem(const QString &password) const
{
    if (password.size() < m_policy.minLength)
        return tr("密码至少要有 %1 个字符").arg(m_policy.minLength);
    return {};
}

AccountOutcome AccountJournal::recordFailure(const QString &name, const QString &reason,
                                             const QString &text, AccountOutcome::Status status)
{
    AccountOutcome outcome { status, text, {} };
    const JournalResult written = m_journal.appendEvents([&](const Append &append) {
        AccountBook book;
        JournalResult result = read(book);
        qint64 seq = 0;
        if (result.ok())
            result = append(Kind::kSignInFailed.toString(), {},
                            Compact({ { u"name"_s, name }, { u"reason"_s, reason } }), seq);
        const Account *account = book.find(name);
        if (!result.ok() || reason != u"wrong-password"_s || !account
            || account->failures + 1 < m_policy.maxFailures)
            return result;
        const QDateTime until = m_now().addSecs(
            std::chrono::duration_cast<std::chrono::seconds>(m_policy.lockTime).count());
        outcome.text += u'\n'
            + tr("连续 %1 次密码错误，账户已锁定到 %2")
                  .arg(account->failures + 1)
                  .arg(until.toLocalTime().toString(u"yyyy-MM-dd HH:mm"_s));
        return append(Kind::kLocked.toString(), {},
                      Compact({ { u"name"_s, name },
                                { u"failures"_s, account->failures + 1 },
                                { u"until"_s, JournalTimestamp(until) } }),
                      seq);
    });
    return written.ok() ? outcome : Failed(written);
}

AccountOutcome AccountJournal::authenticate(const Credentials &who, bool expiredAllowed,
                                            Account &account)
{
    AccountBook book;
    if (const JournalResult result = read(book); !result.ok())
        return Failed(result);
    const Account *found = book.find(who.name);
    const QDateTime now = m_now();
    using Status = AccountOutcome::Status;
    if (!found)
        return recordFailure(who.name, u"unknown"_s, tr("没有账户“%1”").arg(who.name),
                             Status::Refused);
    if (found->disabled)
        return recordFailure(who.name, u"disabled"_s, tr("账户“%1”已停用").arg(who.name),
                             Status::Refused);
    if (found->isLocked(now))
        return recordFailure(
            who.name, u"locked"_s,
            tr("账户“%1”已锁定，到 %2 为止")
                .arg(who.name, found->lockedUntil.toLocalTime().toString(u"yyyy-MM-dd HH:mm"_s)),
            Status::Refused);
    // A hash that is not the one its event names was put there behind the chain's back.
    if (PasswordHash::digest(found->passwordHash) != found->passwordDigest)
        return recordFailure(
            who.name, u"password-record"_s,
            tr("账户“%1”的密码记录与结果日志不符，请管理员重新设置密码").arg(who.name),
            Status::Refused);
    if (!PasswordHash::check(found->passwordHash, who.password))
        return recordFailure(who.name, u"wrong-password"_s, tr("密码不正确"), Status::Refused);
    if (!expiredAllowed && m_policy.expired(*found, now))
        return recordFailure(who.name, u"expired"_s,
                             tr("账户“%1”的密码已过期，请设置新密码").arg(who.name),
                             Status::Expired);
    account = *found;
    return {};
}

AccountOutcome AccountJournal::write(const Account *checked, const Steps &steps)
{
    AccountOutcome outcome;
    const JournalResult written = m_journal.appendEvents([&](const Append &append) {
        AccountBook book;
        if (JournalResult result = read(book); !result.ok())
            return result;
        const Account *now = checked ? book.find(checked->name) : nullptr;
        if (checked
            && (!now || now->passwordSeq != checked->passwordSeq || now->disabled
                || now->isLocked(m_now()))) {
            outcome = { AccountOutcome::Status::Refused,
                        tr("账户“%1”刚被更改，请再试一次").arg(checked->name),
                        {} };
            return JournalResult {};
        }
        outcome = steps(book, append);
        return outcome.journal;
    });
    return written.ok() ? outcome : Failed(written);
}

AccountOutcome AccountJournal::refuse(const Append &append, const QString &by,
                                      const QString &action, const QString &text,
                                      const QString &runId)
{
    qint64 seq = 0;
    const JournalResult result =
        append(Kind::kRefused.toString(), runId,
               Compact({ { u"by"_s, by }, { u"action"_s, action }, { u"reason"_s, text } }), seq);
    return { result.ok() ? AccountOutcome::Status::Refused : AccountOutcome::Status::Failed, text,
             result };
}

JournalResult AccountJournal::insertPassword(const Append &append, const QString &kind,
                                             QJsonObject detail, const QString &hash)
{
    // The event names a digest of the hash, never the hash: events go to the lab server.
    detail.insert(u"password"_s, Hex(PasswordHash::digest(hash)));
    qint64 seq = 0;
    JournalResult result = append(kind, {}, Compact(detail), seq);
    QSqlQuery query(m_journal.database().database());
    if (result.ok())
        result = m_journal.database().exec(
            query, u"INSERT INTO passwords (station, seq, account, hash) VALUES (?, ?, ?, ?)"_s,
            { m_journal.station(), seq, detail.value(u"name"_s).toString(), hash });
    return result;
}

AccountOutcome AccountJournal::addAccount(const Credentials &admin, const NewAccount &account,
                                          const QString &password)
{
    Account checked;
    const bool first = admin.name.isEmpty();
    if (!first) {
        if (AccountOutcome outcome = authenticate(admin, false, checked); !outcome.ok())
            return outcome;
    }
    const std::optional<QString> hash =
        passwordProblem(password).isEmpty() ? PasswordHash::make(password) : QString();
    if (!hash)
        return Failed(JournalResult::Failure(JournalResult::Error::Other,
                                             tr("没有足够的内存计算密码的散列值")));
    return write(first ? nullptr : &checked, [&](const AccountBook &book, const Append &append) {
        const QString action = u"user add "_s + account.name;
        if (first && !book.isEmpty())
            return refuse(append, {}, action, tr("已有账户：新账户要由管理员添加"));
        if (first && account.role != Role::Admin)
            return refuse(append, {}, action, tr("第一个账户必须是管理员"));
        if (!first && checked.role != Role::Admin)
            return refuse(append, admin.name, action, tr("只有管理员才能添加账户"));
        if (!ValidName(account.name))
            return refuse(append, admin.name, action, tr("账户名不能为空，也不能以空格开头或结尾"));
        if (book.find(account.name))
            return refuse(append, admin.name, action, tr("账户“%1”已经存在").arg(account.name));
        if (const QString problem = passwordProblem(password); !problem.isEmpty())
            return refuse(append, admin.name, action, problem);
        QJsonObject detail { { u"name"_s, account.name },
                             { u"fullName"_s,
                               account.fullName.isEmpty() ? account.name : account.fullName },
                             { u"role"_s, RoleText(account.role) } };
        if (!first)
            detail.insert(u"by"_s, admin.name);
        const JournalResult result = insertPassword(append, Kind::kAdded.toString(), detail, *hash);
        return result.ok() ? AccountOutcome {} : Failed(result);
    });
}

AccountOutcome AccountJournal::adminChange(
    const Credentials &admin, const QString &name, const QString &action,
    const std::function<AccountOutcome(const AccountBook &, const Account &, const Append &)>
        &change)
{
    Account checked;
    if (AccountOutcome outcome = authenticate(admin, false, checked); !outcome.ok())
        return outcome;
    return write(&checked, [&](const AccountBook &book, const Append &append) {
        if (checked.role != Role::Admin)
            return refuse(append, admin.name, action, tr("只有管理员才能更改账户"));
        const Account *target = book.find(name);
        if (!target)
            return refuse(append, admin.name, action, tr("没有账户“%1”").arg(name));
        return change(book, *target, append);
    });
}

AccountOutcome AccountJournal::authorizeAdmin(const Credentials &admin, const QString &change)
{
    Account checked;
    if (AccountOutcome outcome = authenticate(admin, false, checked); !outcome.ok())
        return outcome;
    if (checked.role == Role::Admin)
        return {};
    return write(&checked, [&](const AccountBook &, const Append &append) {
        return refuse(append, admin.name, change, tr("只有管理员才能更改方法"));
    });
}

AccountOutcome AccountJournal::changeRole(const Credentials &admin, const QString &name, Role role)
{
    const QString action = u"user role "_s + name;
    return adminChange(
        admin, name, action,
        [&](const AccountBook &book, const Account &target, const Append &append) {
            if (target.role == role)
                return refuse(append, admin.name, action, tr("账户“%1”已是这个角色").arg(name));
            if (target.role == Role::Admin && book.otherAdmins(name, m_now()) == 0)
                return refuse(append, admin.name, action, tr("不能去掉最后一个管理员"));
            qint64 seq = 0;
            const JournalResult result = append(Kind::kRoleChanged.toString(), {},
                                                Compact({ { u"name"_s, name },
                                                          { u"old"_s, RoleText(target.role) },
                                                          { u"role"_s, RoleText(role) },
                                                          { u"by"_s, admin.name } }),
                                                seq);
            return result.ok() ? AccountOutcome {} : Failed(result);
        });
}

AccountOutcome AccountJournal::setEnabled(const Credentials &admin, const QString &name,
                                          bool enabled)
{
    const QString action = (enabled ? u"user enable "_s : u"user disable "_s) + name;
    return adminChange(
        admin, name, action,
        [&](const AccountBook &book, const Account &target, const Append &append) {
            const QJsonObject detail { { u"name"_s, name }, { u"by"_s, admin.name } };
            QStringList kinds;
            if (!enabled && !target.disabled && target.role == Role::Admin
                && book.otherAdmins(name, m_now()) == 0)
                return refuse(append, admin.name, action, tr("不能停用最后一个管理员"));
            if (!enabled && !target.disabled)
                kinds << Kind::kDisabled.toString();
            if (enabled && target.disabled)
                kinds << Kind::kEnabled.toString();
            if (enabled && target.isLocked(m_now()))
                kinds << Kind::kUnlocked.toString();
            if (kinds.isEmpty())
                return refuse(append, admin.name, action,
                              enabled ? tr("账户“%1”没有停用，也没有锁定").arg(name)
                                      : tr("账户“%1”已经停用").arg(name));
            JournalResult result;
            qint64 seq = 0;
            for (const QString &kind : std::as_const(kinds)) {
                if (result.ok())
                    result = append(kind, {}, Compact(detail), seq);
            }
            return result.ok() ? AccountOutcome {} : Failed(result);
        });
}

AccountOutcome AccountJournal::setPassword(const Credentials &admin, const QString &name,
                                           const QString &password)
{
    const std::optional<QString> hash =
        passwordProblem(password).isEmpty() ? PasswordHash::make(password) : QString();
    if (!hash)
        return Failed(JournalResult::Failure(JournalResult::Error::Other,
                                             tr("没有足够的内存计算密码的散列值")));
    const QString action = u"user password "_s + name;
    return adminChange(
        admin, name, action, [&](const AccountBook &, const Account &, const Append &append) {
            if (const QString problem = passwordProblem(password); !problem.isEmpty())
                return refuse(append, admin.name, action, problem);
            const JournalResult result =
                insertPassword(append, Kind::kPasswordSet.toString(),
                               { { u"name"_s, name }, { u"by"_s, admin.name } }, *hash);
            return result.ok() ? AccountOutcome {} : Failed(result);
        });
}

AccountOutcome AccountJournal::changePassword(const Credentials &owner, const QString &password)
{
    Account checked;
    if (AccountOutcome outcome = authenticate(owner, true, checked); !outcome.ok())
        return outcome;
    const bool same = PasswordHash::check(checked.passwordHash, password);
    const std::optional<QString> hash =
        passwordProblem(password).isEmpty() && !same ? PasswordHash::make(password) : QString();
    if (!hash)
        return Failed(JournalResult::Failure(JournalResult::Error::Other,
                                             tr("没有足够的内存计算密码的散列值")));
    return write(&checked, [&](const AccountBook &, const Append &append) {
        const QString action = u"user password "_s + owner.name;
        if (same)
            return refuse(append, owner.name, action, tr("新密码不能与原密码相同"));
        if (const QString problem = passwordProblem(password); !problem.isEmpty())
            return refuse(append, owner.name, action, problem);
        const JournalResult result =
            insertPassword(append, Kind::kPasswordChanged.toString(),
                           { { u"name"_s, owner.name }, { u"by"_s, owner.name } }, *hash);
        return result.ok() ? AccountOutcome {} : Failed(result);
    });
}

AccountOutcome AccountJournal::signIn(const Credentials &who, Place place, Account *signedIn)
{
    Account checked;
    if (AccountOutcome outcome = authenticate(who, false, checked); !outcome.ok())
        return outcome;
    const AccountOutcome outcome = write(&checked, [&](const AccountBook &, const Append &append) {
        qint64 seq = 0;
        const JournalResult result =
            append(Kind::kSignedIn.toString(), {},
                   Compact({ { u"by"_s, who.name },
                             { u"where"_s, place == Place::Login ? u"login"_s : u"lock"_s } }),
                   seq);
        return result.ok() ? AccountOutcome {} : Failed(result);
    });
    if (outcome.ok() && signedIn)
        *signedIn = checked;
    return outcome;
}

JournalResult AccountJournal::noteSessionLocked(const QString &name)
{
    return m_journal.appendEvents([&](const Append &append) {
        qint64 seq = 0;
        return append(Kind::kSessionLocked.toString(), {}, Compact({ { u"name"_s, name } }), seq);
    });
}

namespace {

// The run's status in this station's journal; none when it has no such run.
JournalResult RunStatusOf(Journal &journal, const QString &runId, std::optional<RunStatus> &status,
                          int &readings)
{
    QSqlQuery query(journal.database().database());
    const JournalResult result = journal.database().exec(
        query,
        u"SELECT status, (SELECT count(*) FROM readings r WHERE r.station = runs.station AND "
        "r.run_id = runs.run_id) FROM runs WHERE station = ? AND run_id = ?"_s,
        { journal.station(), runId });
    status.reset();
    if (result.ok() && query.next()) {
        status = StatusFromText(query.value(0).toString());
        readings = query.value(1).toInt();
    }
    return result;
}

} // namespace

AccountOutcome AccountJournal::runChange(const Credentials &who, const QString &runId,
                                         const QString &action, const QString &notCompleted,
                                         const RunRules &rules)
{
    Account checked;
    if (AccountOutcome outcome = authenticate(who, false, checked); !outcome.ok())
        return outcome;
    return write(&checked, [&](const AccountBook &, const Append &append) {
        std::optional<RunStatus> status;
        int readings = 0;
        RunAudit audit;
        JournalResult result = RunStatusOf(m_journal, runId, status, readings);
        if (result.ok() && status)
            result = RunAudit::Read(m_journal.database(), m_journal.station(), runId, audit);
        if (!result.ok())
            return Failed(result);
        if (!status)
            return refuse(append, who.name, action + u' ' + runId,
                          tr("本站的结果日志中没有测量 %1").arg(runId));
        const Refuse no = [&](const QString &text) {
            return refuse(append, who.name, action, text, runId);
        };
        if (*status != RunStatus::Completed)
            return no(notCompleted);
        return rules(checked, audit, readings, no, append);
    });
}

AccountOutcome AccountJournal::sign(const Credentials &who, const QString &runId, Meaning meaning,
                                    const QString &comment)
{
    return runChange(who, runId, u"sign "_s + MeaningText(meaning), tr("测量没有完成，不能签名"),
                     [&](const Account &checked, const RunAudit &audit, int, const Refuse &no,
                         const Append &append) {
                         const RunSignature *performed = audit.currentSignature(Meaning::Performed);
                         const RunSignature *reviewed = audit.currentSignature(Meaning::Reviewed);
                         // Whoever measured the run or signed it at an earlier step signs no later
                         // one.
                         const bool took = audit.confirmedBy.contains(who.name)
                             || (performed && performed->by == who.name)
                             || (reviewed && reviewed->by == who.name);
                         if (audit.hasSignature(Meaning::Reviewed) && meaning != Meaning::Approved)
                             return no(tr("测量已审核，不能再更改"));
                         switch (meaning) {
                         case Meaning::Performed:
                             if (!audit.confirmedBy.contains(who.name))
                                 return no(tr("只有确认了这次测量读数的人才能签名执行"));
                             if (performed)
                                 return no(tr("这次测量已签名执行"));
                             break;
                         case Meaning::Reviewed:
                             if (checked.role != Role::Reviewer)
                                 return no(tr("只有审核员才能审核"));
                             if (!performed)
                                 return no(tr("测量要先签名执行，才能审核"));
                             if (took)
                                 return no(tr("审核人不能是执行人"));
                             break;
                         case Meaning::Approved:
                             if (!m_policy.approval)
                                 return no(tr("没有启用批准"));
                             if (checked.role != Role::Reviewer)
                                 return no(tr("只有审核员才能批准"));
                             if (!reviewed)
                                 return no(tr("测量要先审核，才能批准"));
                             if (audit.hasSignature(Meaning::Approved))
                                 return no(tr("这次测量已批准"));
                             if (took)
                                 return no(tr("批准人不能是执行人或审核人"));
                             break;
                         }
                         QJsonObject detail { { u"by"_s, who.name },
                                              { u"fullName"_s, checked.fullName },
                                              { u"meaning"_s, MeaningText(meaning) },
                                              { u"last"_s, Hex(audit.recordHash) } };
                         if (!comment.isEmpty())
                             detail.insert(u"comment"_s, comment);
                         qint64 seq = 0;
                         const JournalResult result =
                             append(Kind::kRunSigned.toString(), runId, Compact(detail), seq);
                         return result.ok() ? AccountOutcome {} : Failed(result);
                     });
}

AccountOutcome AccountJournal::exclude(const Credentials &who, const QString &runId, int reading,
                                       const QString &reason)
{
    return runChange(
        who, runId, u"exclude %1"_s.arg(reading), tr("测量没有完成，不能剔除读数"),
        [&](const Account &checked, const RunAudit &audit, int readings, const Refuse &no,
            const Append &append) {
            if (audit.hasSignature(Meaning::Reviewed))
                return no(tr("测量已审核，不能再更改"));
            if (!audit.confirmedBy.contains(who.name) && checked.role != Role::Reviewer)
                return no(tr("只有这次测量的执行人或审核员才能剔除读数"));
            if (reason.trimmed().isEmpty())
                return no(tr("剔除读数必须说明原因"));
            if (reading < 1 || reading > readings)
                return no(tr("这次测量没有第 %1 个读数").arg(reading));
            if (audit.exclusionOf(reading))
                return no(tr("第 %1 个读数已剔除").arg(reading));
            if (audit.exclusions.size() + 1 >= readings)
                return no(tr("至少要保留一个读数"));
            qint64 seq = 0;
            const JournalResult result = append(Kind::kReadingExcluded.toString(), runId,
                                                Compact({ { u"by"_s, who.name },
                                                          { u"reading"_s, reading },
                                                          { u"reason"_s, reason.trimmed() } }),
                                                seq);
            return result.ok() ? AccountOutcome {} : Failed(result);
        });
}
