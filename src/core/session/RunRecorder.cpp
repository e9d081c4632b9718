#include "core/session/RunRecorder.h"

#include "core/journal/methods/MethodVerdict.h"
#include "core/measure/MeasurementRun.h"

#include <QScopedValueRollback>

RunRecorder::RunRecorder(MeasurementRun &run, QObject *parent)
    : QObject(parent)
    , m_run(run)
{
    connect(&m_run, &MeasurementRun::sampleCountChanged, this, [this](int count) {
        if (recording() && !m_refilling)
            wrote(m_journal->changeSampleCount(count));
    });
    m_retry.setInterval(kRetryMs);
    connect(&m_retry, &QTimer::timeout, this, &RunRecorder::writeUnsaved);
    connect(&m_run, &MeasurementRun::cleared, this, [this] { m_verdict.reset(); });
}

void RunRecorder::start(Journal *journal, const RunHeader &login, const JournalResult &opened)
{
    m_journal = journal;
    m_login = login;
    if (!m_journal)
        return;
    m_journal->beginRun(headerForNewRuns());
    note(opened.ok() && !m_journal->isOpen()
             ? JournalResult::Failure(JournalResult::Error::NotOpen, QString())
             : opened);
}

RunHeader RunRecorder::headerForNewRuns() const
{
    RunHeader header = m_login;
    header.port = m_port;
    header.mode = m_run.Mode();
    header.constants = m_run.Constants();
    header.sampleCount = m_run.SampleCount();
    header.method = m_method;
    return header;
}

void RunRecorder::setMethod(const std::optional<RunMethod> &method)
{
    m_method = method;
}

void RunRecorder::leaveMethod(const QString &detail)
{
    m_method.reset();
    if (recording())
        wrote(m_journal->leaveMethod(detail));
}

void RunRecorder::wrote(const JournalResult &result)
{
    note(result);
    if (!result.ok())
        return;
    emit committed();
    // The journal takes writes again: what waited goes now, before anything newer.
    if (!m_unsaved.isEmpty())
        writeUnsaved();
}

void RunRecorder::note(const JournalResult &result)
{
    if (result.ok() == m_available)
        return;
    m_available = result.ok();
    emit availabilityChanged(m_available, result);
}

void RunRecorder::writeUnsaved()
{
    if (m_unsaved.isEmpty() || !recording()) {
        m_retry.stop();
        return;
    }
    const JournalResult result = m_journal->recordReadings(m_unsaved);
    note(result);
    if (!result.ok())
        return;
    m_unsaved.clear();
    m_retry.stop();
    emit committed();
}

bool RunRecorder::confirm(const QDateTime &at, bool automatic)
{
    const std::optional<MeasurementRun::NextRow> next = m_run.NextConfirm();
    if (!next)
        return false;
    // Judged before the run takes the value, so that the window shows it with the mean.
    if (next->completes && m_method) {
        QList<double> values = m_run.Values();
        values.append(next->value);
        m_verdict = JudgeRun(*m_method, values);
    }
    if (recording()) {
        ConfirmedReading reading { next->number, m_run.ReceivedText(), next->value, std::nullopt,
                                   at,           m_login.account,      automatic };
        if (next->completes) {
            reading.totals = RunTotals { next->mean, next->deviation };
            reading.verdict = m_verdict;
        }
        QList<ConfirmedReading> readings = m_unsaved;
        readings.append(reading);
        const JournalResult result = m_journal->recordReadings(readings);
        note(result);
        if (result.ok()) {
            m_unsaved.clear();
            m_retry.stop();
            emit committed();
        } else {
            m_unsaved.append(reading);
            if (!m_retry.isActive())
                m_retry.start();
        }
    }
    return m_run.Confirm();
}

void RunRecorder::deleteRun(const QString &reason, const QString &by)
{
    if (recording()) {
        // The discarded run keeps every reading it had, then it is closed.
        writeUnsaved();
        m_unsaved.clear();
        m_retry.stop();
        wrote(m_journal->deleteRun(reason, by));
    }
    m_run.Clear();
}

void RunRecorder::setAccount(const QString &account)
{
    m_login.account = account;
    m_login.inspector = account;
    if (recording())
        m_journal->setNextRunHeader(headerForNewRuns());
}

void RunRecorder::applyMode(MeasurementMode mode, const ModeConstants &constants)
{
    if (recording()) {
        writeUnsaved();
        m_unsaved.clear();
        m_retry.stop();
        wrote(m_journal->changeMode(mode, constants));
    }
    m_run.ApplyMode(mode, constants);
}

void RunRecorder::noteEvent(JournalEvent event, const QString &detail)
{
    if (recording())
        wrote(m_journal->recordEvent(event, detail));
}

void RunRecorder::linkLost(const QString &reason)
{
    m_linkDown = true;
    noteEvent(JournalEvent::LinkLost, reason);
}

void RunRecorder::linkOpened(const QString &device)
{
    m_port = device;
    if (std::exchange(m_linkDown, false))
        noteEvent(JournalEvent::LinkRestored, device);
}

std::optional<JournalRun> RunRecorder::findRecoverable(QList<JournalReading> &readings)
{
    std::optional<JournalRun> run;
    readings.clear();
    if (recording())
        note(m_journal->findRecoverableRun(run, readings));
    return readings.isEmpty() ? std::nullopt : run;
}

JournalResult RunRecorder::continueRun(const JournalRun &run, const QList<JournalReading> &readings,
                                       const QString &restoredBy)
{
    if (recording()) {
        // The runs after this one are the current login's, in the run's mode and count.
        RunHeader header = m_login;
        header.port = m_port;
        header.mode = run.header.mode;
        header.constants = run.header.constants;
        header.sampleCount = run.header.sampleCount;
        header.method = run.leftMethod ? std::nullopt : run.header.method;
        m_journal->beginRun(header);
        const JournalResult result = m_journal->continueRun(run, restoredBy);
        if (result.error == JournalResult::Error::Claimed) {
            m_journal->beginRun(headerForNewRuns());
            return result;
        }
        wrote(result);
    }
    m_method = run.leftMethod ? std::nullopt : run.header.method;
    // The run's own mode and count are its state, not changes of it.
    const QScopedValueRollback refilling(m_refilling, true);
    m_run.ApplyMode(run.header.mode, run.header.constants);
    m_run.SetSampleCount(run.header.sampleCount);
    QList<double> values;
    for (const JournalReading &reading : readings)
        values.append(reading.value);
    m_run.Refill(values);
    return {};
}

void RunRecorder::abandonRun(const JournalRun &run)
{
    if (recording())
        wrote(m_journal->abandonRun(run));
}
