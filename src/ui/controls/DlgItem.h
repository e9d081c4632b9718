#pragma once

class QWidget;

// Every widget built from a dialog template carries its control ID, so that code and tests find
// dialog items by ID as the original dialogs did.

// The control ID of `item`; 0 when it has none.
int DlgCtrlId(const QWidget *item);

void SetDlgCtrlId(QWidget *item, int id);

// The first descendant of `parent` that carries `id`, or nullptr.
QWidget *FindDlgItem(const QWidget *parent, int id);

// Makes `control` the dialog item `id` of `parent`, the way subclassing a dialog item did:
// - `control` already is that item: nothing changes;
// - another widget is that item (a stand-in built from the template): `control` takes its
//   place, geometry, text, font, enabled and visible state, tooltip, tab position and ID;
//   the stand-in is hidden and loses its ID;
// - `parent` has no such item (or either pointer is null): returns false and changes nothing.
bool SubclassDlgItem(QWidget *control, int id, QWidget *parent);
