#include "ui/report/ReportSaver.h"

#include "core/settings/Settings.h"
#include "core/text/StringTable.h"
#include "ui/dialogs/DialogBuilder.h"
#include "ui/report/ReportFileDialog.h"

#include <QDate>
#include <QDir>
#include <QMessageBox>

using namespace Qt::StringLiterals;

QString AskReportFilePath(QWidget *parent)
{
    ReportFileDialog dialog(parent);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString ReportFailureText(const TextReportResult &result, const QString &path)
{
    // Not QString::arg: a path may itself hold "%1" or "%2", which must stay as typed.
    return LoadString(result.messageId()).replace(u"%1"_s, path);
}

TextReportResult SaveTextReport(QWidget *parent, const QString &path, ReportContent content,
                                const Settings &settings)
{
    content.title = ReadReportTitle(settings, QDir::toNativeSeparators(path));
    content.date = FormatReportDate(QDate::currentDate());
    const TextReportResult result = WriteTextReport(path, content);
    const QString shownPath = QDir::toNativeSeparators(path);
    switch (result.outcome) {
    case TextReportResult::Outcome::Written:
        break;
    case TextReportResult::Outcome::CreateFailed:
        QMessageBox::warning(parent, ProgramName(), ReportFailureText(result, shownPath));
        break;
    case TextReportResult::Outcome::WriteFailed:
        QMessageBox::critical(parent, ProgramName(), ReportFailureText(result, shownPath));
        break;
    }
    return result;
}
