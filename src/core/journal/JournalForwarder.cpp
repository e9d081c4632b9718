#include "core/journal/JournalForwarder.h"

#include "core/journal/ForwardWorker.h"

JournalForwarder::JournalForwarder(QString journalPath, QString serverConnInfo, QObject *parent)
    : QObject(parent)
    , m_journalPath(std::move(journalPath))
    , m_connInfo(std::move(serverConnInfo))
{
    m_thread.setObjectName(QStringLiteral("journal-forwarder"));
}

JournalForwarder::~JournalForwarder()
{
    stop();
}

void JournalForwarder::setRetryInterval(std::chrono::milliseconds first,
                                        std::chrono::milliseconds longest)
{
    m_retryFirst = first;
    m_retryLongest = longest;
}

void JournalForwarder::start()
{
    if (m_thread.isRunning())
        return;
    m_stopping->store(false);
    auto worker = std::make_unique<ForwardWorker>(m_journalPath, m_connInfo, m_stopping,
                                                  m_retryFirst, m_retryLongest);
    worker->moveToThread(&m_thread);
    // The worker's connections belong to its thread, so it is deleted there, as the thread ends.
    connect(&m_thread, &QThread::finished, worker.get(), &QObject::deleteLater);
    connect(worker.get(), &ForwardWorker::stateChanged, this, [this](const ForwardState &state) {
        m_state = state;
        emit stateChanged(state);
    });
    connect(&m_thread, &QThread::started, worker.get(), &ForwardWorker::begin);
    m_worker = worker.release();
    m_thread.start();
}

void JournalForwarder::stop()
{
    if (!m_thread.isRunning())
        return;
    m_stopping->store(true);
    m_thread.quit();
    m_thread.wait();
    m_worker = nullptr;
}

void JournalForwarder::notifyCommitted()
{
    if (m_worker)
        QMetaObject::invokeMethod(m_worker, &ForwardWorker::schedule, Qt::QueuedConnection);
}
