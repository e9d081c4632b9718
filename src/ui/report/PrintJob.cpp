#include "ui/report/PrintJob.h"

#include "core/text/StringTable.h"
#include "ui/report/QtPainterCanvas.h"

#include <QDate>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QThread>

PrintJob *PrintJob::Start(QWidget *window, ContentSource source, QString title)
{
    return new PrintJob(window, std::move(source), std::move(title));
}

PrintJob::PrintJob(QWidget *window, ContentSource source, QString title)
    : QObject(window)
    , m_source(std::move(source))
    , m_title(std::move(title))
    , m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    m_printer->setDocName(LoadString(StringId::AppTitle));
    m_dialog = new QPrintDialog(m_printer.get(), window);
    m_dialog->setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize
                         | QAbstractPrintDialog::PrintCollateCopies);
    m_dialog->setWindowModality(Qt::NonModal);
    connect(m_dialog, &QDialog::accepted, this, &PrintJob::OnAccepted);
    connect(m_dialog, &QDialog::rejected, this, &PrintJob::OnRejected);
    m_dialog->show();
}

PrintJob::~PrintJob()
{
    if (m_thread)
        m_thread->wait();
    delete m_dialog;
}

void PrintJob::OnAccepted()
{
    m_dialog->deleteLater();
    ReportContent content = m_source();
    // Positions are measured from the corner of the printable area: the device's own limit on
    // a printer, the whole page of a PDF file. Margins chosen in the dialog would shift the page.
    const QPageLayout layout = m_printer->pageLayout();
    m_printer->setPageMargins(layout.minimumMargins(), layout.units());

    m_thread.reset(QThread::create([this, content = std::move(content)]() mutable {
        content.title = m_title;
        content.date = FormatReportDate(QDate::currentDate());
        m_bPrinted = PrintReport(*m_printer, content);
    }));
    connect(m_thread.get(), &QThread::finished, this, [this] {
        emit finished(m_bPrinted);
        deleteLater();
    });
    m_thread->start();
}

void PrintJob::OnRejected()
{
    m_dialog->deleteLater();
    emit finished(false);
    deleteLater();
}

bool PrintReport(QPrinter &printer, const ReportContent &content)
{
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    QtPainterCanvas canvas(painter, printer);
    const int copies = printer.supportsMultipleCopies() ? 1 : std::max(1, printer.copyCount());
    bool ok = true;
    for (int copy = 0; ok && copy < copies; ++copy)
        ok = (copy == 0 || canvas.NewPage()) && DrawPrintedReport(canvas, content);
    if (!ok)
        printer.abort();
    return painter.end() && ok;
}
