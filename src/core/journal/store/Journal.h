#pragma once

#include "core/journal/store/HashChain.h"
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
// and the caller tells the user. Nothing is ever deleted: rows are appended, and a run row's
// closing fields are written once, when it leaves "open" (completed, discarded, abandoned).
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

    // Opens or creates the journal, keyed with the station's key at keyPath (created on first
    // use; empty: beside the journal). A damaged journal of ours is moved aside under a name no
    // file has and a new journal is started in its place; a locked, unreadable or newer one, a
    // file that is not a journal of ours, and a journal whose chain another key wrote are left
    // alone.
    OpenOutcome open(const QString &path, const QString &keyPath = {},
                     int busyTimeoutMs = SqliteConnection::kDefaultBusyTimeoutMs);
    bool isOpen() const { return m_db.isOpen(); }
    const QString &station() const { return m_station; }
    SqliteConnection &database() { return m_db; }

    // The header of the run that the next Confirm starts, and of every later one (a continued
    // run keeps its own).
    void beginRun(const RunHeader &header);
    const JournalRun &currentRun() const { return m_run; }

    // Confirms in order, in one transaction: readings an earlier failed write left unsaved, then
    // the new one. Each must be the next reading of the run (its number is its row in the
    // table), or nothing is written. Totals, on the last one only, close the run as completed;
    // they must be the statistics of every reading the run then holds.
    JournalResult recordReadings(const QList<ConfirmedReading> &readings);
    JournalResult recordReading(const ConfirmedReading &reading)
    {
        return recordReadings({ reading });
    }
    // Delete: an open run is closed as discarded; the next Confirm starts a new run. Where
    // accounts are in use, the discard (or the Delete of a completed run) names the reason and
    // the account that gave it.
    JournalResult deleteRun(const QString &reason = {}, const QString &by = {});
    // The header of the runs started from now on (another account signed in); a stored run
    // keeps its own.
    void setNextRunHeader(const RunHeader &header);
    // The mode dialog's OK: the change, and the open run discarded by it; new runs use it.
    JournalResult changeMode(MeasurementMode mode, const ModeConstants &constants);
    // The Sample button's OK: new runs use it; a run in progress notes it as an event.
    JournalResult changeSampleCount(int sampleCount);
    // Commands sent, link lost or restored; attached to the current run once it is stored.
    JournalResult recordEvent(JournalEvent event, const QString &detail = {});
    // Mode, constants or N changed under a method: an open run that has its row leaves it (and
    // gets no verdict), later runs have none. Should the write fail, the event goes with the
    // run's next write.
    JournalResult leaveMethod(const QString &detail);
    // An event outside any run whose detail is made under the journal's write lock, from the
    // journal as it is then (a method's next version); a failure of makeDetail, or no detail
    // made (a null text), writes nothing.
    using DetailMaker = std::function<JournalResult(QString &detail)>;
    JournalResult appendEvent(JournalEvent event, const DetailMaker &makeDetail);

    // For rules kept outside the writer (accounts, signatures): in one transaction, steps read
    // what they decide on through database() and append their events, of kinds of their own, to
    // the chain; append gives the new row's number. A failed step rolls all of it back.
    using AppendEvent = std::function<JournalResult(const QString &kind, const QString &runId,
                                                    const QString &detail, qint64 &seq)>;
    JournalResult appendEvents(const std::function<JournalResult(const AppendEvent &)> &steps);

    // Start-up: the newest run that a crash or an exit left open, with its readings to refill the
    // table and the sampling count it had last; a run that another instance is measuring right
    // now is not offered.
    JournalResult findRecoverableRun(std::optional<JournalRun> &run,
                                     QList<JournalReading> &readings);
    // Yes to the question: the run is claimed for this process (Error::Claimed, naming the
    // holder, when another live process has it), and goes on as the current run; restoredBy is
    // the login that took it over. Later runs keep this session's header.
    JournalResult continueRun(const JournalRun &run, const QString &restoredBy);
    // No: the run is kept, closed as abandoned (unless another process holds it).
    JournalResult abandonRun(const JournalRun &run);

private:
    using Steps = std::function<JournalResult(ChainHead &)>;

    JournalResult openKeyed(const QString &path, const QString &keyPath, int busyTimeoutMs);
    JournalResult checkKey();
    JournalResult write(const Steps &steps);
    JournalResult insertRun(const JournalRun &run);
    JournalResult insertReading(ChainHead &head, const QString &runId, JournalReading &reading);
    JournalResult insertEvent(ChainHead &head, JournalEvent event, const QString &runId,
                              const QString &detail)
    {
        return insertEvent(head, EventText(event), runId, detail);
    }
    JournalResult insertEvent(ChainHead &head, const QString &kind, const QString &runId,
                              const QString &detail);
    // The run must still be open; its readings' values, count and last hash.
    JournalResult heldReadings(const QString &runId, QList<double> &values, RunClosing &held);
    // Writes the run's closing fields and the closing event.
    JournalResult closeRun(ChainHead &head, const JournalRun &run, JournalEvent event,
                           const RunClosing &given = {});
    JournalResult discardOpenRun(ChainHead &head, DiscardCause cause, const RunClosing &given = {});
    JournalResult writeMethodLeft(ChainHead &head);
    QString eventRunId() const;
    void resetRun();
    // While a run is open here, a lock file beside the journal names this process, so that
    // another instance neither offers nor takes it; a crashed process leaves a stale lock that
    // the next claim takes over.
    QString runLockPath(const QString &runId) const;
    JournalResult claimRun(const QString &runId, std::unique_ptr<QLockFile> &lock) const;
    bool runInUse(const QString &runId) const;

    QString m_station;
    SqliteConnection m_db;
    HashChain m_chain;
    RunHeader m_header; // for runs started from now on
    JournalRun m_run; // the current run
    bool m_runStored = false;
    std::unique_ptr<QLockFile> m_runLock;
    QString m_methodLeftDetail; // the current run's method-left event, not written yet
};
