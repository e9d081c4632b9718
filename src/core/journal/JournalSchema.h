#pragma once

#include "core/journal/JournalTypes.h"

class JournalDatabase;

// The journal's tables, versioned by PRAGMA user_version: version 0 is an empty file, and each
// migration takes the file one version up in one transaction. A file of a newer version than
// this program knows is refused and never written.
class JournalSchema
{
public:
    static constexpr int kVersion = 2;

    // Reads the file's version; a writer migrates it to kVersion, a reader needs kVersion.
    static JournalResult Prepare(JournalDatabase &db, bool mayWrite);
    static JournalResult ReadVersion(JournalDatabase &db, int &version);
};
