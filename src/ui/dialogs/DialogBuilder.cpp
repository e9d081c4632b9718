#include "ui/dialogs/DialogBuilder.h"

#include "ui/controls/DlgItem.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

constexpr char kContext[] = "DialogTemplate";

QString GroupName(int firstId)
{
    return u"dlgGroup%1"_s.arg(firstId);
}

// MulDiv of the platform: the product over the divisor, rounded half away from zero.
int MulDiv(int value, int numerator, int denominator)
{
    return static_cast<int>(std::lround(static_cast<double>(value) * numerator / denominator));
}

QWidget *CreateStandardItem(const DialogItemTemplate &item, QWidget *parent, const QString &text)
{
    switch (item.kind) {
    case ItemKind::PushButton:
    case ItemKind::OwnerDrawButton:
        return new QPushButton(text, parent);
    case ItemKind::DefPushButton: {
        auto *button = new QPushButton(text, parent);
        button->setDefault(true);
        return button;
    }
    case ItemKind::Edit:
        return new QLineEdit(parent);
    case ItemKind::DropList:
        return new QComboBox(parent);
    case ItemKind::Static:
    case ItemKind::Icon: {
        auto *label = new QLabel(text, parent);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return label;
    }
    case ItemKind::ListView: {
        auto *table = new QTableWidget(parent);
        table->verticalHeader()->hide();
        // Rows as high as a line of the dialog font, like a report-style list.
        const int rowHeight = table->fontMetrics().height() + 4;
        table->verticalHeader()->setMinimumSectionSize(rowHeight);
        table->verticalHeader()->setDefaultSectionSize(rowHeight);
        table->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        table->horizontalHeader()->setHighlightSections(false);
        table->setEditTriggers(QAbstractItemView::NoEditTriggers);
        table->setShowGrid(false);
        table->setWordWrap(false);
        table->setCornerButtonEnabled(false);
        return table;
    }
    case ItemKind::SunkenLine: {
        auto *line = new QFrame(parent);
        line->setFrameShape(QFrame::HLine);
        line->setFrameShadow(QFrame::Sunken);
        return line;
    }
    case ItemKind::AutoRadioButton:
        return new QRadioButton(text, parent);
    case ItemKind::GroupBox:
        return new QGroupBox(text, parent);
    }
    return new QWidget(parent);
}

// A drop-down list's template height includes its opened list; the closed box is as high as
// its font needs, and the list shows as many rows as fit in the rest.
void PlaceDropList(QComboBox &combo, const QRect &rect)
{
    const int closedHeight = combo.sizeHint().height();
    combo.setGeometry(rect.x(), rect.y(), rect.width(), closedHeight);
    const int rowHeight = qMax(1, combo.fontMetrics().height());
    combo.setMaxVisibleItems(qMax(1, (rect.height() - closedHeight) / rowHeight));
}

// The right edge, in dialog units, up to which the static text `item` may grow: one unit short
// of the nearest item to its right on the same line, of the group box around it and of the
// dialog's edge.
int FreeRightEdge(const DialogTemplate &tmpl, const DialogItemTemplate &item)
{
    const int right = item.x + item.cx;
    int edge = tmpl.cx;
    for (const DialogItemTemplate &other : tmpl.items) {
        if (&other == &item || other.y >= item.y + item.cy || other.y + other.cy <= item.y)
            continue;
        if (other.x >= right)
            edge = std::min(edge, other.x);
        else if (other.kind == ItemKind::GroupBox && other.x <= item.x)
            edge = std::min(edge, other.x + other.cx);
    }
    return edge - 1;
}

} // namespace

int DialogBaseUnits::MapX(int du) const
{
    return MulDiv(du, cx, 4);
}

int DialogBaseUnits::MapY(int du) const
{
    return MulDiv(du, cy, 8);
}

QRect DialogBaseUnits::MapRect(int x, int y, int width, int height) const
{
    const int left = MapX(x);
    const int top = MapY(y);
    return QRect(left, top, MapX(x + width) - left, MapY(y + height) - top);
}

DialogBaseUnits BaseUnitsOf(const QFont &font)
{
    const QFontMetrics metrics(font);
    return DialogBaseUnits { metrics.averageCharWidth(), metrics.height() };
}

void BuildDialog(QDialog &dialog, const DialogTemplate &tmpl, const ItemFactory &factory)
{
    const QFont font(QString::fromUtf8(tmpl.fontFace), tmpl.pointSize);
    dialog.setFont(font);
    dialog.setWindowTitle(QCoreApplication::translate(kContext, tmpl.caption));

    Qt::WindowFlags flags = Qt::WindowTitleHint | Qt::WindowSystemMenuHint
        | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint;
    flags |= (tmpl.style & MinimizeBox) ? (Qt::Window | Qt::WindowMinimizeButtonHint) : Qt::Dialog;
    dialog.setWindowFlags(flags);

    const DialogBaseUnits units = BaseUnitsOf(font);
    dialog.setFixedSize(units.MapRect(0, 0, tmpl.cx, tmpl.cy).size());

    QWidget *previousTabStop = nullptr;
    QWidget *firstTabStop = nullptr;
    QButtonGroup *radioGroup = nullptr;

    for (const DialogItemTemplate &item : tmpl.items) {
        const QString text = QCoreApplication::translate(kContext, item.text);
        QWidget *widget = factory ? factory(item, &dialog) : nullptr;
        if (widget) {
            if (!text.isEmpty() && widget->metaObject()->indexOfProperty("text") >= 0)
                widget->setProperty("text", text);
        } else {
            widget = CreateStandardItem(item, &dialog, text);
        }
        if (item.id != IDC_STATIC)
            SetDlgCtrlId(widget, item.id);

        QRect rect = units.MapRect(item.x, item.y, item.cx, item.cy);
        // A translation may be longer than the text the template was drawn for: the label then
        // takes the free room to its right rather than cutting its text.
        if (item.kind == ItemKind::Static && qobject_cast<QLabel *>(widget) && !text.isEmpty()) {
            const int needed = widget->fontMetrics().horizontalAdvance(text);
            const int room = units.MapX(FreeRightEdge(tmpl, item)) - rect.left();
            if (needed > rect.width())
                rect.setWidth(std::max(rect.width(), std::min(needed, room)));
        }
        if (auto *combo = qobject_cast<QComboBox *>(widget))
            PlaceDropList(*combo, rect);
        else if (item.kind == ItemKind::Icon)
            widget->setGeometry(QRect(rect.topLeft(), QSize(32, 32)));
        else
            widget->setGeometry(rect);

        if (item.flags & Group)
            radioGroup = nullptr;
        if (auto *radio = qobject_cast<QRadioButton *>(widget)) {
            if (!radioGroup) {
                radioGroup = new QButtonGroup(&dialog);
                radioGroup->setObjectName(GroupName(item.id));
            }
            radioGroup->addButton(radio, item.id);
        }

        if (item.flags & TabStop) {
            widget->setFocusPolicy(Qt::StrongFocus);
            if (previousTabStop)
                QWidget::setTabOrder(previousTabStop, widget);
            else
                firstTabStop = widget;
            previousTabStop = widget;
        } else if (widget->focusPolicy() != Qt::NoFocus) {
            widget->setFocusPolicy(Qt::ClickFocus);
        }

        // The first item of a template lies on top of the later ones.
        widget->lower();
    }

    if (firstTabStop)
        firstTabStop->setFocus();
}

void BuildDialog(QDialog &dialog, int templateId, const ItemFactory &factory)
{
    const DialogTemplate *tmpl = FindDialogTemplate(templateId);
    Q_ASSERT_X(tmpl, "BuildDialog", "no such dialog template");
    if (tmpl)
        BuildDialog(dialog, *tmpl, factory);
}

QWidget *GetDlgItem(const QWidget &dialog, int id)
{
    return id == IDC_STATIC ? nullptr : FindDlgItem(&dialog, id);
}

QButtonGroup *GetDlgGroup(const QWidget &dialog, int firstId)
{
    return dialog.findChild<QButtonGroup *>(GroupName(firstId), Qt::FindDirectChildrenOnly);
}

QString ProgramName()
{
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}
