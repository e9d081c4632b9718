#include "core/journal/server/ConnectionCutter.h"

#include <sys/socket.h>

ConnectionCutter::ConnectionCutter(std::chrono::milliseconds bound)
    : m_bound(bound)
{ }

ConnectionCutter::~ConnectionCutter()
{
    {
        const std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_wake.notify_all();
    if (m_watchdog.joinable())
        m_watchdog.join();
}

void ConnectionCutter::set(int socket)
{
    {
        const std::lock_guard lock(m_mutex);
        m_socket = socket;
        m_busy = socket >= 0;
        m_gaveUp = false;
        answered();
        if (socket >= 0 && !m_watchdog.joinable())
            m_watchdog = std::thread(&ConnectionCutter::watch, this);
    }
    m_wake.notify_all();
}

void ConnectionCutter::cut()
{
    const std::lock_guard lock(m_mutex);
    if (m_socket >= 0)
        ::shutdown(m_socket, SHUT_RDWR);
}

void ConnectionCutter::setBound(std::chrono::milliseconds bound)
{
    {
        const std::lock_guard lock(m_mutex);
        m_bound = bound;
    }
    m_wake.notify_all();
}

std::chrono::milliseconds ConnectionCutter::bound() const
{
    const std::lock_guard lock(m_mutex);
    return m_bound;
}

void ConnectionCutter::setBusy(bool busy)
{
    {
        const std::lock_guard lock(m_mutex);
        m_busy = busy && m_socket >= 0;
        answered();
    }
    m_wake.notify_all();
}

bool ConnectionCutter::gaveUp() const
{
    const std::lock_guard lock(m_mutex);
    return m_gaveUp;
}

void ConnectionCutter::watch()
{
    std::unique_lock lock(m_mutex);
    while (!m_quit) {
        if (!m_busy) {
            m_wake.wait(lock);
            continue;
        }
        // The rest of the bound since the last answer, never a full bound from each look.
        const Clock::time_point deadline =
            Clock::time_point(Clock::duration(m_lastAnswer.load())) + m_bound;
        if (Clock::now() < deadline) {
            m_wake.wait_until(lock, deadline);
            continue;
        }
        ::shutdown(m_socket, SHUT_RDWR);
        m_gaveUp = true;
        m_busy = false;
    }
}
