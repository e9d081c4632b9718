#include "ui/controls/DlgItem.h"

#include <QVariant>
#include <QWidget>

namespace {

// The dynamic property that holds the ID.
constexpr char kDlgCtrlIdProperty[] = "dlgCtrlId";

} // namespace

int DlgCtrlId(const QWidget *item)
{
    // property() first searches the class's declared properties by name, which costs far more
    // than the dynamic-property list; most widgets (a table's inner parts) have none at all.
    if (!item || !item->dynamicPropertyNames().contains(kDlgCtrlIdProperty))
        return 0;
    return item->property(kDlgCtrlIdProperty).toInt();
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
    // Depth first in creation order, as findChildren lists them, stopping at the first match
    // instead of listing every descendant.
    for (QObject *object : parent->children()) {
        auto *child = qobject_cast<QWidget *>(object);
        if (!child)
            continue;
        if (DlgCtrlId(child) == id)
            return child;
        if (QWidget *found = FindDlgItem(child, id))
            return found;
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
