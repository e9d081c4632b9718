#pragma once

#include "core/journal/methods/Method.h"

#include <QList>

class Journal;
class JournalConnection;

// The methods of a journal, kept as events of its chain (so keyed, forwarded and verified like
// every row): each version a method-set event, a retirement a method-retired event. A method is
// never deleted, and a retired name is never used again, so that a run's method and version name
// one definition for good.
class MethodStore
{
public:
    enum class Change {
        Stored, // a new version
        Unchanged, // the latest version has this very definition
        Retired, // the name is retired: nothing written
        Unknown, // no method of that name
    };

    // Every method's latest version in name order, the retired ones marked.
    static JournalResult List(JournalConnection &db, QList<Method> &out);
    // The latest version of a method in use; none when there is none or it is retired.
    static JournalResult Find(JournalConnection &db, const QString &name,
                              std::optional<Method> &out);

    // The method as its next version; method.version becomes the version in force.
    static JournalResult Set(Journal &journal, Method &method, Change &change);
    // Retires the method at its latest version.
    static JournalResult Retire(Journal &journal, const QString &name, Change &change);
};
