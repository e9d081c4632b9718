#include "core/journal/store/JournalConnection.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

using namespace Qt::StringLiterals;

JournalConnection::JournalConnection()
    : m_connectionName(u"velmora-journal-"_s + QUuid::createUuid().toString(QUuid::WithoutBraces))
{ }

JournalConnection::~JournalConnection()
{
    close();
}

QSqlDatabase JournalConnection::database() const
{
    return QSqlDatabase::database(m_connectionName, false);
}

QSqlDatabase JournalConnection::addDatabase(const QString &driver)
{
    close();
    return QSqlDatabase::addDatabase(driver, m_connectionName);
}

void JournalConnection::close()
{
    m_open = false;
    if (!QSqlDatabase::contains(m_connectionName))
        return;
    database().close();
    QSqlDatabase::removeDatabase(m_connectionName);
}

JournalResult JournalConnection::exec(QSqlQuery &query, const QString &sql,
                                      const QVariantList &values)
{
    if (!m_open)
        return JournalResult::Failure(JournalResult::Error::NotOpen, u"the journal is not open"_s);
    // PostgreSQL prepares queries only, never other statements (BEGIN, SET, DDL).
    if (isServer() && values.isEmpty())
        return query.exec(sql) ? JournalResult {} : resultFromError(query.lastError());
    if (!query.prepare(sql))
        return resultFromError(query.lastError());
    for (const QVariant &value : values)
        query.addBindValue(value);
    if (!query.exec())
        return resultFromError(query.lastError());
    return {};
}

JournalResult JournalConnection::begin()
{
    QSqlQuery query(database());
    return exec(query, beginStatement());
}

JournalResult JournalConnection::commit()
{
    QSqlQuery query(database());
    JournalResult result = exec(query, u"COMMIT"_s);
    if (!result.ok())
        rollback();
    return result;
}

void JournalConnection::rollback()
{
    if (!m_open)
        return;
    QSqlQuery query(database());
    query.exec(u"ROLLBACK"_s);
}
