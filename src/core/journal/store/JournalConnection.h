#pragma once

#include "core/journal/store/JournalTypes.h"

#include <QSqlDatabase>
#include <QString>
#include <QVariantList>

class QSqlError;
class QSqlQuery;

// One named Qt SQL connection to a journal, owned for its whole life: each instance has a
// connection of its own, so several journals, windows and threads never share one. A connection
// belongs to the thread that opened it. The local file and the lab server each have a class of
// their own; what reads a journal (history, export, verification) takes either through this one.
class JournalConnection
{
public:
    virtual ~JournalConnection();
    JournalConnection(const JournalConnection &) = delete;
    JournalConnection &operator=(const JournalConnection &) = delete;

    void close();
    bool isOpen() const { return m_open; }
    virtual bool isServer() const = 0;
    // The file, or the server's connection string.
    const QString &path() const { return m_path; }
    QSqlDatabase database() const;

    JournalResult begin();
    JournalResult commit();
    void rollback();

    // Prepares and runs a statement with its bound values; the query is left on its result.
    JournalResult exec(QSqlQuery &query, const QString &sql, const QVariantList &values = {});

protected:
    JournalConnection();

    // What a failed statement means, in the terms of JournalResult.
    virtual JournalResult resultFromError(const QSqlError &error) const = 0;
    virtual QString beginStatement() const = 0;
    QSqlDatabase addDatabase(const QString &driver);
    void setOpen(const QString &path, bool open)
    {
        m_path = path;
        m_open = open;
    }

private:
    QString m_connectionName;
    QString m_path;
    bool m_open = false;
};
