#pragma once

#include "core/measure/ModeChoice.h"
#include "ui/dialogs/TemplateDialog.h"

// The mode dialog: the measurement mode as a radio group and the constants of both derived
// modes as texts. Every constant divides, so OK refuses a text whose number is zero or beyond
// single precision; any other text is taken, a negative number included.
class CModeSelectDlg : public TemplateDialog
{
    Q_OBJECT

public:
    static constexpr int kTemplateId = 170;
    static constexpr int IDC_MODE_FIRST = 1028; // 1028 to 1031: modes 0 to 3
    static constexpr int IDC_LEN_C = 1032;
    static constexpr int IDC_A = 1033;
    static constexpr int IDC_LENA = 1034;
    static constexpr int IDC_C = 1035;

    explicit CModeSelectDlg(QWidget *parent = nullptr);

    // The texts of the constants as "%f" gives them (2.000000) and the mode's button.
    void SetChoice(const ModeConstants &constants, int mode);

    ModeChoice Choice() const;

    QString m_strA; // edit 1033, specific rotation of the concentration mode
    QString m_strC; // edit 1035, concentration of the specific-rotation mode
    QString m_strLenC; // edit 1032, tube length of the concentration mode
    QString m_strLena; // edit 1034, tube length of the specific-rotation mode
    int m_nSelMode = -1; // -1: no button checked
    // Set before the dialog runs: shown left of the buttons while a method run is on.
    QString m_strMethodNote;

protected:
    void OnInitDialog() override;
    bool DoDataExchange(bool saveAndValidate) override;

private:
    void ExchangeText(bool saveAndValidate, int id, QString &text);
    bool ValidateConstant(int id, const QString &text);

    ModeConstants m_constants;
};
