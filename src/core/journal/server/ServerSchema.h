#pragma once

#include "core/journal/store/JournalTypes.h"

#include <QString>

class ServerConnection;

// The lab server's journal in PostgreSQL: schema "velmora", versioned by the rows of its table
// schema_version (the highest one counts). Only Init (velmora-journal server-init, run by the
// lab's administrator) creates or migrates it; stations and readers check the version and touch
// nothing of a server that is newer than they are. Every key holds the station. The station role
// may only insert and read, and triggers refuse every change and deletion of a row, to every role;
// the tables' owner and the superusers can switch triggers off, but a row changed so breaks its
// station's hash chain, which verification reports.
class ServerSchema
{
public:
    static constexpr int kVersion = 4;
    // The roles Init creates (without login): lab accounts are made members of one of them.
    static const QString kWriterRole;
    static const QString kReaderRole;

    static JournalResult Init(ServerConnection &db, int &fromVersion);
    // The server's version must be this program's: an older one needs server-init, a newer one
    // a newer program.
    static JournalResult Check(ServerConnection &db);
};
