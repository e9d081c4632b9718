#pragma once

#include "ui/dialogs/DialogBuilder.h"

#include <QDialog>

// A dialog built from a template, with the exchange of data between members and controls as an
// explicit pair: DoDataExchange(false) fills the controls, DoDataExchange(true) reads and
// validates them. OnInitDialog runs once, before the dialog is first shown.
class TemplateDialog : public QDialog
{
    Q_OBJECT

public:
    explicit TemplateDialog(int templateId, QWidget *parent = nullptr,
                            const ItemFactory &factory = {});

    // False when a value was refused; its message has then been shown and the focus put back.
    bool UpdateData(bool saveAndValidate = true);

    void setVisible(bool visible) override;

    // OK: the values are exchanged and validated; a refused value keeps the dialog open.
    void accept() override;

protected:
    virtual void OnInitDialog();
    virtual bool DoDataExchange(bool saveAndValidate);

    // The framework's integer exchange and range check for an edit control.
    bool ExchangeInt(bool saveAndValidate, int id, int &value);
    bool ValidateIntRange(int id, int value, int minimum, int maximum);
    void FailValidation(int id, const QString &message);

private:
    bool m_bInitialised = false;
};
