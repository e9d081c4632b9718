#pragma once

#include <QObject>
#include <QPointer>

class MeasurementSession;
class QDialog;
class QWidget;

// The idle lock of a window whose session requires accounts: every key, click and wheel turn of
// the program is input that keeps the session from locking; once it is locked, the password
// dialog stands over the window until the password of its account, or another account's, opens
// it again.
class WindowLock : public QObject
{
    Q_OBJECT

public:
    // Only for a session with accounts; the dialog opens over window, which outlives the lock.
    WindowLock(const MeasurementSession &session, QWidget &window);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showDialog();

    const MeasurementSession &m_session;
    QWidget &m_window;
    QPointer<QDialog> m_dialog;
};
