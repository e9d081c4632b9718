#include "ControlTestSupport.h"
#include "ui/controls/ResourceImages.h"
#include "ui/controls/StateImageButton.h"

class TestStateImageButton : public QObject
{
    Q_OBJECT

private slots:
    void setState_data();
    void setState();
};

void TestStateImageButton::setState_data()
{
    QTest::addColumn<QList<int>>("calls");
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("highlighted");
    QTest::addColumn<int>("image");

    const int dark = ResourceId::LampDark;
    QTest::newRow("3 disables") << QList<int> { 3 } << 3 << false << false << dark;
    QTest::newRow("1 after 3 enables and highlights")
        << QList<int> { 3, 1 } << 1 << true << true << int(ResourceId::LampHalfLit);
    QTest::newRow("2 after 3 enables and highlights")
        << QList<int> { 3, 2 } << 2 << true << true << int(ResourceId::LampLit);
    QTest::newRow("7 after 3 becomes 0, enabled")
        << QList<int> { 3, 7 } << 0 << true << false << dark;
    // What the decoder does at the start of every burst of data: both images reach the screen.
    QTest::newRow("flash") << QList<int> { 1, 0 } << 0 << true << false << dark;
}

void TestStateImageButton::setState()
{
    QFETCH(QList<int>, calls);
    QFETCH(int, state);
    QFETCH(bool, enabled);
    QFETCH(bool, highlighted);
    QFETCH(int, image);

    QWidget ground;
    QPalette palette = ground.palette();
    palette.setColor(QPalette::Window, QColor(10, 200, 10));
    ground.setPalette(palette);
    auto *lamp = new PaintCounting<CStateImageButton>(&ground);
    lamp->setGeometry(5, 5, 30, 24);
    // The main window's lamp: dark, half lit, lit, dark.
    QVERIFY(lamp->AssignStateBitmapIds(151, 150, 149, 151));
    ground.show();
    QVERIFY(QTest::qWaitForWindowExposed(&ground));
    QTRY_VERIFY(lamp->m_paints > 0);
    lamp->m_paints = 0;
    for (int call : calls) {
        lamp->SetState(call);
    }
    QCOMPARE(lamp->GetState(), state);
    QCOMPARE(lamp->isEnabled(), enabled);
    QCOMPARE(lamp->isDown(), highlighted);
    // Every call changes the state here, and each change is painted at once.
    QCOMPARE(lamp->m_paints, calls.size());

    // The image at the top-left corner, the parent's ground beyond it.
    const QImage shown =
        ground.grab(lamp->geometry()).toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(shown.copy(0, 0, 14, 14),
             LoadResourceImage(image).convertToFormat(QImage::Format_RGB32));
    QCOMPARE(shown.pixel(20, 5), qRgb(10, 200, 10));
    QCOMPARE(shown.pixel(5, 20), qRgb(10, 200, 10));
}

QTEST_MAIN(TestStateImageButton)
#include "tst_stateimagebutton.moc"
