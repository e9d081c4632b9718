#include "core/session/RunRecorder.h"

#include "core/measure/MeasurementRun.h"

RunRecorder::RunRecorder(MeasurementRun &run, QObject *parent)
    : QObject(parent)
    , m_run(run)
{
    connect(&m_run, &MeasurementRun::sampleCountChanged, this, [this](int count) {
        if (m_journal)
            Wrote(m_journal->changeSampleCount(count));
    });
}

void RunRecorder::Start(Journal *journal, const RunHeader &login, const JournalResult &opened)
{
    m_journal = journal;
    if (!m_journal)
        return;
    RunHeader header = login;
    header.port = m_port;
    header.mode = m_run.Mode();
    header.constants = m_run.Constants();
    header.sampleCount = m_run.SampleCount();
    m_journal->beginRun(header);
    Note(opened.ok() && !m_journal->isOpen()
             ? JournalResult::Failure(JournalResult::Error::NotOpen, QString())
             : opened);
}

void RunRecorder::Wrote(const JournalResult &result)
{
    Note(result);
    if (result.ok())
        emit committed();
}

void RunRecorder::Note(const JournalResult &result)
{
    if (result.ok() == m_available)
        return;
    m_available = result.ok();
    emit availabilityChanged(m_available, result);
}

bool RunRecorder::Confirm()
{
    const std::optional<MeasurementRun::NextRow> next = m_run.NextConfirm();
    if (!next)
        return false;
    if (m_journal) {
        ConfirmedReading reading { next->number, m_run.ReceivedText(), next->value, std::nullopt,
                                   QDateTime::currentDateTime() };
        if (next->completes)
            reading.totals = RunTotals { next->mean, next->deviation };
        // Readings a failed write left out go in first, in order, marked as written late.
        m_unsaved << reading;
        const JournalResult result = m_journal->recordReadings(m_unsaved);
        if (result.ok())
            m_unsaved.clear();
        Wrote(result);
    }
    return m_run.Confirm();
}

void RunRecorder::Delete()
{
    m_unsaved.clear();
    if (m_journal)
        Wrote(m_journal->deleteRun());
    m_run.Clear();
}

void RunRecorder::ApplyMode(MeasurementMode mode, const ModeConstants &constants)
{
    m_unsaved.clear();
    if (m_journal)
        Wrote(m_journal->changeMode(mode, constants));
    m_run.ApplyMode(mode, constants);
}

void RunRecorder::CommandSent(JournalEvent event)
{
    if (m_journal)
        Wrote(m_journal->recordEvent(event));
}

void RunRecorder::LinkLost(const QString &reason)
{
    m_linkDown = true;
    if (m_journal)
        Wrote(m_journal->recordEvent(JournalEvent::LinkLost, reason));
}

void RunRecorder::LinkOpened(const QString &device)
{
    m_port = device;
    if (!std::exchange(m_linkDown, false))
        return;
    if (m_journal)
        Wrote(m_journal->recordEvent(JournalEvent::LinkRestored, device));
}

std::optional<JournalRun> RunRecorder::FindRecoverable(QList<JournalReading> &readings)
{
    std::optional<JournalRun> run;
    readings.clear();
    if (m_journal && m_journal->isOpen())
        Note(m_journal->findRecoverableRun(run, readings));
    return readings.isEmpty() ? std::nullopt : run;
}

void RunRecorder::Continue(const JournalRun &run, const QList<JournalReading> &readings)
{
    m_unsaved.clear();
    // The run's own mode and count, set before the journal takes it up, so that neither is
    // recorded as a change of the continued run.
    m_run.ApplyMode(run.header.mode, run.header.constants);
    m_run.SetSampleCount(run.header.sampleCount);
    for (const JournalReading &reading : readings)
        m_run.Enter(reading.value);
    // The session's login stays the journal's header for later runs; it is who restored this one.
    if (m_journal)
        Wrote(m_journal->continueRun(run, m_journal->currentRun().header.inspector));
}

void RunRecorder::Abandon(const JournalRun &run)
{
    if (m_journal)
        Wrote(m_journal->abandonRun(run));
}
