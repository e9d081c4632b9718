#pragma once

#include "FileBytes.h"
#include "InstrumentFrames.h"
#include "PtyPair.h"
#include "app/CVelmoraApp.h"
#include "ui/controls/LedDigitDisplay.h"
#include "ui/controls/StateImageButton.h"
#include "ui/windows/CVelmoraDlg.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <deque>
#include <functional>
#include <memory>

// Works the modal dialogs and message boxes that a handler opens while the test waits inside
// it: each newly active modal widget gets the next step. After ten seconds the steps left are
// dropped and the modal widget is closed, so a broken test fails instead of hanging.
class ModalDriver : public QObject
{
public:
    using Step = std::function<void(QWidget *modal)>;

    explicit ModalDriver(std::deque<Step> steps)
        : m_steps(std::move(steps))
    {
        m_clock.start();
        connect(&m_timer, &QTimer::timeout, this, &ModalDriver::Poll);
        m_timer.start(5);
    }

    bool Done() const { return m_steps.empty() && !m_bTimedOut; }

    // Takes a message box's text and presses its default button.
    static Step AnswerBox(QString *text)
    {
        return [text](QWidget *modal) {
            if (auto *box = qobject_cast<QMessageBox *>(modal)) {
                *text = box->text();
                box->accept();
            }
        };
    }

private:
    void Poll()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (m_clock.elapsed() > 10000) {
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
        // Queued, so that a step which opens another modal widget does not hold the timer.
        QTimer::singleShot(0, modal, [step = std::move(m_steps.front()), modal] { step(modal); });
        m_steps.pop_front();
    }

    std::deque<Step> m_steps;
    bool m_bTimedOut = false;
    QElapsedTimer m_clock;
    QTimer m_timer;
    QPointer<QWidget> m_lastSeen;
};

// The main window's controls, found as a user finds them: by their IDs and names.
struct MainItems
{
    explicit MainItems(CVelmoraDlg &window)
        : list(GetDlgItem<QTableWidget>(window, CVelmoraDlg::IDC_LIST))
        , confirm(GetDlgItem<QPushButton>(window, IDOK))
        , reading(GetDlgItem<CLedDigitDisplay>(window, CVelmoraDlg::IDC_READING))
        , converted(GetDlgItem<CLedDigitDisplay>(window, CVelmoraDlg::IDC_CONVERTED))
        , lamp(GetDlgItem<CStateImageButton>(window, CVelmoraDlg::IDC_STATUS))
        , inspector(GetDlgItem<QLabel>(window, CVelmoraDlg::IDC_INSPECTOR))
        , link(window.findChild<QLabel *>(QStringLiteral("linkState")))
        , journal(window.findChild<QLabel *>(QStringLiteral("journalState")))
        , server(window.findChild<QLabel *>(QStringLiteral("serverState")))
    { }

    QString cell(int row, int column) const
    {
        const QTableWidgetItem *item = list->item(row, column);
        return item ? item->text() : QString();
    }

    QTableWidget *list;
    QPushButton *confirm;
    CLedDigitDisplay *reading;
    CLedDigitDisplay *converted;
    CStateImageButton *lamp;
    QLabel *inspector;
    QLabel *link;
    QLabel *journal;
    QLabel *server;
};

// The main window in a fresh program directory, its instrument a pseudo-terminal on COM1.
struct WindowFixture
{
    explicit WindowFixture(const QString &programSubdir = {})
        : programDir(programSubdir.isEmpty() ? dir.path() : dir.filePath(programSubdir))
    {
        QDir().mkpath(programDir);
        app = std::make_unique<CVelmoraApp>(programDir);
        app->LocateSettings();
    }

    bool IsValid() const { return dir.isValid() && pty.IsValid(); }

    // The settings file: COM1 mapped to `device` (the pty when empty), then the given lines.
    void WriteSettings(const QByteArray &lines, const QString &device = {})
    {
        QFile ini(app->GetSettings().Path());
        if (ini.open(QIODevice::WriteOnly))
            ini.write("[ports]\r\nCOM1="
                      + QFile::encodeName(device.isEmpty() ? pty.SlavePath() : device) + "\r\n"
                      + lines);
        ini.close();
        app->LoadSettings();
    }

    // With journal, the window's runs go to the journal that the start-up opens.
    std::unique_ptr<CVelmoraDlg> Open(const QByteArray &lines = {}, const QString &device = {},
                                      bool journal = false)
    {
        WriteSettings(lines, device);
        auto window = std::make_unique<CVelmoraDlg>(app->GetSession(), app->GetSettings());
        if (journal) {
            app->OpenJournal();
            window->AttachJournal(app->GetJournal(), app->JournalOutcome().result);
        }
        window->show();
        return window;
    }

    static QByteArray ReadingFrame(long r) { return ::ReadingFrame(r); }

    // Sends a reading of r thousandths and confirms it once the window shows it.
    bool Confirm(CVelmoraDlg &window, long r)
    {
        pty.Send(ReadingFrame(r));
        const QString shown = QString::asprintf("%+07.3f", r * 0.001);
        const MainItems items(window);
        if (!QTest::qWaitFor([&] { return items.reading->DisplayText() == shown; }))
            return false;
        items.confirm->click();
        return true;
    }

    // Clicks a button of the window while the steps work the dialogs it opens.
    static bool Click(CVelmoraDlg &window, int id, std::deque<ModalDriver::Step> steps)
    {
        ModalDriver driver(std::move(steps));
        GetDlgItem<QPushButton>(window, id)->click();
        return driver.Done();
    }

    QTemporaryDir dir;
    PtyPair pty;
    QString programDir;
    std::unique_ptr<CVelmoraApp> app;
};
