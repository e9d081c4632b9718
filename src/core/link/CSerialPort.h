#pragma once

#include "core/link/DeviceIdentity.h"
#include "core/link/PortError.h"
#include "core/link/PortName.h"
#include "core/link/RxBuffer.h"

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QTimer>

#include <atomic>
#include <cstdint>
#include <future>
#include <memory>
#include <mutex>
#include <span>

class QThread;

// The serial channel to the polarimeter: one port and one receive thread.
//
// The receive thread creates, uses and destroys the QSerialPort; no other thread touches it.
// Each Open(), and each reopening after a lost link, is a session with a thread of its own and
// an empty receive area, so nothing of a lost session is delivered twice or spoils the next.
// It reads each burst (at most the free room of the receive area) into the channel's RxBuffer and
// posts serialData to the channel's thread. The handler owns the RxBuffer until it calls
// SetReadPermission(), which must be its last action on the channel; the receive thread reads
// nothing more until then. The thread never waits on the user-interface thread (it posts and
// returns to its event loop), so Close() can always stop it promptly.
//
// All public functions belong to the thread that created the channel.
class CSerialPort : public QObject
{
    Q_OBJECT

public:
    explicit CSerialPort(QObject *parent = nullptr);
    ~CSerialPort() override;

    // Port name as the user chose it ("COM3", or a device path); codes as in the settings:
    // parity 0 none, 1 even, 2 odd; stop bits 1 one, 2 two, 3 one and a half.
    // Takes effect at the next Open().
    void Configure(const QString &portName, int baudRate, int byteSize, int parity, int stopBits);
    // Where "COM<n>" names are looked up at Open(); see ResolvePortDevice.
    void SetPortLookup(PortLookup lookup);
    // While the link is lost, try to open the same port again every `intervalMs` until it opens
    // (0, the default: stay lost until Close). The timer runs only while the link is lost.
    // Each attempt resolves the port name afresh and opens only the device that Open() opened;
    // another device at the port is left untouched (otherDevice) until AcceptNewDevice().
    void SetReconnectInterval(int intervalMs);

    // Opens the port exclusively, applies the line settings, raises DTR where the device has it
    // and starts the receive thread. FALSE when already running or when the port cannot be
    // opened or set up; then nothing stays open and LastOpenError() says why.
    bool Open();
    // Stops the receive thread and closes the port. Does nothing unless running. Never waits on
    // the owner: safe in every state, also from the owner's destructor or from a serialData
    // handler.
    void Close();
    // The inspector chose the port again: opens it afresh, as configured now, and the device
    // found there becomes the one to reconnect to. Returns what Open() returns.
    bool AcceptNewDevice();

    // Queues the bytes for the line, in order and complete, and returns their count; -1 when the
    // channel is not running or its link is lost. The receive thread writes them.
    int Write(std::span<const std::uint8_t> bytes);

    // Ends the owner's turn with the RxBuffer of the last serialData; the receive thread may read
    // again.
    void SetReadPermission();

    bool IsRunning() const { return m_bRunning; }
    // Why the last Open() or reconnect attempt failed; empty after one that succeeded.
    const PortError &LastOpenError() const { return m_openError; }
    // Held bytes dropped because the receive area was full of bytes that no frame could consume.
    qint64 DroppedByteCount() const { return m_nDropped.load(std::memory_order_relaxed); }

signals:
    // New bytes lie behind the ones held before. Connect directly; the handler scans `rx` and
    // ends with port->SetReadPermission().
    void serialData(CSerialPort *port, RxBuffer *rx);
    // The device went away or the line failed; the channel receives nothing more. Close() still
    // completes. `reason` says so in the interface language.
    void linkLost(const QString &reason);
    // Open() or a reconnect attempt succeeded: frames may flow from `device`.
    void opened(const QString &device);
    // Open() failed (a failed reconnect attempt is no news: the link stays lost).
    void openFailed(const PortError &error);
    // Reconnect attempt `attempt` (1, 2, ...) found no device to open; the next one follows.
    void reconnecting(int attempt);
    // A reconnect attempt found another device at the port, `device`, and did not open it.
    void otherDevice(const QString &device);

    // Doorbells between the two threads; they carry no data. Every call that crosses threads
    // goes through a queued signal, so each side only ever runs its own functions.
    void readPermitted(QPrivateSignal);
    void writeQueued(QPrivateSignal);
    void burstRead(QPrivateSignal);
    void linkWentDown(QPrivateSignal);

private:
    struct LineSettings
    {
        qint32 baudRate = 0;
        int byteSize = 0;
        int parity = 0;
        int stopBits = 0;
    };

    // Receive thread.
    void RunPort(const QString &device, const LineSettings &line);
    static bool ApplyCommState(QSerialPort &port, const LineSettings &line);
    void ReadBurst();
    int Read(qsizetype wanted);
    void FlushWrites();
    void OnPortError(QSerialPort::SerialPortError error);
    void DropLink();

    // User-interface thread.
    bool StartSession(bool sameDevice);
    void StopSession();
    void Reconnect();
    void DeliverBurst();
    void OnLinkLost();

    QString m_strPortName = QStringLiteral("COM2");
    qint32 m_dwBaudRate = 38400;
    int m_nByteSize = 8;
    int m_nParity = 0;
    int m_nStopBits = 1;
    PortLookup m_portLookup;
    QString m_strDevice;
    PortError m_openError;
    DeviceIdentity m_identity; // of the device that Open() opened
    QTimer m_reconnect;
    int m_nAttempt = 0;

    bool m_bRunning = false;
    bool m_bHandedOver = false; // serialData delivered, SetReadPermission not yet called
    std::unique_ptr<QThread> m_pThread;

    // Written by the receive thread only while it holds the read permission, by the handler only
    // while it does not.
    RxBuffer m_rx;
    // True: the receive thread may fill m_rx. Its release stores hand m_rx from side to side.
    std::atomic<bool> m_bReadPermit { true };
    std::atomic<bool> m_bLinkLost { false };
    std::atomic<qint64> m_nDropped { 0 };

    QSerialPort *m_pPort = nullptr; // receive thread only
    std::promise<PortError> m_opened;

    std::mutex m_mutex; // guards the two members below
    QByteArray m_txPending;
    QString m_strLinkError;

    QByteArray m_tail; // receive thread: bytes the port still held when the link was lost
};
