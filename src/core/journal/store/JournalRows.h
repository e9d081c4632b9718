#pragma once

#include "core/journal/store/HashChain.h"
#include "core/journal/store/JournalTypes.h"

#include <QList>
#include <QString>

class JournalConnection;
class QSqlQuery;

// One row of a station's chain as stored: a reading or an event.
struct ChainRow
{
    QString station;
    QString journal; // the journal's identity; on the lab server only
    bool isReading = false;
    JournalReading reading; // when isReading
    JournalEventRow event; // otherwise
    std::optional<QString> runId;
    QByteArray hash;
    // Any column that rows written before keying lack (offsets, write time) is set.
    bool hasLaterColumns = false;

    qint64 seq() const { return isReading ? reading.seq : event.seq; }
};

// How rows are read back, the same from the local file and from the lab server (whose tables
// and view carry the same columns).
class JournalRows
{
public:
    // The columns runFrom() reads, for a SELECT from runs.
    static QString runColumns();
    static JournalRun runFrom(const QSqlQuery &query);
    // A run's readings in number order.
    static JournalResult readings(JournalConnection &db, const QString &station,
                                  const QString &runId, QList<JournalReading> &out);

    // Every row of the chains in (station, journal, seq) order, readings and events together;
    // where, if given, applies to both tables (its values are bound twice).
    static QString chainQuery(bool server, const QString &where = {});
    static ChainRow chainRowFrom(const QSqlQuery &query);
};
