#pragma once

// An editor of a journal file behind the program's back, as verify must catch it.

#include "core/journal/store/ChainKey.h"
#include "core/journal/store/HashChain.h"
#include "core/journal/store/JournalLocation.h"
#include "core/journal/store/JournalRows.h"
#include "core/journal/store/JournalSchema.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

// One statement a line.
inline void Exec(const QString &path, const QString &statements)
{
    SqliteConnection db;
    QVERIFY(JournalSchema::Open(db, path, SqliteConnection::OpenMode::Write).ok());
    QSqlQuery query(db.database());
    for (const QString &sql : statements.split(u'\n', Qt::SkipEmptyParts))
        QVERIFY2(query.exec(sql),
                 qPrintable(sql + QStringLiteral(": ") + query.lastError().text()));
}

// Triggers and foreign keys out of the way first.
inline void Edit(const QString &path, const QString &statements)
{
    QStringList drops { QStringLiteral("PRAGMA foreign_keys = OFF") };
    for (const char *trigger : { "readings_kept", "readings_not_deleted", "events_kept",
                                 "events_not_deleted", "runs_not_deleted", "runs_closed_once",
                                 "identity_kept", "passwords_kept", "passwords_not_deleted" })
        drops << QStringLiteral("DROP TRIGGER ") + QLatin1StringView(trigger);
    Exec(path, drops.join(u'\n') + u'\n' + statements);
}

// The editor's last step: every hash recomputed, plain or, with the station's key, keyed.
inline void Forge(const QString &path, const QByteArray &key)
{
    SqliteConnection db;
    QVERIFY(JournalSchema::Open(db, path, SqliteConnection::OpenMode::Write).ok());
    QString identity;
    QVERIFY(JournalSchema::ReadIdentity(db, identity).ok());
    const HashChain chain = key.isEmpty() ? HashChain() : HashChain(key, identity);
    QSqlQuery rows(db.database()), update(db.database());
    QVERIFY(rows.exec(JournalRows::chainQuery(false)));
    QByteArray previous;
    while (rows.next()) {
        const ChainRow row = JournalRows::chainRowFrom(rows);
        previous = row.isReading ? chain.readingHash(previous, row.station, *row.runId, row.reading)
                                 : chain.eventHash(previous, row.station, row.event);
        QVERIFY(update.exec(
            QStringLiteral("UPDATE %1 SET hash = x'%2' WHERE seq = %3")
                .arg(row.isReading ? QStringLiteral("readings") : QStringLiteral("events"),
                     QString::fromLatin1(previous.toHex()))
                .arg(row.seq())));
    }
}

inline QByteArray KeyBeside(const QString &path)
{
    QByteArray key;
    ChainKey::load(ChainKeyPath(path), key);
    return key;
}
