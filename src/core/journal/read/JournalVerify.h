#pragma once

#include "core/journal/store/JournalTypes.h"

#include <QStringList>

class JournalConnection;

struct VerifyReport
{
    JournalResult result; // whether the journal could be read at all
    qint64 rowsChecked = 0;
    qint64 keyedRows = 0; // checked with the station's key
    qint64 hashedRows = 0; // written before keying: plain hashes, which anyone can recompute
    qint64 uncheckedRows = 0; // keyed, but without the key to check them
    QStringList breaks; // one line per problem found; empty when the journal is whole
    QStringList notes; // what could not be checked, and what a local check cannot see

    bool intact() const { return result.ok() && breaks.isEmpty(); }
};

// Recomputes every station's chain over its readings and events in sequence order, with the
// station's key where the chain is keyed (on a lab server: for the chains of keyedJournal, the
// identity of the journal the key belongs to); checks that each run row agrees with its start
// and closing events, that every start event has its run, that a run's readings are numbered
// 1, 2, 3... in order, that a closing names the run's reading count and last reading, that a
// completed run's statistics are those of its readings, that NULL stays NULL; and runs SQLite's
// own integrity_check. Rows cut off the end of a chain (with an open run's last readings) leave
// no trace here: only a copy elsewhere, such as the lab server, shows them.
VerifyReport VerifyJournal(JournalConnection &db, const QByteArray &stationKey = {},
                           const QString &keyedJournal = {});

// The local journal against the lab server's copy of it, row by row: a row that differs, or is
// on one side only, is a break, except the local rows after the server's last one, which are
// still on their way (a note says how many).
VerifyReport CompareWithServer(JournalConnection &local, JournalConnection &server);
