#include "core/measure/MeasurementRun.h"

#include "core/link/CSerialPort.h"
#include "core/measure/RunStatistics.h"

#include <algorithm>
#include <vector>

MeasurementRun::MeasurementRun(QObject *parent)
    : QObject(parent)
    , m_readingText(QLatin1StringView(kZeroDisplayText))
    , m_convertedText(m_readingText)
{
    m_lampFlash.setSingleShot(true);
    m_lampFlash.setInterval(kLampFlashMs);
    connect(&m_lampFlash, &QTimer::timeout, this, [this] { SetLamp(RestingLamp()); });
}

void MeasurementRun::DecodeBatch(RxBuffer &rx, const std::function<void()> &handBack)
{
    // Half-lit while data comes, for long enough to be seen; then lit if a status frame of this
    // batch lit it or the run is complete, else dark.
    m_bStatusLit = false;
    SetLamp(LampHalf);
    m_lampFlash.start();
    ScanHeldBytes(rx, [this](const FrameEvent &event) {
        emit frameDecoded(event);
        OnFrame(event);
    });
    handBack();
}

void MeasurementRun::DecodeBatch(CSerialPort &port, RxBuffer &rx)
{
    DecodeBatch(rx, [&port] { port.SetReadPermission(); });
}

void MeasurementRun::OnFrame(const FrameEvent &event)
{
    switch (event.kind) {
    case FrameEvent::Kind::Reading:
        OnReading(event.reading);
        break;
    case FrameEvent::Kind::ZeroReading:
        OnZeroReading();
        break;
    case FrameEvent::Kind::Zero:
        OnZero();
        break;
    case FrameEvent::Kind::Status:
        OnStatus();
        break;
    }
}

void MeasurementRun::OnReading(long thousandths)
{
    m_dDegrees = ReadingDegrees(thousandths);
    m_receivedText = QString::number(thousandths);
    m_readingText = FormatReadingText(thousandths);
    ConvertHeldReading();
    emit readingChanged();
}

void MeasurementRun::OnZeroReading()
{
    m_dDegrees.reset();
    m_receivedText = QStringLiteral("A");
    m_readingText = QLatin1StringView(kZeroDisplayText);
    ConvertHeldReading();
    emit readingChanged();
}

void MeasurementRun::OnZero()
{
    m_dDegrees.reset();
    m_receivedText.clear();
    m_dReading = 0.0;
    m_readingText = QLatin1StringView(kZeroDisplayText);
    m_convertedText = m_readingText;
    emit readingChanged();
}

void MeasurementRun::OnStatus()
{
    m_bStatusLit = true;
    if (!m_lampFlash.isActive())
        SetLamp(LampLit);
}

// The converted display and the value Confirm enters always come from the same held reading,
// so a new mode or new constants can never leave one of them stale.
void MeasurementRun::ConvertHeldReading()
{
    m_dReading = m_dDegrees ? ConvertReading(m_mode, *m_dDegrees, m_constants) : 0.0;
    if (m_mode == MeasurementMode::OpticalRotation)
        return;
    m_convertedText = m_dDegrees ? FormatConvertedValue(m_mode, m_dReading)
                                 : QString(QLatin1StringView(kZeroDisplayText));
}

std::optional<MeasurementRun::NextRow> MeasurementRun::Next(double value) const
{
    if (m_bComplete)
        return std::nullopt;
    NextRow next;
    next.number = RowCount() + 1;
    next.value = value;
    // The count is bounded by the store, so a run never holds more than the store.
    if (next.number < m_nSampleCount)
        return next;

    // The statistics are taken over the values in single precision, as the instrument's
    // software always has.
    std::vector<float> samples(m_values.size() + 1);
    std::transform(m_values.cbegin(), m_values.cend(), samples.begin(),
                   [](double held) { return static_cast<float>(held); });
    samples.back() = static_cast<float>(value);
    const RunStatistics statistics = ComputeRunStatistics(samples);
    next.completes = true;
    next.mean = FormatRunValue(static_cast<double>(statistics.mean));
    if (m_nSampleCount == kDeviationSampleCount)
        next.deviation = FormatRunValue(statistics.deviation);
    return next;
}

bool MeasurementRun::Confirm()
{
    return Enter(m_dReading);
}

bool MeasurementRun::Enter(double value)
{
    const std::optional<NextRow> next = Next(value);
    if (!next)
        return false;
    AppendRow(value);
    if (!next->completes)
        return true;
    m_meanText = next->mean;
    m_deviationText = next->deviation;
    m_bComplete = true;
    emit runCompleted();
    // Lit until Delete or the next run, whatever the instrument sends meanwhile.
    if (!m_lampFlash.isActive())
        SetLamp(LampLit);
    return true;
}

void MeasurementRun::Refill(const QList<double> &values)
{
    for (double value : values) {
        if (m_bComplete || RowCount() >= kSampleStoreSize)
            return;
        AppendRow(value);
    }
}

void MeasurementRun::AppendRow(double value)
{
    m_values.append(value);
    m_valueTexts.append(FormatRunValue(value));
    emit rowAdded(RowCount() - 1);
}

void MeasurementRun::Clear()
{
    m_values.clear();
    m_valueTexts.clear();
    m_meanText.clear();
    m_deviationText.clear();
    m_bComplete = false;
    emit cleared();
    m_lampFlash.stop();
    m_bStatusLit = false;
    SetLamp(LampDark);
}

void MeasurementRun::ApplyMode(MeasurementMode mode, const ModeConstants &constants)
{
    Clear();
    m_mode = mode;
    m_constants = constants;
    ConvertHeldReading();
    emit modeApplied();
    emit readingChanged();
}

void MeasurementRun::SetSampleCount(int count)
{
    m_nSampleCount = std::clamp(count, 1, kSampleStoreSize);
    emit sampleCountChanged(m_nSampleCount);
}

void MeasurementRun::SetLamp(Lamp state)
{
    m_lamp = state;
    emit lampChanged(state);
}
