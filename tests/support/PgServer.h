#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <pwd.h>
#include <unistd.h>

// A PostgreSQL 15 server of the test's own, in a temporary folder, reachable only on a Unix socket
// in that folder (no TCP port, no clash with a cluster of the machine). PostgreSQL refuses to run
// as root, so under root it runs as the user "postgres" that Debian's package creates. Roles named
// in passwordRoles must log in with their password (SCRAM); everyone else is trusted.
class PgServer
{
public:
    static constexpr int kPort = 54329;
    static inline const QString kBin = QStringLiteral("/usr/lib/postgresql/15/bin/");

    explicit PgServer(const QStringList &passwordRoles = {})
    {
        if (!m_dir.isValid() || !QFile::exists(kBin + QStringLiteral("initdb")))
            return;
        if (::geteuid() == 0) {
            const passwd *pw = ::getpwnam("postgres");
            if (!pw || ::chown(QFile::encodeName(m_dir.path()).constData(), pw->pw_uid, pw->pw_gid))
                return;
        }
        if (run({ kBin + QStringLiteral("initdb"), QStringLiteral("-A"), QStringLiteral("trust"),
                  QStringLiteral("-E"), QStringLiteral("UTF8"), QStringLiteral("--locale=C"),
                  QStringLiteral("-U"), QStringLiteral("postgres"), QStringLiteral("-D"),
                  dataDir() })
            != 0)
            return;
        QFile hba(dataDir() + QStringLiteral("/pg_hba.conf"));
        if (!hba.open(QIODevice::WriteOnly))
            return;
        for (const QString &role : passwordRoles)
            hba.write(QByteArray("local all " + role.toUtf8() + " scram-sha-256\n"));
        hba.write("local all all trust\n");
        hba.close();
        m_ready = start();
    }
    ~PgServer() { stop(); }
    PgServer(const PgServer &) = delete;
    PgServer &operator=(const PgServer &) = delete;

    bool isReady() const { return m_ready; }
    QString dataDir() const { return m_dir.filePath(QStringLiteral("data")); }
    QString connInfo(const QString &db, const QString &user = QStringLiteral("postgres")) const
    {
        return QStringLiteral("host=%1 port=%2 dbname=%3 user=%4")
            .arg(m_dir.path())
            .arg(kPort)
            .arg(db, user);
    }

    bool start()
    {
        return run({ kBin + QStringLiteral("pg_ctl"), QStringLiteral("-D"), dataDir(),
                     QStringLiteral("-w"), QStringLiteral("-l"),
                     m_dir.filePath(QStringLiteral("log")), QStringLiteral("-o"),
                     QStringLiteral("-k %1 -p %2 -c listen_addresses=''")
                         .arg(m_dir.path())
                         .arg(kPort),
                     QStringLiteral("start") })
            == 0;
    }
    // Fast shutdown: sessions are cut as by a server going away.
    bool stop()
    {
        return m_ready
            && run({ kBin + QStringLiteral("pg_ctl"), QStringLiteral("-D"), dataDir(),
                     QStringLiteral("-w"), QStringLiteral("-m"), QStringLiteral("fast"),
                     QStringLiteral("stop") })
            == 0;
    }
    // Runs SQL as the superuser; output holds what psql printed, or "error: ..." when it failed.
    bool sql(const QString &db, const QString &statements, QString *output = nullptr) const
    {
        QProcess psql;
        psql.start(QStringLiteral("psql"),
                   { QStringLiteral("-XAtq"), QStringLiteral("-v"),
                     QStringLiteral("ON_ERROR_STOP=1"), QStringLiteral("-d"), connInfo(db),
                     QStringLiteral("-c"), statements });
        psql.waitForFinished(60000);
        const bool ok = psql.exitStatus() == QProcess::NormalExit && psql.exitCode() == 0;
        if (output)
            *output = ok
                ? QString::fromUtf8(psql.readAllStandardOutput()).trimmed()
                : QStringLiteral("error: ") + QString::fromUtf8(psql.readAllStandardError());
        return ok;
    }
    QString value(const QString &db, const QString &query) const
    {
        QString output;
        sql(db, query, &output);
        return output;
    }

private:
    int run(QStringList command) const
    {
        if (::geteuid() == 0)
            command = QStringList { QStringLiteral("-u"), QStringLiteral("postgres"),
                                    QStringLiteral("--") }
                + command;
        QProcess process;
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.setStandardOutputFile(QProcess::nullDevice());
        process.start(::geteuid() == 0 ? QStringLiteral("runuser") : command.takeFirst(), command);
        process.waitForFinished(120000);
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    QTemporaryDir m_dir;
    bool m_ready = false;
};
