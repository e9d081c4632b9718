#pragma once

#include "core/report/RunReport.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringView>

#include <optional>

// What an account may do: operators measure and sign what they measured, reviewers review (and
// approve), administrators manage the accounts.
enum class Role { Operator, Reviewer, Admin };

QString RoleText(Role role);
std::optional<Role> RoleFromText(const QString &text);

// What a signature says of the run it is tied to, in the order they are given.
using Meaning = RunReport::Meaning;

QString MeaningText(Meaning meaning);
std::optional<Meaning> MeaningFromText(const QString &text);

// The kinds of the events that accounts, sign-ins, signatures and exclusions write into the
// journal's chain; each detail is a JSON object. The actor is "by"; an account acted on is "name".
namespace AccountEvent {
inline constexpr QStringView kAdded = u"account-added";
inline constexpr QStringView kRoleChanged = u"account-role-changed";
inline constexpr QStringView kDisabled = u"account-disabled";
inline constexpr QStringView kEnabled = u"account-enabled";
inline constexpr QStringView kPasswordSet = u"password-set"; // by an administrator
inline constexpr QStringView kPasswordChanged = u"password-changed"; // by its owner
inline constexpr QStringView kSignInFailed = u"sign-in-failed";
inline constexpr QStringView kLocked = u"account-locked"; // after failed sign-ins
inline constexpr QStringView kUnlocked = u"account-unlocked";
inline constexpr QStringView kSignedIn = u"signed-in"; // at the login or at the idle lock
inline constexpr QStringView kSessionLocked = u"session-locked"; // the window, idle
inline constexpr QStringView kRunSigned = u"run-signed";
inline constexpr QStringView kReadingExcluded = u"reading-excluded";
inline constexpr QStringView kRefused = u"action-refused";
} // namespace AccountEvent

// An account as its events leave it.
struct Account
{
    QString name; // the login
    QString fullName; // printed on signatures
    Role role = Role::Operator;
    bool disabled = false;
    QDateTime lockedUntil; // UTC; invalid: not locked
    int failures = 0; // wrong passwords in a row
    QDateTime passwordSetAt; // UTC
    qint64 passwordSeq = 0; // the event that set the password
    QByteArray passwordDigest; // of the hash, as that event names it
    QString passwordHash; // the station's own copy, never forwarded

    bool isLocked(const QDateTime &now) const { return lockedUntil.isValid() && now < lockedUntil; }
};
