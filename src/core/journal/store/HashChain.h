#pragma once

#include "core/journal/store/JournalTypes.h"

#include <QByteArray>
#include <QString>

#include <optional>

class JournalConnection;

// The last row of a station's chain.
struct ChainHead
{
    qint64 seq = 0;
    QByteArray hash;
};

// An event row as stored; an event outside any run has no run id (NULL, never '').
struct JournalEventRow
{
    qint64 seq = 0;
    QString at;
    std::optional<int> atOffset;
    std::optional<QString> runId;
    QString kind;
    QString detail;

    friend bool operator==(const JournalEventRow &, const JournalEventRow &) = default;
};

// What the closing event of a run names besides the run row's closing fields, so that readings
// cut off the end of a closed run show.
struct RunClosing
{
    int readings = 0;
    QByteArray lastHash; // of the run's last reading
    // Where accounts are in use, a Delete names its reason and who gave it.
    QString reason {};
    QString by {};
};

// The tamper evidence of the journal: every reading and event row stores a hash of its canonical
// content together with the hash of the station's previous row (readings and events in one
// sequence), so changing, removing or inserting a row breaks every hash after it.
//
// A keyed chain uses HMAC-SHA-256 with a key derived from the station's secret and the journal's
// identity: without the secret, no edit can be made to agree again, and a journal given another
// identity breaks every keyed row. Rows written before keying (by an older program) carry plain
// SHA-256 of an older canonical form that cannot tell NULL from an empty text; anyone can
// recompute those.
class HashChain
{
public:
    // Plain SHA-256: rows written before the chain was keyed.
    HashChain() = default;
    HashChain(const QByteArray &stationKey, const QString &journalId);

    bool isKeyed() const { return !m_key.isEmpty(); }
    QByteArray readingHash(const QByteArray &previous, const QString &station, const QString &runId,
                           const JournalReading &reading) const;
    QByteArray eventHash(const QByteArray &previous, const QString &station,
                         const JournalEventRow &event) const;

    // The station's last row in the local journal (seq 0 and no hash before its first row).
    static JournalResult ReadHead(JournalConnection &db, const QString &station, ChainHead &head);

    // The detail texts of the run-started and run-closing events: the run's header and its
    // closing fields, so that the chain also covers the run rows. A closing written by an older
    // program names no reading count and last hash.
    static QString StartDetail(const JournalRun &run);
    static QString CloseDetail(const JournalRun &run,
                               const std::optional<RunClosing> &closing = std::nullopt);
    // Parses what CloseDetail wrote: the closing, if it names one.
    static std::optional<RunClosing> ClosingOf(const QString &closeDetail);
    // Parses what StartDetail wrote of the run's method, and CloseDetail of its verdict.
    static std::optional<RunMethod> MethodOf(const QString &startDetail);
    static std::optional<Verdict> VerdictOf(const QString &closeDetail);
    // The detail of a mode change, in the encoding of the run-started event.
    static QString ModeDetail(MeasurementMode mode, const ModeConstants &constants);

private:
    QByteArray m_key;
};
