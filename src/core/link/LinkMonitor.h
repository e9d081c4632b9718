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
// its reading settled? Fed by the channel's signals (Watch) and by the decoder's valid frames
// (NoteFrame); tells the window by changed(), which it answers by painting the texts below.
//
// Timers run only while something can change without a frame: one single-shot for silence,
// pushed on only when it fires, and one for the moment the reading becomes stable. A connected
// line with no data wakes the program once, when it turns silent.
class LinkMonitor : public QObject
{
    Q_OBJECT

public:
    enum class State {
        NotConnected, // the port could not be opened (Reason() says why) or was never opened
        Connected,
        Silent, // connected, but no valid frame for SilentMs
        Lost, // the device went away; Reason() says so
        Reconnecting, // the channel tries to open the port again, Attempt() times so far
    };
    enum class Tone { Good, Caution, Fault };

    struct Options
    {
        double stableTolerance = 0.002; // degrees either side of the latest reading
        int stableSeconds = 3;
        int silentMs = 5000;

        // From the settings' texts: an unusable value (not a number, negative, absurdly large)
        // keeps its default.
        static Options FromSettings(const QString &tolerance, int seconds);
    };

    explicit LinkMonitor(QObject *parent = nullptr);
    explicit LinkMonitor(const Options &options, QObject *parent = nullptr);

    // Follows the channel's opening, loss and reconnection.
    void Watch(const CSerialPort &port);
    // Every valid frame the decoder acts on; readings (and zero readings) count for stability.
    void NoteFrame(const FrameEvent &event);

    // The channel's signals, public for a window that opens no port at all.
    void OnOpened(const QString &device);
    void OnOpenFailed(const PortError &error);
    void OnLinkLost(const QString &reason);
    void OnReconnecting(int attempt);

    State CurrentState() const { return m_state; }
    // Connected or silent: a confirmed reading then is one the instrument sent on this link.
    bool IsLive() const { return m_state == State::Connected || m_state == State::Silent; }
    bool IsStable() const { return m_bStable; }
    // Milliseconds since the last reading, -1 before the first one.
    qint64 ReadingAgeMs() const;
    const QString &Device() const { return m_strDevice; }
    const QString &Reason() const { return m_strReason; }
    int Attempt() const { return m_nAttempt; }

    // Short texts for the window (Chinese, English through the translation).
    QString StateText() const; // "已连接", "连接中断", ...
    QString DetailText() const; // the device, the reason, or what is awaited
    QString StabilityText() const; // empty without a live reading
    QString AgeText() const; // "3 秒前"; empty without a reading
    Tone StateTone() const;
    // Why Confirm enters nothing now; empty while the link is live.
    QString ConfirmRefusal() const;

signals:
    // State, detail or stability changed: repaint.
    void changed();

private:
    void SetState(State state);
    void OnSilenceDue();
    void UpdateStability();

    Options m_options;
    State m_state = State::NotConnected;
    QString m_strDevice;
    QString m_strReason;
    int m_nAttempt = 0;

    QElapsedTimer m_clock; // one monotonic clock for every time below
    qint64 m_lastFrameMs = -1;
    qint64 m_lastReadingMs = -1;
    ReadingStability m_stability;
    bool m_bStable = false;
    bool m_bStabilityShown = false; // StabilityText() not empty
    QTimer m_silence;
    QTimer m_stableDue;
};
