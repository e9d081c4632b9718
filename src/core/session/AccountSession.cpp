#include "core/session/AccountSession.h"

AccountSession::AccountSession(const AccountPolicy &policy, QObject *parent)
    : QObject(parent)
    , m_policy(policy)
{
    m_idle.setSingleShot(true);
    m_idle.setTimerType(Qt::PreciseTimer);
    m_idle.setInterval(m_policy.idleTime);
    connect(&m_idle, &QTimer::timeout, this, &AccountSession::lock);
}

void AccountSession::start(Journal *journal, const QString &account)
{
    m_journal = journal;
    m_account = account;
    m_idle.start();
}

void AccountSession::setIdleTime(std::chrono::milliseconds time)
{
    m_policy.idleTime = time;
    m_idle.setInterval(time);
    if (m_idle.isActive())
        m_idle.start();
}

void AccountSession::noteInput()
{
    if (!m_locked && m_idle.isActive())
        m_idle.start();
}

void AccountSession::lock()
{
    m_locked = true;
    // The lock holds whether or not the journal takes its row.
    if (m_journal)
        AccountJournal(*m_journal, m_policy).noteSessionLocked(m_account);
    emit lockedChanged(true);
}

AccountOutcome AccountSession::unlock(const Credentials &who)
{
    if (!m_journal)
        return { AccountOutcome::Status::Failed,
                 {},
                 JournalResult::Failure(JournalResult::Error::NotOpen, {}) };
    const AccountOutcome outcome =
        AccountJournal(*m_journal, m_policy).signIn(who, AccountJournal::Place::Lock);
    if (!outcome.ok())
        return outcome;
    m_locked = false;
    m_idle.start();
    if (who.name != m_account) {
        m_account = who.name;
        emit accountChanged(m_account);
    }
    emit lockedChanged(false);
    return outcome;
}
