#include "ui/dialogs/DialogTemplate.h"

#include <QtGlobal>

#include <array>

// Texts are marked for lupdate; BuildDialog translates them in the context "DialogTemplate".
#define DLG_TEXT(text) QT_TRANSLATE_NOOP("DialogTemplate", text)

namespace {

using K = ItemKind;

// 170: the mode dialog. The radio group runs from 1028 to the first static text; the edits of
// the mode not chosen stay enabled. The edits hold a constant as "%f" writes it, up to a sign,
// three integer digits and six decimals (-123.456000): 23 units wider than the original 31,
// which cut even 2.000000, so the units, the right-hand column and the buttons move with them.
constexpr std::array kModeSelectItems {
    DialogItemTemplate { IDOK, K::DefPushButton, DLG_TEXT("选择"), 176, 132, 50, 16,
                         TabStop | Group },
    DialogItemTemplate { IDCANCEL, K::PushButton, DLG_TEXT("取消"), 239, 132, 50, 16, TabStop },
    DialogItemTemplate { 1028, K::AutoRadioButton, DLG_TEXT("1.测量旋光度"), 11, 21, 74, 10,
                         Group },
    DialogItemTemplate { 1029, K::AutoRadioButton, DLG_TEXT("2.测量糖度"), 158, 21, 64, 10,
                         NoFlags },
    DialogItemTemplate { 1030, K::AutoRadioButton, DLG_TEXT("3.测量浓度"), 10, 62, 63, 10,
                         NoFlags },
    DialogItemTemplate { 1031, K::AutoRadioButton, DLG_TEXT("4.测量比旋度"), 157, 62, 72, 10,
                         NoFlags },
    DialogItemTemplate { IDC_STATIC, K::Static, DLG_TEXT("试管长度:"), 12, 77, 37, 8, Group },
    DialogItemTemplate { IDC_STATIC, K::Static, DLG_TEXT("比旋度:"), 12, 94, 33, 8, NoFlags },
    DialogItemTemplate { IDC_STATIC, K::Static, DLG_TEXT("试管长度:"), 157, 78, 37, 8, NoFlags },
    DialogItemTemplate { IDC_STATIC, K::Static, DLG_TEXT("浓度:"), 157, 97, 24, 8, NoFlags },
    DialogItemTemplate { 1032, K::Edit, "", 52, 74, 54, 14, TabStop },
    DialogItemTemplate { 1033, K::Edit, "", 52, 93, 54, 14, TabStop },
    DialogItemTemplate { 1034, K::Edit, "", 197, 76, 54, 14, TabStop },
    DialogItemTemplate { 1035, K::Edit, "", 197, 95, 54, 14, TabStop },
    DialogItemTemplate { IDC_STATIC, K::Static, "(dm)", 108, 77, 19, 8, NoFlags },
    DialogItemTemplate { IDC_STATIC, K::Static, "([α])", 108, 97, 24, 8, NoFlags },
    DialogItemTemplate { IDC_STATIC, K::Static, "(dm)", 253, 78, 19, 8, NoFlags },
    DialogItemTemplate { IDC_STATIC, K::Static, "(g/100ml)", 253, 98, 37, 8, NoFlags },
    DialogItemTemplate { IDC_STATIC, K::GroupBox, "", 6, 7, 141, 36, NoFlags },
    DialogItemTemplate { IDC_STATIC, K::GroupBox, "", 153, 7, 141, 36, NoFlags },
    DialogItemTemplate { IDC_STATIC, K::GroupBox, "", 152, 52, 141, 62, NoFlags },
    DialogItemTemplate { IDC_STATIC, K::GroupBox, "", 6, 52, 141, 62, NoFlags },
};

} // namespace

extern const DialogTemplate kModeSelectTemplate;

constexpr DialogTemplate kModeSelectTemplate {
    170, DLG_TEXT("模式选择"), "宋体", 10, 304, 165, ModalFrame, kModeSelectItems,
};
