#pragma once

#include <QString>

#include <chrono>
#include <functional>

class QObject;
class QThread;

// A thread of its own for a worker that talks to the lab server, whose stop() returns within its
// bound on every path. A worker inside a statement has its connection cut (interrupt); one inside
// a connection attempt, which nothing can interrupt (QPSQL connects blocking), is left to end on
// its own within the connection timeout: the thread deletes the worker then, and itself. A
// process that exits first takes both with it.
class ServerThread
{
public:
    explicit ServerThread(QString name);
    ~ServerThread();
    ServerThread(const ServerThread &) = delete;
    ServerThread &operator=(const ServerThread &) = delete;

    // Moves worker (without a parent) to a new thread, which owns it from now on, and runs begin
    // there before the thread's event loop.
    void start(QObject *worker, std::function<void()> begin);
    bool isStarted() const { return m_thread != nullptr; }
    // Ends the event loop; what still runs after grace is interrupted, and what still runs
    // after bound is left to end on its own.
    void stop(std::chrono::milliseconds grace, std::chrono::milliseconds bound,
              const std::function<void()> &interrupt);

private:
    QString m_name;
    QThread *m_thread = nullptr;
};
