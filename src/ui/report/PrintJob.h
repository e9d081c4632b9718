#pragma once

#include "core/report/ReportContent.h"

#include <QObject>
#include <QPointer>
#include <QPrintDialog>

#include <atomic>
#include <functional>
#include <memory>

class QPrinter;
class QThread;
class QWidget;

// One press of Print: its own non-modal print dialog, so the window stays usable while it is
// open; on accept the content is taken at once on the user-interface thread and the page is
// rendered on a worker thread. Cancel prints nothing and says nothing. The job deletes itself
// when it is done; as a child of the window it goes with the window at the latest, waiting for
// a page that is being rendered so that no half-written document is left behind.
class PrintJob : public QObject
{
    Q_OBJECT

public:
    using ContentSource = std::function<ReportContent()>;

    // The source fills everything but the title and the date, which the render adds itself.
    static PrintJob *Start(QWidget *window, ContentSource source, QString title);

    ~PrintJob() override;

    QPrintDialog *Dialog() const { return m_dialog; }

signals:
    // After the render (printed: the document was completed) or after Cancel (printed false).
    void finished(bool printed);

private:
    PrintJob(QWidget *window, ContentSource source, QString title);

    void OnAccepted();
    void OnRejected();

    ContentSource m_source;
    QString m_title;
    std::unique_ptr<QPrinter> m_printer;
    QPointer<QPrintDialog> m_dialog;
    std::unique_ptr<QThread> m_thread;
    std::atomic_bool m_bPrinted = false;
};

// Renders the report on the printer as one document, with as many copies as were asked for when
// the printer's driver does not make them itself. False when the document could not be started
// or a further page failed; the document is then aborted.
bool PrintReport(QPrinter &printer, const ReportContent &content);
