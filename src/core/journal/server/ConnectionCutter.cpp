#include "core/journal/server/ConnectionCutter.h"

#include <sys/socket.h>

void ConnectionCutter::set(int socket)
{
    const QMutexLocker lock(&m_mutex);
    m_socket = socket;
}

void ConnectionCutter::cut()
{
    const QMutexLocker lock(&m_mutex);
    if (m_socket >= 0)
        ::shutdown(m_socket, SHUT_RDWR);
}
