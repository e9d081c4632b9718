#include "ui/report/ReportFileDialog.h"

#include "ui/dialogs/DialogBuilder.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>

using namespace Qt::StringLiterals;

ReportFileDialog::ReportFileDialog(QWidget *parent)
    : QFileDialog(parent)
{
    setAcceptMode(QFileDialog::AcceptSave);
    setFileMode(QFileDialog::AnyFile);
    setNameFilter(u"*.Txt"_s);
    setDefaultSuffix(u"Txt"_s);
    selectFile(u"*.Txt"_s);
}

void ReportFileDialog::accept()
{
    // A native dialog has no such field and checks the name itself.
    const auto *edit = findChild<QLineEdit *>(u"fileNameEdit"_s);
    const QString typed = edit ? edit->text() : QString();
    // Qt's dialog reads double quotes as a list of quoted names and would save under one of them,
    // elsewhere. A '"' cannot be part of a file name on Windows or on a FAT stick either, so the
    // name is refused rather than taken apart, and the dialog stays open to correct it.
    if (typed.contains(u'"')) {
        QMessageBox::warning(
            this, ProgramName(),
            tr("文件名 %1 中含有双引号 (\")，不能保存。请换一个文件名。").arg(typed));
        return;
    }
    // A pattern (the initial "*.Txt") lists the files it matches, as in the platform's own
    // dialog; Qt would save a file of that very name.
    if (typed.contains(u'*') || typed.contains(u'?')) {
        setNameFilter(QFileInfo(typed).fileName());
        return;
    }
    QFileDialog::accept();
}
