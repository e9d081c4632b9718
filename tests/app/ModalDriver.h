#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <deque>
#include <functional>

// Works the modal dialogs and message boxes that a handler opens while the test waits inside
// it: each time another modal widget becomes active, the next step gets it. Steps left when
// the time runs out are dropped and every modal widget is closed, so a broken test fails
// instead of hanging.
class ModalDriver : public QObject
{
public:
    using Step = std::function<void(QWidget *modal)>;

    explicit ModalDriver(std::deque<Step> steps, int timeoutMs = 10000)
        : m_steps(std::move(steps))
        , m_timeoutMs(timeoutMs)
    {
        m_clock.start();
        connect(&m_timer, &QTimer::timeout, this, &ModalDriver::Poll);
        m_timer.start(5);
    }

    bool Done() const { return m_steps.empty(); }
    bool TimedOut() const { return m_bTimedOut; }

    // A step that takes a message box's text and presses its default button.
    static Step AnswerBox(QString *text)
    {
        return [text](QWidget *modal) {
            if (auto *box = qobject_cast<QMessageBox *>(modal)) {
                if (text)
                    *text = box->text();
                box->accept();
            }
        };
    }

private:
    void Poll()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (m_clock.elapsed() > m_timeoutMs) {
            m_bTimedOut = true;
            m_steps.clear();
            if (modal)
                modal->close();
            return;
        }
        if (modal == m_lastSeen)
            return;
        m_lastSeen = modal;
        if (!modal || m_steps.empty())
            return;
        // Queued, so that a step which opens another modal widget (a message box inside OK)
        // does not hold the timer that must see it.
        QTimer::singleShot(0, modal, [step = std::move(m_steps.front()), modal] { step(modal); });
        m_steps.pop_front();
    }

    std::deque<Step> m_steps;
    int m_timeoutMs = 0;
    bool m_bTimedOut = false;
    QElapsedTimer m_clock;
    QTimer m_timer;
    QPointer<QWidget> m_lastSeen;
};
