#pragma once

#include "ui/dialogs/TemplateDialog.h"

// The about box: icon, version text and OK. OK or Escape closes it.
class CAboutDlg : public TemplateDialog
{
    Q_OBJECT

public:
    static constexpr int kTemplateId = 100;

    explicit CAboutDlg(QWidget *parent = nullptr);
};
