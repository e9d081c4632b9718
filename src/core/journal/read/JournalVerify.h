#pragma once

#include "core/journal/store/JournalTypes.h"

#include <QStringList>

class JournalConnection;

struct VerifyReport
{
    JournalResult result; // whether the journal could be read at all
    qint64 rowsChecked = 0;
    QStringList breaks; // one line per problem found; empty when the journal is whole

    bool intact() const { return result.ok() && breaks.isEmpty(); }
};

// Recomputes every station's hash chain over its readings and events in sequence order, checks
// that each run row agrees with its start and closing events, and runs SQLite's own
// integrity_check. A removed last row of a chain leaves no trace; every other edit does.
VerifyReport VerifyJournal(JournalConnection &db);
