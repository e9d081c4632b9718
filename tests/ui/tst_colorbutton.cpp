#include "ControlTestSupport.h"
#include "ui/controls/ColorButton.h"
#include "ui/controls/DlgItem.h"

using namespace Qt::StringLiterals;

class TestColorButton : public QObject
{
    Q_OBJECT

private slots:
    void signalsToTheParent_data();
    void signalsToTheParent();
};

void TestColorButton::signalsToTheParent_data()
{
    QTest::addColumn<QString>("actions");
    QTest::addColumn<QString>("events");
    // Actions as Perform() takes them. "pressed", "released" and "clicked" come from the
    // default button handling, so their place shows where the signals come relative to it.
    QTest::newRow("click") << u"pr"_s << u"down pressed up released clicked"_s;
    QTest::newRow("release away from the button: up, no click") << u"po"_s << u"down pressed up"_s;
    QTest::newRow("double-click: no down for the second press")
        << u"prdr"_s << u"down pressed up released clicked pressed up released clicked"_s;
    QTest::newRow("space bar: neither signal") << u"ts"_s << u"pressed released clicked"_s;
    QTest::newRow("right button: nothing") << u"R"_s << QString();
}

void TestColorButton::signalsToTheParent()
{
    QFETCH(QString, actions);
    QFETCH(QString, events);

    // The zero button of the main window, put in place of its dialog item.
    Window<CColorButton> window;
    CColorButton *button = window.button;
    auto *item = new QPushButton(u"清零"_s, &window.parent);
    item->setGeometry(5, 6, 70, 25);
    SetDlgCtrlId(item, 1009);
    const QColor face(0, 128, 255);
    QVERIFY(!button->SubclassWithColors(1010, &window.parent, face, Qt::white, Qt::darkBlue, 2));
    QVERIFY(button->SubclassWithColors(1009, &window.parent, face, Qt::white, Qt::darkBlue, 2));
    QCOMPARE(FindDlgItem(&window.parent, 1009), button);
    QCOMPARE(button->geometry(), QRect(5, 6, 70, 25));
    QCOMPARE(button->text(), u"清零"_s);
    QVERIFY(window.Show());
    QVERIFY(item->isHidden());

    QStringList seen;
    const auto log = [&seen](const QString &event, int id = 1009) {
        seen << (id == 1009 ? event : u"%1 with ID %2"_s.arg(event).arg(id));
    };
    connect(button, &CColorButton::colorButtonDown, this, [&](int id) {
        // The parent hears of the press before the button takes the focus or looks pressed.
        log(button->isDown() || button->hasFocus() ? u"late down"_s : u"down"_s, id);
    });
    connect(button, &CColorButton::colorButtonUp, this, [&](int id) { log(u"up"_s, id); });
    connect(button, &QAbstractButton::pressed, this, [&] { log(u"pressed"_s); });
    connect(button, &QAbstractButton::released, this, [&] { log(u"released"_s); });
    connect(button, &QAbstractButton::clicked, this, [&] { log(u"clicked"_s); });
    for (const QChar action : actions) {
        Perform(*button, action);
    }
    QCOMPARE(seen.join(u' '), events);
    QCOMPARE(button->hasFocus(), actions.contains(u'p') || actions.contains(u't'));
}

QTEST_MAIN(TestColorButton)
#include "tst_colorbutton.moc"
