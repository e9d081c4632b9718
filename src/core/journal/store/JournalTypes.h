#pragma once

#include "core/measure/Conversions.h"
#include "core/measure/RunStatistics.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

// The outcome of every journal operation. A failure carries its kind, so that the window can show
// its own translated message, and SQLite's text for the details.
struct JournalResult
{
    enum class Error {
        None,
        CannotOpen, // the file or its folder cannot be opened or created
        ReadOnly,
        DiskFull,
        Locked, // another writer held the journal past the busy timeout
        Corrupt,
        NewerVersion, // written by a newer program; left untouched
        NotOpen,
        Unreachable, // a lab server that cannot be reached, or a connection cut
        Refused, // a lab server that refused the login or the statement
        Mismatch, // a lab server that holds other rows under this station's keys
        NotJournal, // a file that is not a journal of this program; it is left as it is
        Claimed, // another live process holds the run; the text names its host and process id
        Other,
    };

    Error error = Error::None;
    QString text;

    bool ok() const { return error == Error::None; }
    static JournalResult Failure(Error error, const QString &text) { return { error, text }; }
};

enum class RunStatus { Open, Completed, Discarded, Abandoned };

// Why an open run was closed without completing; stored as text.
enum class DiscardCause { Deleted, ModeChanged };

enum class JournalEvent {
    RunStarted,
    RunCompleted,
    RunDiscarded,
    RunAbandoned,
    RunRestored,
    RunDeleted, // Delete on a completed run: the table was emptied, the run stays complete
    ZeroSent,
    RetestPlusSent,
    RetestMinusSent,
    ModeChanged,
    SampleCountChanged,
    LinkLost,
    LinkRestored,
    CommandRefused, // a command the line did not take: nothing was sent
    // The first row of a chain keyed with the station's key; the rows before it (written by an
    // older program) carry plain hashes only. A chain without it is keyed from its first row.
    ChainKeyed,
    // A method's new version, and its retirement; outside any run, their detail the method.
    MethodSet,
    MethodRetired,
    // Mode, constants or N changed under a method: the run has left it and gets no verdict.
    MethodLeft,
};

QString StatusText(RunStatus status);
std::optional<RunStatus> StatusFromText(const QString &text);
QString CauseText(DiscardCause cause);
QString EventText(JournalEvent event);
// The events that close a run: completed, discarded, abandoned.
bool IsClosingEvent(const QString &kind);

// Whether a completed run under a method met its limits; stored as text.
enum class Verdict { Pass, Fail };
QString VerdictText(Verdict verdict);
std::optional<Verdict> VerdictFromText(const QString &text);

// What a run under a method records of it: which one, and what its verdict is made of. The mode,
// constants and N are the run's own.
struct RunMethod
{
    QString name;
    int version = 0;
    std::optional<double> lower;
    std::optional<double> upper;
    int decimals = 3; // of the result that is judged

    friend bool operator==(const RunMethod &, const RunMethod &) = default;
};

// What a run is measured under, as the login dialog, the sampling count and the mode set it.
struct RunHeader
{
    QString port; // the device path of the serial line
    QString unit;
    QString sampleName;
    QString batchNo;
    QString inspector;
    int sampleCount = 12;
    MeasurementMode mode = MeasurementMode::OpticalRotation;
    ModeConstants constants;
    QString account {}; // the account signed in as the run started; empty without accounts
    std::optional<RunMethod> method {}; // none: measured without a method
};

// The statistics texts of a completed run, exactly as the table shows them.
struct RunTotals
{
    QString mean;
    QString deviation;
};

// Whether the texts are the statistics of these values as the table computes them (over the
// values in single precision); an empty deviation is one the table does not show.
bool TotalsMatch(const RunTotals &totals, const QList<double> &values);

// One Confirm: the row number (1-based), the reading text as the instrument sent it (thousandths
// of a degree, "A", or empty before any reading) and the value entered in the table.
struct ConfirmedReading
{
    int number = 0;
    QString received;
    double value = 0.0;
    std::optional<RunTotals> totals; // on the Confirm that completes the run
    QDateTime confirmedAt {}; // when Confirm was pressed; invalid: when it is written
    QString account {}; // who confirmed it; empty without accounts
    bool autoConfirmed = false; // confirmed by itself once the reading was stable
    std::optional<Verdict> verdict {}; // with the totals of a run under its method
};

struct JournalRun
{
    qint64 rowId = 0; // local paging key only; station and id name a run everywhere
    QString station;
    QString id;
    RunHeader header;
    QString startedAt; // UTC, ISO 8601 with milliseconds, as stored
    std::optional<int> startedOffset; // seconds east of UTC of the recording clock
    QString endedAt;
    std::optional<int> endedOffset;
    RunStatus status = RunStatus::Open;
    QString cause;
    RunTotals totals;
    int readingCount = 0;
    std::optional<Verdict> verdict {}; // a completed run under its method
    bool leftMethod = false; // an input left the method (known to the writer only)
    // The header keeps the count the run started with, as its start event states it; a count
    // given during the run is an event of its own, and the last one is the run's count.
    std::optional<int> changedSampleCount {};

    int sampleCount() const { return changedSampleCount.value_or(header.sampleCount); }
};

// Rows written before the offsets were stored have none; their times show in the reader's zone.
struct JournalReading
{
    qint64 seq = 0;
    int number = 0;
    QString received;
    double value = 0.0;
    QString confirmedAt;
    std::optional<int> confirmedOffset {};
    QString writtenAt {}; // empty for rows written before it was stored
    std::optional<int> writtenOffset {};
    std::optional<QString> account {}; // who confirmed it, where accounts are in use
    bool autoConfirmed = false;

    // Written more than a second after its Confirm: the journal was unavailable then.
    bool writtenLate() const;

    friend bool operator==(const JournalReading &, const JournalReading &) = default;
};

// Timestamps: UTC, ISO 8601 with milliseconds ("2026-12-07T03:15:00.123Z"), so that text order
// is time order in the database.
QString JournalTimestamp(const QDateTime &time);
QDateTime FromJournalTimestamp(const QString &text);
// A stored time at the offset it was recorded with, or in local time when it has none.
QDateTime RecordedTime(const QString &text, std::optional<int> offset);
// The offset from UTC of this computer's clock at that moment, as stored with a time.
int LocalOffsetAt(const QDateTime &time);
