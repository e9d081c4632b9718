#pragma once

#include "core/journal/methods/Method.h"

#include <QStringList>

#include <cstdio>

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

    // The arguments after "method"; false with an error text on a bad command line.
    bool parse(const QStringList &arguments, QString &error);
    Outcome run(const QString &journalPath, const QString &keyPath, std::FILE *out,
                std::FILE *err) const;

private:
    // Whether who runs the command may change methods. With accounts on, only an
    // administrator may: --as ADMIN with the password on standard input is checked here; with
    // accounts off, everyone.
    bool authorize(std::FILE *err) const;
    Outcome set(const QString &journalPath, const QString &keyPath, std::FILE *out,
                std::FILE *err) const;
    Outcome retire(const QString &journalPath, const QString &keyPath, std::FILE *out,
                   std::FILE *err) const;
    Outcome list(const QString &journalPath, std::FILE *out, std::FILE *err) const;

    QString m_action;
    Method m_method; // the name for every action, the definition for set
    bool m_json = false;
};
