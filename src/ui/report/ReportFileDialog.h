#pragma once

#include <QFileDialog>

// The save-file dialog of the text report: initial name and only filter "*.Txt", and the default
// suffix "Txt", appended to a name typed without one. Qt asks before an existing file is
// replaced: replacing an earlier report without a question loses it.
class ReportFileDialog : public QFileDialog
{
    Q_OBJECT

public:
    explicit ReportFileDialog(QWidget *parent = nullptr);

protected:
    void accept() override;
};
