#include "core/journal/accounts/AccountPolicy.h"

#include "core/settings/Settings.h"

namespace Keys = SettingsKeys;

AccountPolicy AccountPolicy::FromSettings(const Settings &settings)
{
    const auto atLeast = [&settings](const Keys::IntKey &key, int least) {
        const int value = settings.Read(key);
        return value >= least ? value : key.defaultValue;
    };
    AccountPolicy policy;
    policy.required = settings.Read(Keys::kAccountsRequired) == 1;
    policy.minLength = atLeast(Keys::kAccountsMinLength, 1);
    policy.passwordDays = atLeast(Keys::kAccountsPasswordDays, 0);
    policy.maxFailures = atLeast(Keys::kAccountsMaxFailures, 1);
    policy.lockTime = std::chrono::minutes(atLeast(Keys::kAccountsLockMinutes, 1));
    policy.idleTime = std::chrono::minutes(atLeast(Keys::kAccountsIdleMinutes, 1));
    policy.approval = settings.Read(Keys::kAccountsApproval) == 1;
    return policy;
}

bool AccountPolicy::expired(const Account &account, const QDateTime &now) const
{
    return passwordDays > 0 && account.passwordSetAt.addDays(passwordDays) < now;
}
