#pragma once

#include "ui/dialogs/DialogTemplate.h"

#include <QRect>

#include <functional>

class QDialog;
class QFont;
class QWidget;

// Base units of a dialog font: one horizontal dialog unit is cx / 4 pixels, one vertical unit
// cy / 8 pixels. Both corners of a rectangle are mapped, as the dialog manager does, so that
// neighbouring items meet without gaps caused by rounding.
struct DialogBaseUnits
{
    int cx = 0; // average character width
    int cy = 0; // character height

    int MapX(int du) const;
    int MapY(int du) const;
    QRect MapRect(int x, int y, int width, int height) const;
};

DialogBaseUnits BaseUnitsOf(const QFont &font);

// Lets a window construct its own control class for an item, at the template's place; return
// nullptr to get the standard widget of the item's kind.
using ItemFactory = std::function<QWidget *(const DialogItemTemplate &item, QWidget *parent)>;

// Sets the dialog's font, caption, flags and fixed size from the template and creates its items
// in tab order. Every item but IDC_STATIC ones carries its control ID (see GetDlgItem). The first
// tab stop receives the focus when the dialog is shown. Radio buttons of one group share a
// QButtonGroup whose button IDs are the control IDs, found by GetDlgGroup with the ID of the
// group's first button. A static text longer than its rectangle grows into free room beside it.
void BuildDialog(QDialog &dialog, const DialogTemplate &tmpl, const ItemFactory &factory = {});

// The template must exist: a missing one is a build fault, not a run-time condition.
void BuildDialog(QDialog &dialog, int templateId, const ItemFactory &factory = {});

// The item with control ID `id` (carried as the controls' dialog-item ID property).
QWidget *GetDlgItem(const QWidget &dialog, int id);

template<class T>
T *GetDlgItem(const QWidget &dialog, int id)
{
    return dynamic_cast<T *>(GetDlgItem(dialog, id));
}

class QButtonGroup;
QButtonGroup *GetDlgGroup(const QWidget &dialog, int firstId);

// The caption of message boxes: the executable's file name without its extension.
QString ProgramName();
