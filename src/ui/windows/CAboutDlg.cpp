#include "ui/windows/CAboutDlg.h"

#include "ui/controls/ResourceImages.h"

#include <QLabel>

namespace {

// The icon item has no control ID; it is the template's only icon label.
QWidget *CreateAboutItem(const DialogItemTemplate &item, QWidget *parent)
{
    if (item.kind != ItemKind::Icon)
        return nullptr;
    auto *icon = new QLabel(parent);
    icon->setPixmap(QPixmap::fromImage(LoadResourceImage(ResourceId::MainIcon)));
    return icon;
}

} // namespace

CAboutDlg::CAboutDlg(QWidget *parent)
    : TemplateDialog(kTemplateId, parent, &CreateAboutItem)
{ }
