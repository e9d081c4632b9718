#pragma once

#include <QString>

class Settings;

// What the start-up fixes for the main window: the login information, the sampling count and
// where the program lives. Read from the settings at start; the login is stored back once the
// user has confirmed it.
struct Session
{
    QString inspector;
    QString batchNo;
    QString sampleName;
    QString unit;
    int serialNo = 0; // 0-based: port "COM<serialNo + 1>"; -1 when no port was chosen
    int sampleCount = 12; // N, bounded to the sample store
    QString programDir; // where the help text lives
    QString account; // signed in at the login, where accounts are required; never stored

    static Session Read(const Settings &settings, const QString &programDir);
    // The five login keys, in the order the start-up writes them, in one save.
    void StoreLogin(Settings &settings) const;
};
