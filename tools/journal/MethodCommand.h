#pragma once

#include "core/journal/methods/Method.h"

#include <QStringList>

#include <cstdio>
#include <functional>

class Journal;

// velmora-journal's methods: method set NAME ... (a new version, unless the latest one is the
// same), method list [--json], method retire NAME. Set and retire write the journal as velmora
// does, keyed with the station's key.
class MethodCommand
{
public:
    enum class Outcome {
        Done,
        Usage,
        Unreadable, // the journal cannot be opened, read or written; an unknown method
        Refused, // not allowed: a retired name, a method retired already
    };

    // Whether who runs the command may change methods, asked with the journal open for writing
    // and the change named ("method set NAME"): Done allows it, anything else is the command's
    // outcome (said on err). Where accounts are required only an administrator may.
    using Authorize =
        std::function<Outcome(Journal &journal, const QString &change, std::FILE *err)>;

    // The arguments after "method"; false with an error text on a bad command line.
    bool parse(const QStringList &arguments, QString &error);
    // authorize: none lets everyone change methods.
    Outcome run(const QString &journalPath, const QString &keyPath, std::FILE *out, std::FILE *err,
                const Authorize &authorize = {}) const;

private:
    Outcome set(const QString &journalPath, const QString &keyPath, std::FILE *out, std::FILE *err,
                const Authorize &authorize) const;
    Outcome retire(const QString &journalPath, const QString &keyPath, std::FILE *out,
                   std::FILE *err, const Authorize &authorize) const;
    Outcome list(const QString &journalPath, std::FILE *out, std::FILE *err) const;

    QString m_action;
    Method m_method; // the name for every action, the definition for set
    bool m_json = false;
};
