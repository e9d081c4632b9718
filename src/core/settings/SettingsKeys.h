#pragma once

#include <QString>
#include <QStringView>

#include <algorithm>

// Every key of the settings file in one place. Keys and sections match without regard to case;
// a missing key means its default. Text buffers are in bytes of the file's encoding, terminator
// included, so a 100-byte buffer gives at most 99 bytes.
namespace SettingsKeys {

inline constexpr QStringView kFileName = u"Velmora.ini";

inline constexpr QStringView kSectionSystem = u"SYSTEM";
inline constexpr QStringView kSectionConsistence = u"consistence";
inline constexpr QStringView kSectionA = u"a";
// Optional, set by hand or by the simulator: maps a port name "COM<n>" to a device path.
inline constexpr QStringView kSectionPorts = u"ports";

struct TextKey
{
    QStringView section;
    QStringView key;
    QStringView defaultValue;
    int bufferSize = 0;
    QStringView writeKey {}; // the spelling a write uses, when it differs from key
};

struct IntKey
{
    QStringView section;
    QStringView key;
    int defaultValue = 0;
};

inline constexpr int kLoginBufferSize = 100;
inline constexpr int kPrintTitleBufferSize = 100;
inline constexpr int kHelpPathBufferSize = 260;
inline constexpr int kModeConstantBufferSize = 100;
inline constexpr int kPortBufferSize = 260;

inline constexpr TextKey kLoginInspector { kSectionSystem, u"LOGINDLGNAME", u"", kLoginBufferSize };
inline constexpr TextKey kLoginBatchNo { kSectionSystem, u"LOGINDLGNO", u"", kLoginBufferSize };
inline constexpr TextKey kLoginSampleName { kSectionSystem, u"LOGINDLGSAMPLENAME", u"",
                                            kLoginBufferSize };
inline constexpr TextKey kLoginUnit { kSectionSystem, u"LOGINDLGUNIT", u"", kLoginBufferSize };
inline constexpr IntKey kLoginSerialNo { kSectionSystem, u"LOGINDLGSERIALNO", 0 };
inline constexpr IntKey kSampleCount { kSectionSystem, u"VELMORADLGCOLLECTIONNUM", 12 };
inline constexpr IntKey kLang { kSectionSystem, u"lang", 0 };
inline constexpr IntKey kIsLock { kSectionSystem, u"ISLOCK", 0 };
inline constexpr IntKey kLedR { kSectionSystem, u"LEDR", 255 };
inline constexpr IntKey kLedG { kSectionSystem, u"LEDG", 0 };
inline constexpr IntKey kLedB { kSectionSystem, u"LEDB", 0 };
inline constexpr IntKey kSelMode { kSectionSystem, u"nSelMode", 0 };
// The text report uses the file's own path as default, the printed report an empty title.
inline constexpr TextKey kPrintTitle { kSectionSystem, u"PrintTitle", u"", kPrintTitleBufferSize };
// An empty value means the default as well.
inline constexpr TextKey kHelpFilePath { kSectionSystem, u"HelpFilePath", u"help.txt",
                                         kHelpPathBufferSize };

inline constexpr TextKey kModeA { kSectionConsistence, u"m_a", u"1.00", kModeConstantBufferSize };
inline constexpr TextKey kModeLenC { kSectionConsistence, u"m_lenC", u"2.00",
                                     kModeConstantBufferSize };
inline constexpr TextKey kModeC { kSectionA, u"m_C", u"1.00", kModeConstantBufferSize };
// Read as "m_lena" but written as "m_Lena": the same key, since keys ignore case.
inline constexpr TextKey kModeLena { kSectionA, u"m_lena", u"2.00", kModeConstantBufferSize,
                                     u"m_Lena" };

// Section "journal", beyond the original key table: set by hand, never written. An empty or
// missing "path" keeps the results journal beside the settings file; a relative path is taken
// from the settings file's folder.
inline constexpr QStringView kSectionJournal = u"journal";
inline constexpr int kJournalPathBufferSize = 260;
inline constexpr TextKey kJournalPath { kSectionJournal, u"path", u"", kJournalPathBufferSize };
// The lab server the journal is forwarded to: a libpq connection string ("host=lab-db
// dbname=velmora user=station3") or a service name of libpq's service file. Never a password:
// libpq's own password file holds it. Empty: no forwarding.
inline constexpr int kJournalServerBufferSize = 1024;
inline constexpr TextKey kJournalServer { kSectionJournal, u"server", u"",
                                          kJournalServerBufferSize };

// Section "report", set by hand, never written: the lab's name at the head of every PDF report.
inline constexpr QStringView kSectionReport = u"report";
inline constexpr int kReportLabBufferSize = 260;
inline constexpr TextKey kReportLab { kSectionReport, u"Lab", u"", kReportLabBufferSize };

// Section "method": the method chosen at the last login, preselected at the next one; empty for
// none. Written only where the login offers methods.
inline constexpr QStringView kSectionMethod = u"method";
inline constexpr int kMethodNameBufferSize = 260;
inline constexpr TextKey kMethodLast { kSectionMethod, u"Last", u"", kMethodNameBufferSize };

// The device of a port in section "ports", under its name ("COM3"); empty when not set.
struct PortKey
{
    QString portName;
};

// The sample store of a run holds this many values.
inline constexpr int kSampleStoreSize = 256;

// A stored sampling count is not range-checked by whoever wrote it; bounding it here keeps a run
// inside the sample store.
constexpr int BoundedSampleCount(int stored)
{
    return std::clamp(stored, 1, kSampleStoreSize);
}

// Link state, in a section of its own so that older installations see nothing new: a reading
// counts as stable when the readings of the last StableSeconds stay within StableTolerance
// degrees of it. The link reads them as plain values (LinkMonitor::Options::fromSettings).
inline constexpr QStringView kSectionLink = u"link";
inline constexpr int kLinkToleranceBufferSize = 32;
inline constexpr TextKey kLinkStableTolerance { kSectionLink, u"StableTolerance", u"0.002",
                                                kLinkToleranceBufferSize };
inline constexpr IntKey kLinkStableSeconds { kSectionLink, u"StableSeconds", 3 };
// Without a valid frame for this long the link counts as silent, and a reading this old is no
// longer entered by Confirm.
inline constexpr IntKey kLinkSilentSeconds { kSectionLink, u"SilentSeconds", 5 };

// Section "accounts", set by hand, never written: sign-in with a password, the idle lock,
// electronic signatures and exclusions. Required=0 (or no section) keeps the program as it is
// without accounts.
inline constexpr QStringView kSectionAccounts = u"accounts";
inline constexpr IntKey kAccountsRequired { kSectionAccounts, u"Required", 0 };
inline constexpr IntKey kAccountsMinLength { kSectionAccounts, u"MinLength", 8 };
// 0: a password never expires.
inline constexpr IntKey kAccountsPasswordDays { kSectionAccounts, u"PasswordDays", 90 };
// After this many failed sign-ins in a row the account is locked for LockMinutes.
inline constexpr IntKey kAccountsMaxFailures { kSectionAccounts, u"MaxFailures", 5 };
inline constexpr IntKey kAccountsLockMinutes { kSectionAccounts, u"LockMinutes", 15 };
inline constexpr IntKey kAccountsIdleMinutes { kSectionAccounts, u"IdleMinutes", 15 };
// 1: a reviewed run is approved as well, by a third person.
inline constexpr IntKey kAccountsApproval { kSectionAccounts, u"Approval", 0 };

} // namespace SettingsKeys
