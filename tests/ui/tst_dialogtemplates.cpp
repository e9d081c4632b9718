#include "ui/dialogs/DialogBuilder.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QDialog>
#include <QPushButton>
#include <QSet>
#include <QTest>

class TestDialogTemplates : public QObject
{
    Q_OBJECT

private slots:
    void mapsBothCornersLikeTheDialogManager_data();
    void mapsBothCornersLikeTheDialogManager();
    void templateBuildsItsItems_data();
    void templateBuildsItsItems();
};

void TestDialogTemplates::mapsBothCornersLikeTheDialogManager_data()
{
    QTest::addColumn<QSize>("baseUnits");
    QTest::addColumn<QRect>("du");
    QTest::addColumn<QRect>("pixels");
    // 6 x 12 are the base units of a 9-point face at 96 dpi on the original platform.
    QTest::newRow("confirm button, 9 pt")
        << QSize(6, 12) << QRect(261, 170, 80, 19) << QRect(392, 255, 120, 29);
    QTest::newRow("odd units round half up")
        << QSize(7, 15) << QRect(1, 1, 1, 1) << QRect(2, 2, 2, 2);
    QTest::newRow("separator one unit high")
        << QSize(6, 14) << QRect(7, 31, 393, 1) << QRect(11, 54, 589, 2);
}

void TestDialogTemplates::mapsBothCornersLikeTheDialogManager()
{
    QFETCH(QSize, baseUnits);
    QFETCH(QRect, du);
    QFETCH(QRect, pixels);
    const DialogBaseUnits units { baseUnits.width(), baseUnits.height() };
    QCOMPARE(units.MapRect(du.x(), du.y(), du.width(), du.height()), pixels);
}

void TestDialogTemplates::templateBuildsItsItems_data()
{
    QTest::addColumn<int>("templateId");
    QTest::addColumn<int>("radios"); // in the group of the first radio button
    QTest::newRow("about 100") << 100 << 0;
    QTest::newRow("main window 102") << 102 << 0;
    QTest::newRow("login 129") << 129 << 0;
    QTest::newRow("sampling count 130") << 130 << 0;
    QTest::newRow("mode 170") << 170 << 4;
}

// Every item with an ID: at its converted place, inside the dialog, on top where group boxes
// surround it, tab stops in the template's order.
void TestDialogTemplates::templateBuildsItsItems()
{
    QFETCH(int, templateId);
    QFETCH(int, radios);
    const DialogTemplate *tmpl = FindDialogTemplate(templateId);
    QVERIFY(tmpl);

    QDialog dialog;
    BuildDialog(dialog, *tmpl);
    const DialogBaseUnits units = BaseUnitsOf(dialog.font());
    QVERIFY(units.cx > 0 && units.cy > 0);
    QCOMPARE(dialog.size(), QSize(units.MapX(tmpl->cx), units.MapY(tmpl->cy)));

    QSet<int> ids;
    QList<QWidget *> tabStops;
    int firstRadio = 0;
    for (const DialogItemTemplate &item : tmpl->items) {
        if (item.id == IDC_STATIC)
            continue;
        const QByteArray label = QByteArray::number(item.id);
        QVERIFY2(!ids.contains(item.id), label);
        ids.insert(item.id);
        QWidget *widget = GetDlgItem(dialog, item.id);
        QVERIFY2(widget, label);
        const QRect expected = units.MapRect(item.x, item.y, item.cx, item.cy);
        if (item.kind == ItemKind::DropList) {
            // The template's height includes the opened list.
            QCOMPARE(widget->geometry().topLeft(), expected.topLeft());
            QVERIFY(widget->height() < expected.height());
            QVERIFY(qobject_cast<QComboBox *>(widget)->maxVisibleItems() >= 5);
        } else {
            QCOMPARE(widget->geometry(), expected);
        }
        QVERIFY2(dialog.rect().contains(widget->geometry()), label);
        QWidget *hit = dialog.childAt(widget->geometry().center());
        QVERIFY2(hit == widget || widget->isAncestorOf(hit), label);
        if (item.kind == ItemKind::DefPushButton)
            QVERIFY(qobject_cast<QPushButton *>(widget)->isDefault());
        if (item.kind == ItemKind::AutoRadioButton && !firstRadio)
            firstRadio = item.id;
        if (item.flags & TabStop)
            tabStops << widget;
    }
    for (int i = 0; i + 1 < tabStops.size(); ++i) {
        QWidget *next = tabStops[i]->nextInFocusChain();
        while (!tabStops.contains(next))
            next = next->nextInFocusChain();
        QCOMPARE(next, tabStops[i + 1]);
    }
    if (radios) {
        QButtonGroup *group = GetDlgGroup(dialog, firstRadio);
        QVERIFY(group);
        QCOMPARE(group->buttons().size(), radios);
        QCOMPARE(group->id(group->buttons().constFirst()), firstRadio);
    }
}

QTEST_MAIN(TestDialogTemplates)
#include "tst_dialogtemplates.moc"
