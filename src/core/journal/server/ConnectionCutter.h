#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

// The socket of a server connection, for another thread to cut, and the watchdog that cuts it.
// A server that stops answering without going away (frozen, or its host hung with the connection
// still open) holds a blocking read for ever: over a Unix socket no timeout of the server or of
// TCP can end it, and over TCP the server's kernel goes on acknowledging. Shutting the socket down
// makes that read fail at once, and the connection's thread goes on as after any lost connection.
//
// While the connection is busy, the watchdog cuts it once the server has sent nothing for the
// bound: every result and every row counts as an answer. An idle connection is never cut. The
// owner clears the socket before it closes the connection, so a number the system has given to
// another file is never touched.
class ConnectionCutter
{
public:
    using Clock = std::chrono::steady_clock;

    explicit ConnectionCutter(std::chrono::milliseconds bound);
    ~ConnectionCutter();
    ConnectionCutter(const ConnectionCutter &) = delete;
    ConnectionCutter &operator=(const ConnectionCutter &) = delete;

    // The open connection's socket, busy from now on; -1 when it closes.
    void set(int socket);
    void clear() { set(-1); }
    void cut();

    void setBound(std::chrono::milliseconds bound);
    std::chrono::milliseconds bound() const;
    // Busy: the server owes an answer, from now on. Idle: nothing is expected of it.
    void setBusy(bool busy);
    // The server answered; called on the connection's thread, for every result and row.
    void answered() { m_lastAnswer.store(Clock::now().time_since_epoch().count()); }
    // The watchdog gave the server up since the socket was set.
    bool gaveUp() const;

private:
    void watch();

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    int m_socket = -1;
    bool m_busy = false;
    bool m_gaveUp = false;
    bool m_quit = false;
    std::chrono::milliseconds m_bound;
    std::atomic<Clock::rep> m_lastAnswer { 0 };
    std::thread m_watchdog; // started with the first socket
};
