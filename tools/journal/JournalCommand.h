#pragma once

#include "MethodCommand.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <memory>

class JournalConnection;

// The command line of velmora-journal, parsed and run. Exit statuses are documented in --help
// and the README, for scripts that call the tool.
class JournalCommand
{
public:
    enum ExitStatus : int {
        Done = 0,
        Broken = 1, // verify found a break
        Usage = 2,
        JournalUnreadable = 3,
        OutputFailed = 4, // an output file or standard output
        // list or export answered from this station's journal only: the configured lab server
        // could not be read. The output is written; a script knows it holds one station.
        LocalOnly = 5,
        // An account operation, signature or exclusion refused (wrong password, locked or
        // disabled account, a role or rule that does not allow it); said on standard error and
        // recorded in the journal; or a method's name that is retired.
        Refused = 6,
        KeyMissing = 7, // verify found no break, but could not check the keyed rows
    };

    // Parses arguments (without the program name); false with an error text on a bad command
    // line.
    bool parse(const QStringList &arguments, QString &error);
    // Passwords are read from in, one a line.
    int run(std::FILE *out, std::FILE *err, std::FILE *in = stdin) const;
    // Only report draws, and needs a QGuiApplication for its fonts; the rest run on QtCore.
    bool rendersPdf() const { return !m_help && m_command == u"report"; }

    static QString HelpText();
    // Where velmora itself finds its journal: beside Velmora.ini as the program locates it, or
    // where that file's [journal] path says.
    static QString DefaultJournalPath();
    // The lab server that velmora forwards to ([journal] server), or empty.
    static QString ConfiguredServer();
    // The station's chain key, beside Velmora.ini as velmora finds it.
    static QString DefaultKeyPath();

private:
    int list(std::FILE *out, std::FILE *err) const;
    int exportCsv(std::FILE *err) const;
    int reportPdf(std::FILE *err) const;
    int dispatch(std::FILE *out, std::FILE *err, std::FILE *in) const;
    // user, sign and exclude: the accounts of the station's journal, written through its writer.
    bool parseAccounts(QString &error) const;
    QString *accountOption(const QString &option);
    int accounts(std::FILE *out, std::FILE *err, std::FILE *in) const;
    int userList(std::FILE *out, std::FILE *err) const;
    int verify(std::FILE *out, std::FILE *err) const;
    int serverInit(std::FILE *out, std::FILE *err) const;
    int method(std::FILE *out, std::FILE *err, std::FILE *in) const;
    // The chain key of the journal written: --key, or beside a journal named by --journal, or
    // velmora's own beside Velmora.ini.
    QString writerKeyPath() const;
    struct Source
    {
        std::unique_ptr<JournalConnection> db; // null when nothing could be opened
        bool localOnly = false; // the configured server could not be read
    };
    // The journal a command reads: the file given, the server given, the configured server (or,
    // when it cannot be reached, the local file, said on err), or the local file.
    Source openSource(bool serverOnly, std::FILE *err) const;

    QString m_command;
    QString m_journalPath;
    QString m_server;
    QString m_station;
    bool m_useServer = false;
    QString m_csvPath;
    QString m_pdfPath;
    QString m_keyPath;
    QStringList m_runIds;
    QDateTime m_since;
    QStringList m_words; // user: what to do, and the account
    QString m_role;
    QString m_fullName;
    QString m_as;
    QString m_meaning;
    QString m_user;
    QString m_comment;
    QString m_reading;
    QString m_reason;
    bool m_json = false;
    bool m_readings = false;
    bool m_help = false;
    MethodCommand m_method;
};
