#pragma once

#include "core/journal/store/Journal.h"

#include <QList>
#include <QObject>

#include <optional>

class MeasurementRun;

// Carries the main window's run into the results journal. Each Confirm is committed before the
// run takes the value, so the table never shows a row that a crash could lose; a write that fails
// leaves the measurement going on as before and is reported through availabilityChanged, once
// when the journal becomes unavailable and once when it writes again. Without a journal it only
// forwards to the run.
class RunRecorder : public QObject
{
    Q_OBJECT

public:
    explicit RunRecorder(MeasurementRun &run, QObject *parent = nullptr);

    // From now on the run goes to journal (none: the run alone). Runs start with the login texts
    // given, the device the line was opened on, mode, constants and count from the run. opened is
    // the outcome of opening the journal; a failure is reported now.
    void Start(Journal *journal, const RunHeader &login, const JournalResult &opened = {});

    bool Confirm();
    // Delete: the table is emptied and the journal's open run marked discarded.
    void Delete();
    // The mode dialog's OK.
    void ApplyMode(MeasurementMode mode, const ModeConstants &constants);
    void CommandSent(JournalEvent event);
    void LinkLost(const QString &reason);
    void LinkOpened(const QString &device);

    // A run a crash or an exit left open, with its readings.
    std::optional<JournalRun> FindRecoverable(QList<JournalReading> &readings);
    // Refills the run as Confirms would, and the journal goes on with it.
    void Continue(const JournalRun &run, const QList<JournalReading> &readings);
    void Abandon(const JournalRun &run);

    bool HasJournal() const { return m_journal != nullptr; }
    bool IsAvailable() const { return m_available; }
    Journal *GetJournal() const { return m_journal; }

signals:
    void availabilityChanged(bool available, const JournalResult &result);
    // A write reached the journal; it is visible to other connections from now on.
    void committed();

private:
    void Note(const JournalResult &result);
    void Wrote(const JournalResult &result);

    MeasurementRun &m_run;
    Journal *m_journal = nullptr;
    bool m_available = true;
    bool m_linkDown = false;
    QString m_port; // the device the line was last opened on
    QList<ConfirmedReading> m_unsaved; // confirmed while the journal could not be written
};
