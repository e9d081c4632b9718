#pragma once

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <optional>
#include <pwd.h>
#include <signal.h>
#include <unistd.h>

// A PostgreSQL 15 server of the test's own, in a temporary folder, reachable only on a Unix socket
// in that folder (no TCP port, no clash with a cluster of the machine). PostgreSQL refuses to run
// as root, so under root it runs as the user "postgres" that Debian's package creates. Every role
// is trusted until requirePasswords().
class PgServer
{
public:
    static constexpr int kPort = 54329;

    PgServer()
    {
        const passwd *pw = ::getpwnam("postgres");
        const QByteArray dir = QFile::encodeName(m_dir.path());
        const bool owned = ::geteuid() != 0 || (pw && ::chown(dir, pw->pw_uid, pw->pw_gid) == 0);
        m_ready = owned
            && run(QStringLiteral("initdb -A trust -E UTF8 --locale=C -U postgres -D"),
                   { dataDir() })
                == 0
            && start();
    }
    ~PgServer() { stop(); }

    bool isReady() const { return m_ready; }
    // Where the server's socket lies: its host for libpq.
    QString socketDir() const { return m_dir.path(); }
    QString connInfo(const QString &db, const QString &user = QStringLiteral("postgres")) const
    {
        return QStringLiteral("host=%1 port=%2 dbname=%3 user=%4")
            .arg(m_dir.path(), QString::number(kPort), db, user);
    }

    bool start()
    {
        const QString options =
            QStringLiteral("-k %1 -p %2 -c listen_addresses=''").arg(m_dir.path()).arg(kPort);
        return run(QStringLiteral("pg_ctl -w start -o"),
                   { options, QStringLiteral("-l"), m_dir.filePath(QStringLiteral("log")),
                     QStringLiteral("-D"), dataDir() })
            == 0;
    }
    // Fast shutdown: sessions are cut as by a server going away.
    bool stop()
    {
        return m_ready && run(QStringLiteral("pg_ctl -w -m fast stop -D"), { dataDir() }) == 0;
    }
    // Stops or resumes every process of the server: its connections stay open and it never
    // answers, as a hung host.
    bool freeze(bool frozen) const
    {
        QFile pidFile(dataDir() + QStringLiteral("/postmaster.pid"));
        const pid_t pid =
            pidFile.open(QIODevice::ReadOnly) ? pidFile.readLine().trimmed().toInt() : 0;
        const int signal = frozen ? SIGSTOP : SIGCONT;
        const int children = QProcess::execute(
            QStringLiteral("pkill"),
            { QStringLiteral("-%1").arg(signal), QStringLiteral("-P"), QString::number(pid) });
        return pid > 0 && children == 0 && ::kill(pid, signal) == 0;
    }
    // From then on, every role but the superuser logs in with its password; restarts the server.
    bool requirePasswords() { return setAccess("local all all scram-sha-256\n"); }
    // pg_hba.conf's rules after the superuser's own; restarts the server.
    bool setAccess(const QByteArray &rules)
    {
        QFile hba(dataDir() + QStringLiteral("/pg_hba.conf"));
        const QByteArray all = "local all postgres trust\n" + rules;
        return hba.open(QIODevice::WriteOnly | QIODevice::Truncate) && hba.write(all) == all.size()
            && hba.flush() && stop() && start();
    }
    // Runs SQL as the superuser: whether it ran, and what it printed.
    bool sql(const QString &db, const QString &text) const { return psql(db, text).has_value(); }
    QString value(const QString &db, const QString &sql) const
    {
        return psql(db, sql).value_or(QStringLiteral("error"));
    }

private:
    QString dataDir() const { return m_dir.filePath(QStringLiteral("data")); }

    std::optional<QString> psql(const QString &db, const QString &statements) const
    {
        QProcess psql;
        psql.start(QStringLiteral("psql"),
                   { QStringLiteral("-XAtqv"), QStringLiteral("ON_ERROR_STOP=1"),
                     QStringLiteral("-d"), connInfo(db), QStringLiteral("-c"), statements });
        if (!psql.waitForFinished(60000) || psql.exitStatus() != QProcess::NormalExit
            || psql.exitCode() != 0)
            return std::nullopt;
        return QString::fromUtf8(psql.readAllStandardOutput()).trimmed();
    }

    // Runs one of the server's programs, its blank-separated words then arguments: its exit code.
    int run(const QString &words, const QStringList &arguments) const
    {
        QStringList command =
            QString(QStringLiteral("/usr/lib/postgresql/15/bin/") + words).split(u' ') + arguments;
        if (::geteuid() == 0)
            command = QStringLiteral("runuser -u postgres --").split(u' ') + command;
        QProcess process;
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.setStandardOutputFile(QProcess::nullDevice());
        process.start(command.takeFirst(), command);
        return process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit
            ? process.exitCode()
            : -1;
    }

    QTemporaryDir m_dir;
    bool m_ready = false;
};
