#include "app/DialogBuilder.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QTest>

#include <array>

class TestDialogTemplates : public QObject
{
    Q_OBJECT

private slots:
    void mapsBothCornersLikeTheDialogManager_data();
    void mapsBothCornersLikeTheDialogManager();
    void everyTemplateBuildsInsideItsDialog_data();
    void everyTemplateBuildsInsideItsDialog();
    void itemsHaveTheirKindAndTabOrder();
    void radioGroupsAndStacking();
};

void TestDialogTemplates::mapsBothCornersLikeTheDialogManager_data()
{
    QTest::addColumn<int>("cx");
    QTest::addColumn<int>("cy");
    QTest::addColumn<QRect>("du");
    QTest::addColumn<QRect>("pixels");
    // 6 x 12 are the base units of a 9-point face at 96 dpi on the original platform.
    QTest::newRow("confirm button, 9 pt")
        << 6 << 12 << QRect(261, 170, 80, 19) << QRect(392, 255, 120, 29);
    QTest::newRow("odd units round half up") << 7 << 15 << QRect(1, 1, 1, 1) << QRect(2, 2, 2, 2);
    QTest::newRow("separator one unit high")
        << 6 << 14 << QRect(7, 31, 393, 1) << QRect(11, 54, 589, 2);
}

void TestDialogTemplates::mapsBothCornersLikeTheDialogManager()
{
    QFETCH(int, cx);
    QFETCH(int, cy);
    QFETCH(QRect, du);
    QFETCH(QRect, pixels);
    const DialogBaseUnits units { cx, cy };
    QCOMPARE(units.MapRect(du.x(), du.y(), du.width(), du.height()), pixels);
}

void TestDialogTemplates::everyTemplateBuildsInsideItsDialog_data()
{
    QTest::addColumn<int>("templateId");
    QTest::addColumn<int>("itemCount");
    QTest::newRow("about 100") << 100 << 3;
    QTest::newRow("main window 102") << 102 << 31;
    QTest::newRow("login 129") << 129 << 13;
    QTest::newRow("sampling count 130") << 130 << 4;
}

void TestDialogTemplates::everyTemplateBuildsInsideItsDialog()
{
    QFETCH(int, templateId);
    QFETCH(int, itemCount);
    const DialogTemplate *tmpl = FindDialogTemplate(templateId);
    QVERIFY(tmpl);
    QCOMPARE(int(tmpl->items.size()), itemCount);

    QDialog dialog;
    BuildDialog(dialog, *tmpl);
    const DialogBaseUnits units = BaseUnitsOf(dialog.font());
    QVERIFY(units.cx > 0 && units.cy > 0);
    QCOMPARE(dialog.size(), QSize(units.MapX(tmpl->cx), units.MapY(tmpl->cy)));

    QSet<int> ids;
    for (const DialogItemTemplate &item : tmpl->items) {
        if (item.id == IDC_STATIC)
            continue;
        QVERIFY2(!ids.contains(item.id), qPrintable(QString::number(item.id)));
        ids.insert(item.id);
        QWidget *widget = GetDlgItem(dialog, item.id);
        QVERIFY2(widget, qPrintable(QString::number(item.id)));
        QVERIFY(dialog.rect().contains(widget->geometry()));
        if (item.kind != ItemKind::DropList)
            QCOMPARE(widget->geometry(), units.MapRect(item.x, item.y, item.cx, item.cy));
    }
}

void TestDialogTemplates::itemsHaveTheirKindAndTabOrder()
{
    QDialog login;
    BuildDialog(login, 129);
    QCOMPARE(login.windowTitle(), QStringLiteral("Quenzel Polarimeter"));
    QCOMPARE(login.font().pointSize(), 10);
    const std::array editIds { 1000, 1001, 1002, 1003 };
    QWidget *previous = nullptr;
    for (int id : editIds) {
        auto *edit = GetDlgItem<QLineEdit>(login, id);
        QVERIFY(edit);
        if (previous)
            QCOMPARE(previous->nextInFocusChain(), edit);
        previous = edit;
    }
    auto *port = GetDlgItem<QComboBox>(login, 1005);
    QVERIFY(port);
    QCOMPARE(previous->nextInFocusChain(), port);
    auto *ok = GetDlgItem<QPushButton>(login, IDOK);
    QVERIFY(ok && ok->isDefault());
    QCOMPARE(ok->text(), QStringLiteral("确定"));
    QCOMPARE(port->nextInFocusChain(), ok);
    // The list's height in the template includes the opened list.
    QVERIFY(port->height() < BaseUnitsOf(login.font()).MapY(91));
    QVERIFY(port->maxVisibleItems() >= 5);
}

void TestDialogTemplates::radioGroupsAndStacking()
{
    // The shape of the mode dialog: radio buttons first, a group box drawn around them last.
    constexpr std::array items {
        DialogItemTemplate { 1, ItemKind::DefPushButton, "OK", 130, 132, 50, 16, TabStop },
        DialogItemTemplate { 1028, ItemKind::AutoRadioButton, "a", 11, 21, 74, 10, Group },
        DialogItemTemplate { 1029, ItemKind::AutoRadioButton, "b", 135, 21, 64, 10, NoFlags },
        DialogItemTemplate { IDC_STATIC, ItemKind::Static, "ends", 12, 77, 37, 8, Group },
        DialogItemTemplate { IDC_STATIC, ItemKind::GroupBox, "", 6, 7, 118, 36, NoFlags },
    };
    const DialogTemplate tmpl { 999, "t", "宋体", 10, 258, 165, ModalFrame, items };
    QDialog dialog;
    BuildDialog(dialog, tmpl);

    QButtonGroup *group = GetDlgGroup(dialog, 1028);
    QVERIFY(group);
    QCOMPARE(group->buttons().size(), 2);
    auto *first = GetDlgItem<QRadioButton>(dialog, 1028);
    QCOMPARE(group->id(first), 1028);
    QCOMPARE(first->focusPolicy(), Qt::ClickFocus);
    // The group box lies below the radio button it surrounds, so clicks reach the button.
    QCOMPARE(dialog.childAt(first->geometry().center()), first);
}

QTEST_MAIN(TestDialogTemplates)
#include "tst_dialogtemplates.moc"
