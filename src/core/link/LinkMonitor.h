#pragma once

#include "core/link/PortError.h"
#include "core/link/ReadingStability.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

class CSerialPort;
struct FrameEvent;

// What the inspector must know before confirming: is the instrument there and talking, and has
// its reading settled? Fed by the channel's signals (watch) and by the decoder's valid frames
// (noteFrame); tells the window by changed(), which it answers by painting the texts below.
//
// Timers run only while something can change without a frame: one single-shot for silence,
// pushed on only when it fires, and one for the moment the reading becomes stable. A connected
// line with no data wakes the program once, when it turns silent.
class LinkMonitor : public QObject
{
    Q_OBJECT

public:
    enum class State {
        NotConnected, // the port could not be opened (the detail says why) or was never opened
        Connected,
        Silent, // connected, but no valid frame for silentMs
        Lost, // the device went away; the detail says so
        Reconnecting, // the channel tries to open the port again, attempt() times so far
        // Another device appeared at the port; the channel leaves it alone until the port is
        // chosen again.
        OtherDevice,
    };
    enum class Tone { Good, Caution, Fault };

    struct Options
    {
        double stableTolerance = 0.002; // degrees either side of the latest reading
        int stableSeconds = 3;
        int silentMs = 5000;

        // From the settings' texts: an unusable value (not a number, negative, absurdly large)
        // keeps its default.
        static Options fromSettings(const QString &tolerance, int seconds);
    };

    explicit LinkMonitor(QObject *parent = nullptr);
    explicit LinkMonitor(const Options &options, QObject *parent = nullptr);

    // Follows the channel's opening, loss and reconnection.
    void watch(const CSerialPort &port);
    // Every valid frame the decoder acts on; readings (and zero readings) count for stability.
    void noteFrame(const FrameEvent &event);

    // The channel's signals, public for a window that opens no port at all.
    void onOpened(const QString &device);
    void onOpenFailed(const PortError &error);
    void onLinkLost(const QString &reason);
    void onReconnecting(int attempt);
    void onOtherDevice(const QString &device);

    State state() const { return m_state; }
    // Connected or silent: a confirmed reading then is one the instrument sent on this link.
    bool isLive() const { return m_state == State::Connected || m_state == State::Silent; }
    bool isStable() const { return m_stable; }
    // Milliseconds since the last reading, -1 before the first one.
    qint64 readingAgeMs() const;
    int attempt() const { return m_attempt; }

    // Short texts for the window (Chinese, English through the translation).
    QString stateText() const; // "已连接", "连接中断", ...
    QString detailText() const; // the device, the reason, or what is awaited
    QString stabilityText() const; // empty without a live reading
    Tone stateTone() const;
    // Why Confirm enters nothing now; empty while the link is live.
    QString confirmRefusal() const;

signals:
    // State, detail or stability changed: repaint.
    void changed();

private:
    void setState(State state);
    void onSilenceDue();
    void updateStability();

    Options m_options;
    State m_state = State::NotConnected;
    QString m_device;
    QString m_reason;
    int m_attempt = 0;

    QElapsedTimer m_clock; // one monotonic clock for every time below
    qint64 m_lastFrameMs = -1;
    qint64 m_lastReadingMs = -1;
    ReadingStability m_stability;
    bool m_stable = false;
    bool m_stabilityShown = false; // stabilityText() not empty
    QTimer m_silence;
    QTimer m_stableDue;
};
