#include "ui/windows/WindowLock.h"

#include "core/session/MeasurementSession.h"
#include "ui/dialogs/AccountDialog.h"

#include <QApplication>
#include <QEvent>

WindowLock::WindowLock(const MeasurementSession &session, QWidget &window)
    : m_session(session)
    , m_window(window)
{
    qApp->installEventFilter(this);
    connect(m_session.accounts(), &AccountSession::lockedChanged, this, [this](bool locked) {
        if (locked)
            showDialog();
    });
}

bool WindowLock::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::Wheel:
        if (m_session.isLocked() && !m_dialog)
            showDialog();
        else if (AccountSession *accounts = m_session.accounts())
            accounts->noteInput();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void WindowLock::showDialog()
{
    AccountSession *accounts = m_session.accounts();
    if (!accounts || m_dialog)
        return;
    const auto minutes =
        std::chrono::duration_cast<std::chrono::minutes>(accounts->policy().idleTime).count();
    auto *dialog = new AccountDialog(
        tr("窗口已锁定"),
        tr("%n 分钟没有操作，窗口已锁定。读数照常显示；输入密码继续，或者由另一个账户登录，"
           "此后的读数记在该账户名下。",
           nullptr, int(minutes)),
        AccountDialog::AccountField | AccountDialog::PasswordField, &m_window);
    dialog->setAccount(accounts->account());
    dialog->setCheck([accounts](AccountDialog &entered) {
        const AccountOutcome outcome = accounts->unlock({ entered.account(), entered.password() });
        return outcome.ok() ? QString() : outcome.text;
    });
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    m_dialog = dialog;
    // Window-modal without a loop of its own: the readings go on behind it.
    dialog->open();
}
