#pragma once

#include "core/journal/store/Journal.h"

#include <QList>
#include <QObject>
#include <QTimer>

#include <optional>

class MeasurementRun;

// Carries the measuring session's run into the results journal. Each Confirm is committed before
// the run takes the value, so the table never shows a row that a crash could lose. A write that
// fails leaves the measurement going on: the reading waits here, in memory, and is written (marked
// as late, with both times) as soon as the journal takes a write again, before anything newer.
// The journal becoming unavailable and available again is told once each through
// availabilityChanged. Without a journal it only forwards to the run.
class RunRecorder : public QObject
{
    Q_OBJECT

public:
    // How often readings left unsaved are tried again while nothing else writes.
    static constexpr int kRetryMs = 5000;

    explicit RunRecorder(MeasurementRun &run, QObject *parent = nullptr);

    // From now on runs go to journal (none: the run alone), under the login texts given, on the
    // device the line was opened on, with mode, constants and count from the run. opened is the
    // outcome of opening the journal; a failure is reported now.
    void start(Journal *journal, const RunHeader &login, const JournalResult &opened = {});

    // The run's next row with its time of Confirm; false once the run is complete. automatic: it
    // was confirmed by itself, once stable.
    bool confirm(const QDateTime &at, bool automatic = false);
    // The method the runs from now on are under (none: no method); before start().
    void setMethod(const std::optional<RunMethod> &method);
    // Mode, constants or N changed: the run in the table and the later ones leave the method.
    void leaveMethod(const QString &detail);
    // The verdict on the run in the table, once it is complete under its method.
    const std::optional<Verdict> &verdict() const { return m_verdict; }
    // Delete: the table is emptied and the journal's open run marked discarded, with the reason
    // and the account that gave it where accounts are in use.
    void deleteRun(const QString &reason = {}, const QString &by = {});
    // The account that confirms from now on, and starts the runs after the current one (as their
    // inspector too).
    void setAccount(const QString &account);
    // The mode dialog's OK.
    void applyMode(MeasurementMode mode, const ModeConstants &constants);
    void noteEvent(JournalEvent event, const QString &detail = {});
    void linkLost(const QString &reason);
    void linkOpened(const QString &device);

    // A run a crash or an exit left open, with its readings.
    std::optional<JournalRun> findRecoverable(QList<JournalReading> &readings);
    // Takes the run over for restoredBy (the current login) and refills it; the runs after it are
    // recorded under the current login again. Fails, changing nothing, when another instance
    // took it first.
    JournalResult continueRun(const JournalRun &run, const QList<JournalReading> &readings,
                              const QString &restoredBy);
    void abandonRun(const JournalRun &run);

    bool isAvailable() const { return m_available; }

signals:
    void availabilityChanged(bool available, const JournalResult &result);
    // A write reached the journal; it is visible to other connections from now on.
    void committed();

private:
    bool recording() const { return m_journal && m_journal->isOpen(); }
    RunHeader headerForNewRuns() const;
    void note(const JournalResult &result);
    void wrote(const JournalResult &result);
    void writeUnsaved();

    MeasurementRun &m_run;
    Journal *m_journal = nullptr;
    RunHeader m_login;
    bool m_available = true;
    bool m_linkDown = false;
    bool m_refilling = false;
    QString m_port; // the device the line was last opened on
    QList<ConfirmedReading> m_unsaved;
    QTimer m_retry;
    std::optional<RunMethod> m_method;
    std::optional<Verdict> m_verdict;
};
