#pragma once

#include <QByteArray>
#include <QSocketNotifier>
#include <QString>

#include <cerrno>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

// The instrument's end of a pseudo-terminal: the test writes and reads the master side, the
// channel opens the slave device by its path. Writes go out as the line takes them.
class PtyPair
{
public:
    PtyPair()
    {
        int slave = -1;
        char name[256] = {};
        if (::openpty(&m_master, &slave, name, nullptr, nullptr) != 0)
            return;
        termios raw {};
        ::tcgetattr(slave, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(slave, TCSANOW, &raw);
        ::close(slave);
        ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
        m_slavePath = QString::fromLocal8Bit(name);
        m_writable = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Write);
        m_writable->setEnabled(false);
        QObject::connect(m_writable.get(), &QSocketNotifier::activated, m_writable.get(),
                         [this] { Pump(); });
    }
    ~PtyPair() { CloseMaster(); }
    PtyPair(const PtyPair &) = delete;
    PtyPair &operator=(const PtyPair &) = delete;

    bool IsValid() const { return m_master >= 0; }
    QString SlavePath() const { return m_slavePath; }

    // Queues bytes for the line; they go out in order as fast as the terminal takes them.
    void Send(const QByteArray &bytes)
    {
        m_out += bytes;
        Pump();
    }
    bool AllSent() const { return m_out.isEmpty(); }

    // Everything the channel wrote so far.
    QByteArray Received()
    {
        char chunk[4096];
        ssize_t n = 0;
        while (m_master >= 0 && (n = ::read(m_master, chunk, sizeof chunk)) > 0)
            m_in.append(chunk, n);
        return m_in;
    }

    // The instrument is unplugged.
    void CloseMaster()
    {
        m_writable.reset();
        if (m_master >= 0)
            ::close(m_master);
        m_master = -1;
    }

private:
    void Pump()
    {
        while (!m_out.isEmpty() && m_master >= 0) {
            const ssize_t n = ::write(m_master, m_out.constData(), m_out.size());
            if (n <= 0)
                break;
            m_out.remove(0, n);
        }
        if (m_writable)
            m_writable->setEnabled(!m_out.isEmpty());
    }

    int m_master = -1;
    QString m_slavePath;
    QByteArray m_out;
    QByteArray m_in;
    std::unique_ptr<QSocketNotifier> m_writable;
};
