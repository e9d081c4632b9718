#pragma once

#include <QMutex>

// The socket of a worker's server connection, for another thread to cut. A server that stops
// answering without going away (frozen, or its host hung with the connection still open) holds a
// blocking read for ever; shutting the socket down makes that read fail at once, and the worker
// goes on as after any lost connection. The worker clears the socket before it closes the
// connection, so a number the system has given to another file is never touched.
class ConnectionCutter
{
public:
    void set(int socket);
    void clear() { set(-1); }
    void cut();

private:
    QMutex m_mutex;
    int m_socket = -1;
};
