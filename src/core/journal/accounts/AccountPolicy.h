#pragma once

#include "core/journal/accounts/AccountTypes.h"

#include <chrono>

class Settings;

// The rules of section [accounts]: whether sign-in is required, and what a password and a
// session must meet. A value below its least sensible one (a typing error) takes its default.
struct AccountPolicy
{
    bool required = false;
    int minLength = 8; // characters
    int passwordDays = 90; // 0: never expires
    int maxFailures = 5; // wrong passwords in a row before the account is locked
    std::chrono::minutes lockTime { 15 };
    std::chrono::milliseconds idleTime = std::chrono::minutes(15); // then the window locks
    bool approval = false; // a reviewed run is approved as well

    static AccountPolicy FromSettings(const Settings &settings);
    bool expired(const Account &account, const QDateTime &now) const;
};
