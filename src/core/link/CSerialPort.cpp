#include "core/link/CSerialPort.h"

#include "core/link/RxRoom.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstring>

using namespace Qt::StringLiterals;

namespace {

PortError OpenError(const QSerialPort &port, const QString &device)
{
    switch (port.error()) {
    case QSerialPort::DeviceNotFoundError:
        return { PortError::Kind::Missing, device, {} };
    case QSerialPort::PermissionError:
    case QSerialPort::OpenError:
        return { PortError::Kind::Busy, device, {} };
    case QSerialPort::UnsupportedOperationError:
        return { PortError::Kind::NotSerial, device, {} }; // no terminal (ENOTTY): /dev/null
    default:
        return { PortError::Kind::Other, device, port.errorString() };
    }
}

} // namespace

CSerialPort::CSerialPort(QObject *parent)
    : QObject(parent)
{
    connect(this, &CSerialPort::burstRead, this, &CSerialPort::DeliverBurst, Qt::QueuedConnection);
    connect(this, &CSerialPort::linkWentDown, this, &CSerialPort::OnLinkLost, Qt::QueuedConnection);
    m_reconnect.setSingleShot(true);
    m_reconnect.setTimerType(Qt::PreciseTimer); // one wake-up per attempt
    connect(&m_reconnect, &QTimer::timeout, this, &CSerialPort::Reconnect);
}

CSerialPort::~CSerialPort()
{
    Close();
}

void CSerialPort::Configure(const QString &portName, int baudRate, int byteSize, int parity,
                            int stopBits)
{
    m_strPortName = portName;
    m_dwBaudRate = baudRate;
    m_nByteSize = byteSize;
    m_nParity = parity;
    m_nStopBits = stopBits;
}

void CSerialPort::SetPortLookup(PortLookup lookup)
{
    m_portLookup = std::move(lookup);
}

void CSerialPort::SetReconnectInterval(int intervalMs)
{
    m_reconnect.setInterval(std::max(0, intervalMs));
}

bool CSerialPort::Open()
{
    if (m_bRunning)
        return false;
    if (!StartSession(false)) {
        emit openFailed(m_openError);
        return false;
    }
    m_bRunning = true;
    emit opened(m_strDevice);
    return true;
}

bool CSerialPort::StartSession(bool sameDevice)
{
    // Resolved at every session: the mapping may have been renewed while the link was lost.
    m_strDevice = ResolvePortDevice(m_strPortName, m_portLookup);
    m_openError = PortError::check(m_strDevice);
    if (m_openError)
        return false; // no thread for a device that is not there
    // Looked at before the open: opening alone raises DTR, which resets some instruments.
    const DeviceIdentity identity = DeviceIdentity::of(m_strDevice);
    if (sameDevice && !identity.isSameDevice(m_identity)) {
        m_openError = { PortError::Kind::OtherDevice, m_strDevice, {} };
        return false;
    }

    m_rx.nStart = 0;
    m_rx.nCount = 0;
    m_bHandedOver = false;
    m_bReadPermit.store(true, std::memory_order_relaxed);
    m_bLinkLost.store(false, std::memory_order_relaxed);
    {
        const std::lock_guard lock(m_mutex);
        m_txPending.clear();
        m_strLinkError.clear();
    }
    m_tail.clear();

    m_opened = std::promise<PortError>();
    std::future<PortError> opened = m_opened.get_future();
    const LineSettings line { m_dwBaudRate, m_nByteSize, m_nParity, m_nStopBits };
    m_pThread.reset(QThread::create([this, device = m_strDevice, line] { RunPort(device, line); }));
    m_pThread->setObjectName(u"velmora-receive"_s);
    m_pThread->start();
    if (!m_pThread->isRunning() && !m_pThread->isFinished()) {
        m_pThread.reset();
        m_openError = { PortError::Kind::Other, m_strDevice, u"no receive thread"_s };
        return false;
    }

    // Waiting here is safe: until it has answered, the thread waits on nobody.
    m_openError = opened.get();
    if (m_openError) {
        m_pThread->wait();
        m_pThread.reset();
        return false;
    }
    // The first identity stays: a USB adapter's node changes with every replug.
    if (!sameDevice)
        m_identity = identity;
    return true;
}

// QThread::wait() orders everything the thread did before everything that follows here.
void CSerialPort::StopSession()
{
    if (!m_pThread)
        return;
    // QThread::quit, unlike a posted call, is safe against the thread ending at the same moment.
    m_pThread->quit();
    m_pThread->wait();
    m_pThread.reset();
    m_bHandedOver = false;
    m_bReadPermit.store(true, std::memory_order_relaxed);
    // Notifications the thread posted before it ended belong to that session only.
    QCoreApplication::removePostedEvents(this, QEvent::MetaCall);
}

void CSerialPort::Close()
{
    if (!m_bRunning)
        return;
    m_bRunning = false;
    m_reconnect.stop();
    m_nAttempt = 0;
    StopSession();
}

bool CSerialPort::AcceptNewDevice()
{
    Close();
    return Open();
}

void CSerialPort::Reconnect()
{
    if (!m_bRunning)
        return;
    // The owner still holds the lost session's area: the next session may not empty it under
    // the owner's hands. Try again once it has given it back.
    if (m_bHandedOver) {
        m_reconnect.start();
        return;
    }
    StopSession();
    if (StartSession(true)) {
        m_nAttempt = 0;
        emit opened(m_strDevice);
        return;
    }
    if (m_openError.kind == PortError::Kind::OtherDevice)
        emit otherDevice(m_strDevice);
    else
        emit reconnecting(++m_nAttempt);
    m_reconnect.start();
}

int CSerialPort::Write(std::span<const std::uint8_t> bytes)
{
    if (!m_bRunning || !m_pThread || m_bLinkLost.load(std::memory_order_acquire))
        return -1;
    if (bytes.empty())
        return 0;
    {
        const std::lock_guard lock(m_mutex);
        m_txPending.append(reinterpret_cast<const char *>(bytes.data()),
                           static_cast<qsizetype>(bytes.size()));
    }
    emit writeQueued(QPrivateSignal());
    return static_cast<int>(bytes.size());
}

void CSerialPort::SetReadPermission()
{
    if (!m_bHandedOver)
        return;
    m_bHandedOver = false;
    m_bReadPermit.store(true, std::memory_order_release);
    // Bytes that waited while the owner held the area raise no new readyRead.
    emit readPermitted(QPrivateSignal());
}

void CSerialPort::DeliverBurst()
{
    if (!m_bRunning || m_bReadPermit.load(std::memory_order_acquire))
        return;
    m_bHandedOver = true;
    emit serialData(this, &m_rx);
}

void CSerialPort::OnLinkLost()
{
    if (!m_bRunning)
        return;
    QString reason;
    {
        const std::lock_guard lock(m_mutex);
        reason = m_strLinkError;
    }
    emit linkLost(reason);
    if (m_reconnect.interval() > 0)
        m_reconnect.start();
}

void CSerialPort::RunPort(const QString &device, const LineSettings &line)
{
    QSerialPort port;
    port.setPortName(device);
    // Like the driver queue of the instrument's PC: at most one receive area waits in memory,
    // the rest stays in the kernel.
    port.setReadBufferSize(RxBuffer::kSize);
    if (!port.open(QIODevice::ReadWrite)) {
        m_opened.set_value(OpenError(port, device));
        return;
    }
    if (!ApplyCommState(port, line)) {
        m_opened.set_value({ PortError::Kind::Other, device, port.errorString() });
        port.close();
        return;
    }
    // A pseudo-terminal has no modem lines; the instrument does not need DTR to talk.
    if (!port.setDataTerminalReady(true))
        port.clearError();

    m_pPort = &port;
    QEventLoop loop;
    connect(&port, &QSerialPort::readyRead, &port, [this] { ReadBurst(); });
    connect(&port, &QSerialPort::errorOccurred, &port,
            [this](QSerialPort::SerialPortError error) { OnPortError(error); });
    connect(this, &CSerialPort::readPermitted, &port, [this] { ReadBurst(); });
    connect(this, &CSerialPort::writeQueued, &port, [this] { FlushWrites(); });
    m_opened.set_value({});
    loop.exec();
    m_pPort = nullptr;
}

bool CSerialPort::ApplyCommState(QSerialPort &port, const LineSettings &line)
{
    if (line.baudRate <= 0 || !port.setBaudRate(line.baudRate))
        return false;
    const int byteSize = line.byteSize & 0xFF;
    if (byteSize < 5 || byteSize > 8
        || !port.setDataBits(static_cast<QSerialPort::DataBits>(byteSize)))
        return false;

    static constexpr QSerialPort::Parity kParity[] = { QSerialPort::NoParity,
                                                       QSerialPort::EvenParity,
                                                       QSerialPort::OddParity };
    if (line.parity >= 0 && line.parity < 3 && !port.setParity(kParity[line.parity]))
        return false;

    static constexpr QSerialPort::StopBits kStopBits[] = { QSerialPort::OneStop,
                                                           QSerialPort::TwoStop,
                                                           QSerialPort::OneAndHalfStop };
    if (line.stopBits >= 1 && line.stopBits <= 3 && !port.setStopBits(kStopBits[line.stopBits - 1]))
        return false;
    return true;
}

void CSerialPort::ReadBurst()
{
    const bool open = m_pPort->isOpen();
    const qint64 waiting = open ? m_pPort->bytesAvailable() : m_tail.size();
    if (waiting <= 0 || !m_bReadPermit.load(std::memory_order_acquire))
        return;
    m_nDropped.fetch_add(MakeRxRoom(m_rx, waiting), std::memory_order_relaxed);
    if (Read(waiting) <= 0)
        return;
    m_bReadPermit.store(false, std::memory_order_release);
    emit burstRead(QPrivateSignal());
}

int CSerialPort::Read(qsizetype wanted)
{
    const qsizetype size = std::min<qsizetype>(wanted, RxFreeRoom(m_rx));
    if (size <= 0)
        return 0;
    char *target = reinterpret_cast<char *>(m_rx.data.data() + m_rx.nStart + m_rx.nCount);
    qint64 got = 0;
    if (m_pPort->isOpen()) {
        got = m_pPort->read(target, size);
        if (got < 0)
            return -1;
    } else {
        got = size;
        std::memcpy(target, m_tail.constData(), static_cast<size_t>(size));
        m_tail.remove(0, size);
    }
    m_rx.nCount += static_cast<int>(got);
    return static_cast<int>(got);
}

void CSerialPort::FlushWrites()
{
    QByteArray bytes;
    {
        const std::lock_guard lock(m_mutex);
        bytes.swap(m_txPending);
    }
    // QSerialPort keeps what the line does not take at once and writes it as the line drains.
    if (!bytes.isEmpty() && m_pPort->isOpen())
        m_pPort->write(bytes);
}

void CSerialPort::OnPortError(QSerialPort::SerialPortError error)
{
    // An unplug arrives as ReadError on some Qt versions and as ResourceError on others.
    // A WriteError loses that write only; the reads tell whether the device is still there.
    if (error != QSerialPort::ReadError && error != QSerialPort::ResourceError)
        return;
    if (m_bLinkLost.exchange(true, std::memory_order_acq_rel))
        return;
    {
        // Not the port's errorString(): after an unplug Qt 6.4 may still hold an earlier,
        // unrelated message there (the modem-line ioctl a pseudo-terminal refuses at open).
        const std::lock_guard lock(m_mutex);
        m_strLinkError = QCoreApplication::translate("CSerialPort", "设备已断开");
    }
    // Not from inside QSerialPort's own notification: close once it has returned.
    QTimer::singleShot(0, m_pPort, [this] { DropLink(); });
    emit linkWentDown(QPrivateSignal());
}

void CSerialPort::DropLink()
{
    // Bytes already received still reach the owner; only what the device never sent is missing.
    m_tail = m_pPort->readAll();
    m_pPort->close();
    ReadBurst();
}
