#pragma once

#include "core/journal/store/JournalTypes.h"
#include "core/journal/store/SqliteConnection.h"

#include <QList>
#include <QLockFile>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

// The write side of the results journal, as the main window uses it: one current run whose
// header is set by beginRun(); its row is written with its first reading. Every operation is one
// transaction and returns whether it was committed; a failed write leaves the journal as it was
// and the caller tells the user. Nothing is ever deleted or rewritten: a run is closed once
// (completed, discarded, abandoned) and everything else is a new event row.
class Journal
{
public:
    struct OpenOutcome
    {
        JournalResult result;
        QString movedAsideTo; // where a damaged journal was moved before a new one was started
        QString damage; // what was wrong with it
    };

    explicit Journal(QString station = DefaultStation());

    static QString DefaultStation();

    // Opens or creates the journal. A damaged file is moved aside under a name no file has and a
    // new journal is started in its place; a locked, unreadable or newer one is left alone.
    OpenOutcome open(const QString &path,
                     int busyTimeoutMs = SqliteConnection::kDefaultBusyTimeoutMs);
    bool isOpen() const { return m_db.isOpen(); }
    const QString &station() const { return m_station; }
    SqliteConnection &database() { return m_db; }

    // The header of the run that the next Confirm starts, and of every later one (a continued
    // run keeps its own).
    void beginRun(const RunHeader &header);
    const JournalRun &currentRun() const { return m_run; }
    bool currentRunStored() const { return m_runStored; }

    // Confirm: the reading, and the run's closing when it completes the run, in one transaction.
    JournalResult recordReading(const ConfirmedReading &reading);
    // Several readings in order in one transaction: those a failed write left unsaved, then the
    // new one.
    JournalResult recordReadings(const QList<ConfirmedReading> &readings);
    // Delete: an open run is closed as discarded; the next Confirm starts a new run.
    JournalResult deleteRun();
    // The mode dialog's OK: the change, and the open run discarded by it; new runs use it.
    JournalResult changeMode(MeasurementMode mode, const ModeConstants &constants);
    // The Sample button's OK: new runs use it; a run in progress notes it as an event.
    JournalResult changeSampleCount(int sampleCount);
    // Commands sent, link lost or restored; attached to the current run once it is stored.
    JournalResult recordEvent(JournalEvent event, const QString &detail = {});

    // Start-up: the newest run that a crash or an exit left open, with its readings to refill the
    // table; a run that another instance is measuring right now is not offered.
    JournalResult findRecoverableRun(std::optional<JournalRun> &run,
                                     QList<JournalReading> &readings);
    // Yes to the question: the run goes on as the current run, taken over by restoredBy (the
    // current login). Error::Claimed when another instance took it first.
    JournalResult continueRun(const JournalRun &run, const QString &restoredBy);
    // No: the run is kept, closed as abandoned.
    JournalResult abandonRun(const JournalRun &run);

private:
    struct ChainHead
    {
        qint64 seq = 0;
        QByteArray hash;
    };
    using Steps = std::function<JournalResult(ChainHead &)>;

    JournalResult write(const Steps &steps);
    JournalResult readHead(ChainHead &head);
    JournalResult insertRun(const JournalRun &run);
    JournalResult insertReading(ChainHead &head, const QString &runId, JournalReading &reading);
    JournalResult insertEvent(ChainHead &head, JournalEvent event, const QString &runId,
                              const QString &detail);
    // Writes the run's closing fields and the closing event.
    JournalResult closeRun(ChainHead &head, const JournalRun &run, JournalEvent event);
    JournalResult discardOpenRun(ChainHead &head, DiscardCause cause);
    QString eventRunId() const;
    void resetRun();
    // While a run is open here, a lock file beside the journal names this process, so that
    // another instance does not offer it back; a crashed process leaves a stale lock that any
    // later probe takes over.
    QString runLockPath(const QString &runId) const;
    void holdRun(const QString &runId);
    bool runInUse(const QString &runId) const;

    QString m_station;
    SqliteConnection m_db;
    RunHeader m_header; // for runs started from now on
    JournalRun m_run; // the current run
    bool m_runStored = false;
    std::unique_ptr<QLockFile> m_runLock;
};
