#include "core/journal/server/JournalForwarder.h"

#include "core/journal/server/ForwardWorker.h"

namespace {

// How long a worker may take to finish its statement once asked to stop.
constexpr unsigned long kStopGraceMs = 1000;

} // namespace

QString ForwardState::text() const
{
    switch (status) {
    case Status::Starting:
        return tr("实验室服务器：正在连接");
    case Status::Synced:
        return tr("实验室服务器：已同步");
    case Status::Pending:
        return tr("实验室服务器：%1 行待发送").arg(pendingRows);
    case Status::Unreachable:
        break;
    }
    QString what;
    switch (error) {
    case JournalResult::Error::Unreachable:
        what = tr("实验室服务器不可达");
        break;
    case JournalResult::Error::Refused:
        what = tr("实验室服务器拒绝了登录或写入");
        break;
    case JournalResult::Error::Mismatch:
        what = tr("实验室服务器上的记录与本机日志不符");
        break;
    case JournalResult::Error::NewerVersion:
        what = tr("实验室服务器的日志版本比本程序新");
        break;
    default:
        what = tr("无法转发到实验室服务器");
        break;
    }
    const QString waiting =
        pendingRows < 0 ? tr("记录在本机等待") : tr("%1 行在本机等待").arg(pendingRows);
    return tr("%1，%2：%3").arg(what, waiting, reason);
}

JournalForwarder::JournalForwarder(QString journalPath, QString serverConnInfo, QObject *parent)
    : QObject(parent)
    , m_journalPath(std::move(journalPath))
    , m_connInfo(std::move(serverConnInfo))
    , m_cutter(std::make_shared<ConnectionCutter>())
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
    auto worker = std::make_unique<ForwardWorker>(m_journalPath, m_connInfo, m_stopping, m_cutter,
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
    if (!m_thread.wait(kStopGraceMs)) {
        m_cutter->cut();
        m_thread.wait();
    }
    m_worker = nullptr;
}

void JournalForwarder::notifyCommitted()
{
    if (m_worker)
        QMetaObject::invokeMethod(m_worker, &ForwardWorker::schedule, Qt::QueuedConnection);
}
