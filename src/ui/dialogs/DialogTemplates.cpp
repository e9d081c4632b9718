#include "ui/dialogs/DialogTemplate.h"

#include <QtGlobal>

#include <array>

// Texts are marked for lupdate; BuildDialog translates them in the context "DialogTemplate".
#define DLG_TEXT(text) QT_TRANSLATE_NOOP("DialogTemplate", text)

// 170, the mode dialog, lives in ModeSelectTemplate.cpp.
extern const DialogTemplate kModeSelectTemplate;

namespace {

using K = ItemKind;

// 100: the about box.
constexpr std::array kAboutItems {
    DialogItemTemplate { IDC_STATIC, K::Icon, "", 11, 17, 20, 20, NoFlags },
    DialogItemTemplate { IDC_STATIC, K::Static, DLG_TEXT("Velmora 1.0 版"), 40, 10, 119, 8,
                         NoFlags },
    DialogItemTemplate { IDOK, K::DefPushButton, DLG_TEXT("确定"), 178, 7, 50, 14,
                         TabStop | Group },
};

constexpr DialogTemplate kAbout {
    100, DLG_TEXT("关于 Velmora"), "宋体", 9, 235, 55, ModalFrame, kAboutItems,
};

// 102: the main window.
constexpr std::array kMainItems {
    DialogItemTemplate { IDOK, K::DefPushButton, DLG_TEXT("确认"), 261, 170, 80, 19, TabStop },
    DialogItemTemplate { 1007, K::OwnerDrawButton, DLG_TEXT("+复测"), 261, 137, 38, 17, TabStop },
    DialogItemTemplate { 1008, K::OwnerDrawButton, DLG_TEXT("-复测"), 302, 137, 38, 17, TabStop },
    DialogItemTemplate { 1009, K::OwnerDrawButton, DLG_TEXT("清零"), 358, 137, 38, 17, TabStop },
    DialogItemTemplate { 1010, K::PushButton, DLG_TEXT("采样"), 10, 10, 45, 17, TabStop },
    DialogItemTemplate { 1011, K::PushButton, DLG_TEXT("打印"), 65, 10, 45, 17, TabStop },
    DialogItemTemplate { 1012, K::PushButton, DLG_TEXT("保存"), 121, 10, 45, 17, TabStop },
    DialogItemTemplate { 1013, K::PushButton, DLG_TEXT("模式选择"), 177, 10, 45, 17, TabStop },
    DialogItemTemplate { 1025, K::OwnerDrawButton, "", 253, 10, 25, 18, TabStop },
    DialogItemTemplate { IDCANCEL, K::PushButton, DLG_TEXT("退出"), 315, 207, 48, 17, TabStop },
    DialogItemTemplate { IDC_STATIC, K::Static, DLG_TEXT("供样单位:"), 10, 228, 40, 8, NoFlags },
    DialogItemTemplate { 1021, K::Static, "", 262, 37, 133, 38, NoFlags },
    DialogItemTemplate { IDC_STATIC, K::Static, DLG_TEXT("检品名称:"), 10, 201, 39, 8, NoFlags },
    DialogItemTemplate { IDC_STATIC, K::Static, DLG_TEXT("批    号:"), 10, 215, 40, 8, NoFlags },
    DialogItemTemplate { IDC_STATIC, K::Static, DLG_TEXT("检 验 者:"), 155, 200, 41, 8, NoFlags },
    DialogItemTemplate { 1014, K::Static, "Static", 53, 228, 97, 8, NoFlags },
    DialogItemTemplate { 1015, K::Static, "Static", 53, 201, 99, 8, NoFlags },
    DialogItemTemplate { 1016, K::Static, "Static", 53, 215, 99, 8, NoFlags },
    DialogItemTemplate { 1017, K::Static, "Static", 199, 200, 105, 8, NoFlags },
    DialogItemTemplate { 1018, K::ListView, "", 7, 36, 249, 161, TabStop },
    DialogItemTemplate { IDC_STATIC, K::Static, DLG_TEXT("采样次数:"), 155, 215, 39, 8, NoFlags },
    DialogItemTemplate { 1019, K::Static, "", 199, 214, 92, 8, NoFlags },
    DialogItemTemplate { 1022, K::OwnerDrawButton, "", 377, 12, 20, 15, TabStop },
    DialogItemTemplate { IDC_STATIC, K::Static, DLG_TEXT("当前状态"), 335, 13, 36, 8, NoFlags },
    DialogItemTemplate { 1020, K::PushButton, DLG_TEXT("删除"), 358, 171, 38, 17, TabStop },
    DialogItemTemplate { 1036, K::Static, "", 261, 82, 64, 8, NoFlags },
    DialogItemTemplate { 1023, K::Static, "", 262, 92, 133, 38, NoFlags },
    DialogItemTemplate { IDC_STATIC, K::Static, DLG_TEXT("日    期:"), 155, 229, 39, 8, NoFlags },
    DialogItemTemplate { 1037, K::Static, "Static", 199, 228, 111, 8, NoFlags },
    DialogItemTemplate { IDC_STATIC, K::SunkenLine, "", 258, 196, 142, 1, NoFlags },
    DialogItemTemplate { IDC_STATIC, K::SunkenLine, "", 7, 31, 393, 1, NoFlags },
};

constexpr DialogTemplate kMain {
    102, "", "宋体", 9, 407, 246, MinimizeBox, kMainItems,
};

// 129: the login dialog.
constexpr std::array kLoginItems {
    DialogItemTemplate { 1000, K::Edit, "", 57, 30, 108, 12, TabStop },
    DialogItemTemplate { 1001, K::Edit, "", 57, 55, 108, 12, TabStop },
    DialogItemTemplate { 1002, K::Edit, "", 57, 80, 108, 12, TabStop },
    DialogItemTemplate { 1003, K::Edit, "", 57, 105, 108, 12, TabStop },
    DialogItemTemplate { 1005, K::DropList, "", 57, 130, 80, 91, TabStop },
    DialogItemTemplate { IDOK, K::DefPushButton, DLG_TEXT("确定"), 91, 159, 33, 14, TabStop },
    DialogItemTemplate { IDCANCEL, K::PushButton, DLG_TEXT("取消"), 131, 159, 33, 14, TabStop },
    DialogItemTemplate { IDC_STATIC, K::Static, DLG_TEXT("供样单位:"), 11, 33, 41, 8, NoFlags },
    DialogItemTemplate { IDC_STATIC, K::Static, DLG_TEXT("检品名称:"), 11, 58, 39, 8, NoFlags },
    DialogItemTemplate { IDC_STATIC, K::Static, DLG_TEXT("批号:"), 11, 83, 29, 8, NoFlags },
    DialogItemTemplate { IDC_STATIC, K::Static, DLG_TEXT("检验者:"), 11, 107, 34, 8, NoFlags },
    DialogItemTemplate { IDC_STATIC, K::Static, DLG_TEXT("串口号:"), 11, 132, 36, 8, NoFlags },
    DialogItemTemplate { 1026, K::Static, DLG_TEXT(" 旋光仪数据记录"), 52, 9, 85, 15, NoFlags },
};

constexpr DialogTemplate kLogin {
    129, DLG_TEXT("Quenzel Polarimeter"), "宋体", 10, 174, 186, ModalFrame, kLoginItems,
};

// 130: the sampling-count dialog.
constexpr std::array kSampleCountItems {
    DialogItemTemplate { 1020, K::Edit, "", 79, 17, 40, 12, TabStop },
    DialogItemTemplate { IDOK, K::DefPushButton, DLG_TEXT("确认"), 79, 40, 31, 15, TabStop },
    DialogItemTemplate { IDCANCEL, K::PushButton, DLG_TEXT("取消"), 114, 40, 31, 15, TabStop },
    DialogItemTemplate { IDC_STATIC, K::Static, DLG_TEXT("请输入采样次数:"), 10, 19, 65, 8,
                         NoFlags },
};

constexpr DialogTemplate kSampleCount {
    130, DLG_TEXT("采样选择"), "宋体", 10, 154, 69, ModalFrame, kSampleCountItems,
};

constexpr std::array kTemplates { &kAbout, &kMain, &kLogin, &kSampleCount, &kModeSelectTemplate };

} // namespace

const DialogTemplate *FindDialogTemplate(int id)
{
    for (const DialogTemplate *t : kTemplates) {
        if (t->id == id)
            return t;
    }
    return nullptr;
}
