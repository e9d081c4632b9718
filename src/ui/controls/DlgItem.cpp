#include "ui/controls/DlgItem.h"

#include <QVariant>
#include <QWidget>

namespace {

// The dynamic property that holds the ID.
constexpr char kDlgCtrlIdProperty[] = "dlgCtrlId";

} // namespace

int DlgCtrlId(const QWidget *item)
{
    return item ? item->property(kDlgCtrlIdProperty).toInt() : 0;
}

void SetDlgCtrlId(QWidget *item, int id)
{
    if (item) {
        item->setProperty(kDlgCtrlIdProperty, id == 0 ? QVariant() : QVariant(id));
    }
}

QWidget *FindDlgItem(const QWidget *parent, int id)
{
    if (!parent || id == 0) {
        return nullptr;
    }
    const auto children = parent->findChildren<QWidget *>();
    for (QWidget *child : children) {
        if (DlgCtrlId(child) == id) {
            return child;
        }
    }
    return nullptr;
}

bool SubclassDlgItem(QWidget *control, int id, QWidget *parent)
{
    if (!control || !parent) {
        return false;
    }
    QWidget *const item = FindDlgItem(parent, id);
    if (item == control) {
        return true;
    }
    if (!item) {
        return false;
    }

    control->setParent(item->parentWidget());
    control->setGeometry(item->geometry());
    if (item->testAttribute(Qt::WA_SetFont)) {
        control->setFont(item->font());
    }
    const QVariant text = item->property("text");
    if (text.isValid() && control->metaObject()->indexOfProperty("text") >= 0) {
        control->setProperty("text", text);
    }
    control->setEnabled(item->isEnabledTo(item->parentWidget()));
    control->setToolTip(item->toolTip());
    if (control->objectName().isEmpty()) {
        control->setObjectName(item->objectName());
    }
    QWidget::setTabOrder(item, control);
    control->stackUnder(item);
    control->setVisible(!item->isHidden());

    item->hide();
    SetDlgCtrlId(item, 0);
    SetDlgCtrlId(control, id);
    return true;
}
