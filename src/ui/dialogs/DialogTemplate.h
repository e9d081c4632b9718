#pragma once

#include <span>

// Dialog templates are kept as data (res/dialogs) and turned into widgets by BuildDialog.
// Positions and sizes are in dialog units of the template's own font; texts are UTF-8 and
// translated in the context "DialogTemplate" when the dialog is built.

inline constexpr int IDC_STATIC = -1;
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

enum class ItemKind {
    PushButton,
    DefPushButton,
    OwnerDrawButton, // a custom control class of the window takes this place
    Edit, // single line, bordered, scrolls horizontally
    DropList, // drop-down list; the height includes the opened list
    Static, // text label, left aligned
    Icon, // the application icon
    ListView, // report-style table with a border
    SunkenLine, // sunken frame one unit high, a separator
    AutoRadioButton,
    GroupBox,
};

enum ItemFlag : unsigned {
    NoFlags = 0,
    TabStop = 1u << 0,
    Group = 1u << 1, // starts a group; for radio buttons the group ends at the next Group item
};

struct DialogItemTemplate
{
    int id = IDC_STATIC;
    ItemKind kind = ItemKind::Static;
    const char *text = "";
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;
    unsigned flags = NoFlags;
};

enum DialogStyle : unsigned {
    ModalFrame = 0, // caption, system menu and close box
    MinimizeBox = 1u << 0,
};

struct DialogTemplate
{
    int id = 0;
    const char *caption = "";
    const char *fontFace = "";
    int pointSize = 9;
    int cx = 0;
    int cy = 0;
    unsigned style = ModalFrame;
    std::span<const DialogItemTemplate> items; // in tab order, which is also the stacking order
};

// The template with this resource ID, or nullptr.
const DialogTemplate *FindDialogTemplate(int id);
