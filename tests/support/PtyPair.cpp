#include "PtyPair.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

PtyPair::PtyPair()
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
    // The channel reads on the same thread's turn: a full terminal must never block it.
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    m_slavePath = QString::fromLocal8Bit(name);
    m_writable = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Write);
    m_writable->setEnabled(false);
    QObject::connect(m_writable.get(), &QSocketNotifier::activated, m_writable.get(),
                     [this] { Pump(); });
}

PtyPair::~PtyPair()
{
    CloseMaster();
}

void PtyPair::Send(const QByteArray &bytes)
{
    m_out += bytes;
    Pump();
}

QByteArray PtyPair::Received()
{
    char chunk[4096];
    ssize_t n = 0;
    while (m_master >= 0 && (n = ::read(m_master, chunk, sizeof chunk)) > 0)
        m_in.append(chunk, n);
    return m_in;
}

void PtyPair::CloseMaster()
{
    m_writable.reset();
    if (m_master >= 0)
        ::close(m_master);
    m_master = -1;
}

void PtyPair::FailLine()
{
    // The terminal's settings are shared by both ends: in canonical input, the end-of-file
    // character makes the reader's read() return 0.
    termios mode {};
    ::tcgetattr(m_master, &mode);
    mode.c_lflag |= ICANON;
    ::tcsetattr(m_master, TCSANOW, &mode);
    Send(QByteArray(1, char(mode.c_cc[VEOF])));
}

bool PtyPair::IsOpenAtFarEnd() const
{
    // The master reports a hang-up while nobody holds the other end.
    pollfd master { m_master, POLLIN, 0 };
    return ::poll(&master, 1, 0) >= 0 && !(master.revents & POLLHUP);
}

void PtyPair::Pump()
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
