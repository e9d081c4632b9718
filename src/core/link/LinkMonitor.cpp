#include "core/link/LinkMonitor.h"

#include "core/link/CSerialPort.h"
#include "core/link/FrameScanner.h"

#include <algorithm>
#include <limits>

namespace {

// A tolerance beyond this is no tolerance: the setting was mistyped.
constexpr double kLargestTolerance = 10.0;
constexpr int kLongestStableSeconds = 60;

} // namespace

LinkMonitor::Options LinkMonitor::Options::fromSettings(const QString &tolerance, int seconds)
{
    Options options;
    bool ok = false;
    const double value = tolerance.trimmed().toDouble(&ok);
    if (ok && value >= 0 && value <= kLargestTolerance)
        options.stableTolerance = value;
    if (seconds >= 1 && seconds <= kLongestStableSeconds)
        options.stableSeconds = seconds;
    return options;
}

LinkMonitor::LinkMonitor(QObject *parent)
    : LinkMonitor(Options(), parent)
{ }

LinkMonitor::LinkMonitor(const Options &options, QObject *parent)
    : QObject(parent)
    , m_options(options)
    , m_stability(options.stableTolerance, qint64(options.stableSeconds) * 1000)
{
    m_clock.start();
    // Precise: each fires once, when due, where a coarse timer wakes the thread up to three times.
    m_silence.setTimerType(Qt::PreciseTimer);
    m_stableDue.setTimerType(Qt::PreciseTimer);
    m_silence.setSingleShot(true);
    connect(&m_silence, &QTimer::timeout, this, &LinkMonitor::onSilenceDue);
    m_stableDue.setSingleShot(true);
    connect(&m_stableDue, &QTimer::timeout, this, &LinkMonitor::updateStability);
}

void LinkMonitor::watch(const CSerialPort &port)
{
    connect(&port, &CSerialPort::opened, this, &LinkMonitor::onOpened);
    connect(&port, &CSerialPort::openFailed, this, &LinkMonitor::onOpenFailed);
    connect(&port, &CSerialPort::linkLost, this, &LinkMonitor::onLinkLost);
    connect(&port, &CSerialPort::reconnecting, this, &LinkMonitor::onReconnecting);
    connect(&port, &CSerialPort::otherDevice, this, &LinkMonitor::onOtherDevice);
}

void LinkMonitor::onOpened(const QString &device)
{
    m_device = device;
    m_reason.clear();
    m_attempt = 0;
    m_lastFrameMs = m_clock.elapsed();
    m_silence.start(m_options.silentMs);
    setState(State::Connected);
}

void LinkMonitor::onOpenFailed(const PortError &error)
{
    m_device = error.device;
    m_reason = error.text();
    setState(State::NotConnected);
}

void LinkMonitor::onLinkLost(const QString &reason)
{
    m_reason = reason;
    setState(State::Lost);
}

void LinkMonitor::onReconnecting(int attempt)
{
    m_attempt = attempt;
    setState(State::Reconnecting);
}

void LinkMonitor::onOtherDevice(const QString &device)
{
    // The channel looks again at every attempt; the same finding is no news.
    if (m_state == State::OtherDevice && m_device == device)
        return;
    m_device = device;
    m_reason = PortError { PortError::Kind::OtherDevice, device, {} }.text();
    setState(State::OtherDevice);
}

void LinkMonitor::noteFrame(const FrameEvent &event)
{
    // What a lost link still delivers was received before the loss: no sign of life.
    if (!isLive())
        return;
    const qint64 now = m_clock.elapsed();
    m_lastFrameMs = now;
    if (!m_silence.isActive())
        m_silence.start(m_options.silentMs);
    if (m_state == State::Silent)
        setState(State::Connected);

    if (event.kind == FrameEvent::Kind::Status)
        return;
    const double degrees = event.kind == FrameEvent::Kind::Reading ? event.reading * 0.001 : 0.0;
    m_lastReadingMs = now;
    m_stability.add(now, degrees);
    updateStability();
}

qint64 LinkMonitor::readingAgeMs() const
{
    return m_lastReadingMs < 0 ? -1 : m_clock.elapsed() - m_lastReadingMs;
}

void LinkMonitor::setState(State state)
{
    m_state = state;
    if (!isLive())
        m_silence.stop();
    // A reading from before a gap proves nothing about the ones after it.
    if (state != State::Connected)
        m_stability.clear();
    updateStability();
    emit changed();
}

void LinkMonitor::onSilenceDue()
{
    if (m_state != State::Connected)
        return;
    // Pushed on here, not at every frame: a steady stream costs one wake-up per period.
    const qint64 quiet = m_clock.elapsed() - m_lastFrameMs;
    if (quiet < m_options.silentMs)
        return m_silence.start(int(m_options.silentMs - quiet));
    setState(State::Silent);
}

void LinkMonitor::updateStability()
{
    const qint64 now = m_clock.elapsed();
    const bool counts = m_state == State::Connected && m_stability.hasReading();
    const bool stable = counts && m_stability.isStable(now);
    if (counts && !stable) {
        const int wait =
            int(std::min<qint64>(m_stability.stableFrom() - now, std::numeric_limits<int>::max()));
        if (!m_stableDue.isActive() || m_stableDue.remainingTime() > wait)
            m_stableDue.start(wait);
    } else {
        m_stableDue.stop();
    }
    if (stable == m_stable && counts == m_stabilityShown)
        return;
    m_stable = stable;
    m_stabilityShown = counts;
    emit changed();
}

QString LinkMonitor::stateText() const
{
    switch (m_state) {
    case State::NotConnected:
        return tr("未连接");
    case State::Connected:
        return tr("已连接");
    case State::Silent:
        return tr("无数据");
    case State::Lost:
        return tr("连接中断");
    case State::Reconnecting:
        return tr("正在重连");
    case State::OtherDevice:
        return tr("设备不符");
    }
    return {};
}

QString LinkMonitor::detailText() const
{
    switch (m_state) {
    case State::NotConnected:
    case State::OtherDevice:
        return m_reason;
    case State::Connected:
        return m_device;
    case State::Silent:
        return tr("%1 秒无有效数据").arg(m_options.silentMs / 1000);
    case State::Lost:
        return m_reason.isEmpty() ? m_device : tr("%1：%2").arg(m_device, m_reason);
    case State::Reconnecting:
        return tr("%1：第 %2 次重连").arg(m_device).arg(m_attempt);
    }
    return {};
}

QString LinkMonitor::stabilityText() const
{
    if (m_state != State::Connected || !m_stability.hasReading())
        return {};
    return m_stable ? tr("读数稳定") : tr("读数未稳定");
}

LinkMonitor::Tone LinkMonitor::stateTone() const
{
    switch (m_state) {
    case State::Connected:
        return Tone::Good;
    case State::Silent:
        return Tone::Caution;
    // Reconnecting is still no instrument: it must look as alarming as the loss itself.
    case State::Reconnecting:
    case State::NotConnected:
    case State::Lost:
    case State::OtherDevice:
        break;
    }
    return Tone::Fault;
}

QString LinkMonitor::confirmRefusal() const
{
    switch (m_state) {
    case State::Connected:
    case State::Silent:
        return {};
    case State::NotConnected:
        return tr("未连接仪器，读数未录入");
    case State::Lost:
    case State::Reconnecting:
    case State::OtherDevice:
        break;
    }
    return tr("连接中断，读数未录入");
}
