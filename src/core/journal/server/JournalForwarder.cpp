#include "core/journal/server/JournalForwarder.h"

#include "core/journal/server/ConnectionCutter.h"
#include "core/journal/server/ForwardWorker.h"
#include "core/journal/server/ServerConnection.h"

namespace {

// A statement about to end may finish before its connection is cut; Exit waits no longer.
constexpr std::chrono::milliseconds kStopGrace { 200 };
constexpr std::chrono::milliseconds kStopBound { 500 };

} // namespace

QString ForwardState::text() const
{
    switch (status) {
    case Status::Starting:
        return tr("实验室服务器：正在连接");
    case Status::Synced:
        return tr("实验室服务器：已同步");
    case Status::Pending:
        return pendingRows < 0 ? tr("实验室服务器：有记录待发送")
                               : tr("实验室服务器：%1 行待发送").arg(pendingRows);
    case Status::NotAnswering:
    case Status::Unreachable:
        break;
    }
    QString what;
    switch (status == Status::NotAnswering ? JournalResult::Error::None : error) {
    case JournalResult::Error::None:
        what = tr("实验室服务器没有响应");
        break;
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
    , m_serverTimeout(ServerConnection::kDefaultTimeout)
{ }

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

void JournalForwarder::setServerTimeout(std::chrono::milliseconds timeout)
{
    m_serverTimeout = timeout;
}

void JournalForwarder::start()
{
    if (m_thread.isStarted())
        return;
    m_stopping = std::make_shared<std::atomic_bool>(false);
    auto *worker = new ForwardWorker(m_journalPath, m_connInfo, m_stopping, m_serverTimeout,
                                     m_retryFirst, m_retryLongest, m_commits);
    m_cutter = worker->cutter();
    connect(worker, &ForwardWorker::stateChanged, this, &JournalForwarder::onWorkerState);
    m_worker = worker;
    m_thread.start(worker, [worker] { worker->begin(); });
}

void JournalForwarder::stop()
{
    if (!m_thread.isStarted())
        return;
    m_stopping->store(true);
    m_thread.stop(kStopGrace, kStopBound, [cutter = m_cutter] { cutter->cut(); });
    m_worker = nullptr;
}

void JournalForwarder::notifyCommitted()
{
    m_commits->fetch_add(1);
    if (m_state.status == ForwardState::Status::Synced)
        show({ ForwardState::Status::Pending, -1, JournalResult::Error::None, {} });
    if (m_worker)
        QMetaObject::invokeMethod(m_worker, &ForwardWorker::tryNow, Qt::QueuedConnection);
}

void JournalForwarder::onWorkerState(const ForwardState &state, quint64 commitsSeen)
{
    ForwardState shown = state;
    // The worker looked at the journal before the latest commits: what it found synced is not,
    // and the rows it counted are not all.
    if (commitsSeen < m_commits->load()) {
        if (shown.status == ForwardState::Status::Synced)
            shown.status = ForwardState::Status::Pending;
        shown.pendingRows = -1;
    }
    show(shown);
}

void JournalForwarder::show(const ForwardState &state)
{
    if (state == m_state)
        return;
    m_state = state;
    emit stateChanged(state);
}
