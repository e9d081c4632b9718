#include "core/journal/server/ServerThread.h"

#include <QDeadlineTimer>
#include <QObject>
#include <QThread>

ServerThread::ServerThread(QString name)
    : m_name(std::move(name))
{ }

ServerThread::~ServerThread()
{
    stop(std::chrono::milliseconds(0), std::chrono::milliseconds(0), {});
}

void ServerThread::start(QObject *worker, std::function<void()> begin)
{
    stop(std::chrono::milliseconds(0), std::chrono::milliseconds(0), {});
    m_thread = new QThread;
    m_thread->setObjectName(m_name);
    worker->moveToThread(m_thread);
    // The worker's connections belong to its thread, so it is deleted there, as the thread ends;
    // a thread left running deletes itself once it has ended.
    QObject::connect(m_thread, &QThread::finished, worker, &QObject::deleteLater);
    QObject::connect(m_thread, &QThread::finished, m_thread, &QObject::deleteLater);
    if (begin)
        QObject::connect(m_thread, &QThread::started, worker, std::move(begin));
    m_thread->start();
}

void ServerThread::stop(std::chrono::milliseconds grace, std::chrono::milliseconds bound,
                        const std::function<void()> &interrupt)
{
    if (!m_thread)
        return;
    const QDeadlineTimer end(bound);
    m_thread->quit();
    if (!m_thread->wait(QDeadlineTimer(grace)) && interrupt)
        interrupt();
    if (m_thread->wait(end))
        delete m_thread; // its deleteLater, if posted, goes with it
    m_thread = nullptr;
}
