#include "ControlTestSupport.h"
#include "ResourceImages.h"
#include "controls/StateImageButton.h"

#include <QSignalSpy>

using namespace Qt::StringLiterals;

namespace {

// Records the state of every paint, to see which images reached the screen.
class RecordingLamp : public CStateImageButton
{
public:
    using CStateImageButton::CStateImageButton;
    QList<int> m_paintedStates;

protected:
    void paintEvent(QPaintEvent *event) override
    {
        m_paintedStates.append(GetState());
        CStateImageButton::paintEvent(event);
    }
};

QImage Lamp(int id)
{
    return LoadResourceImage(id).convertToFormat(QImage::Format_RGB32);
}

} // namespace

class TestStateImageButton : public QObject
{
    Q_OBJECT

private slots:
    void setState_data();
    void setState();
    void assignStateBitmapIds_data();
    void assignStateBitmapIds();
    void flashShowsBothImages();
    void imageOfState_data();
    void imageOfState();
};

void TestStateImageButton::setState_data()
{
    QTest::addColumn<QList<int>>("calls");
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("highlighted");

    QTest::newRow("0") << QList<int> { 0 } << 0 << true << false;
    QTest::newRow("1 highlights") << QList<int> { 1 } << 1 << true << true;
    QTest::newRow("2 highlights") << QList<int> { 2 } << 2 << true << true;
    QTest::newRow("3 disables") << QList<int> { 3 } << 3 << false << false;
    QTest::newRow("7 becomes 0") << QList<int> { 7 } << 0 << true << false;
    QTest::newRow("-1 becomes 0") << QList<int> { 2, -1 } << 0 << true << false;
    QTest::newRow("0 after 3 enables") << QList<int> { 3, 0 } << 0 << true << false;
    QTest::newRow("1 after 3 enables") << QList<int> { 3, 1 } << 1 << true << true;
    QTest::newRow("2 after 3 enables") << QList<int> { 3, 2 } << 2 << true << true;
    QTest::newRow("7 after 3 enables") << QList<int> { 3, 7 } << 0 << true << false;
}

void TestStateImageButton::setState()
{
    QFETCH(QList<int>, calls);
    QFETCH(int, state);
    QFETCH(bool, enabled);
    QFETCH(bool, highlighted);

    CStateImageButton lamp;
    for (int call : calls) {
        lamp.SetState(call);
    }
    QCOMPARE(lamp.GetState(), state);
    QCOMPARE(lamp.isEnabled(), enabled);
    QCOMPARE(lamp.isDown(), highlighted);
}

void TestStateImageButton::assignStateBitmapIds_data()
{
    QTest::addColumn<QList<uint>>("ids");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QList<bool>>("loaded");

    QTest::newRow("the main window's images")
        << QList<uint> { 151, 150, 149, 151 } << true << QList<bool> { true, true, true, true };
    QTest::newRow("only a state-0 image")
        << QList<uint> { 151, 0, 0, 0 } << true << QList<bool> { true, false, false, false };
    QTest::newRow("no state-0 image fails")
        << QList<uint> { 0, 150, 149, 151 } << false << QList<bool> { false, false, false, false };
    QTest::newRow("unknown image stops the loading")
        << QList<uint> { 151, 150, 999, 149 } << false << QList<bool> { true, true, false, false };
    QTest::newRow("16-bit resource number") << QList<uint> { 0x10000 + 151, 0, 0, 0 } << true
                                            << QList<bool> { true, false, false, false };
}

void TestStateImageButton::assignStateBitmapIds()
{
    QFETCH(QList<uint>, ids);
    QFETCH(bool, result);
    QFETCH(QList<bool>, loaded);

    CStateImageButton lamp;
    lamp.resize(30, 24);
    // Images of an earlier assignment never survive a new one.
    QVERIFY(lamp.AssignStateBitmapIds(149, 149, 149, 149));
    QCOMPARE(lamp.AssignStateBitmapIds(ids[0], ids[1], ids[2], ids[3]), result);

    const QImage empty = [] {
        CStateImageButton blank;
        blank.resize(30, 24);
        return Snapshot(blank);
    }();
    for (int state = 0; state < 4; ++state) {
        lamp.SetState(state);
        const bool drawn = Snapshot(lamp) != empty;
        QVERIFY2(drawn == loaded[state], qPrintable(u"state %1"_s.arg(state)));
    }
}

void TestStateImageButton::flashShowsBothImages()
{
    QWidget window;
    window.resize(60, 40);
    auto *lamp = new RecordingLamp(&window);
    lamp->setGeometry(10, 10, 30, 24);
    lamp->AssignStateBitmapIds(151, 150, 149, 151);
    lamp->SetState(0);
    QVERIFY(ShowActive(window));
    QTRY_VERIFY(!lamp->m_paintedStates.isEmpty());
    lamp->m_paintedStates.clear();

    // What the decoder does at the start of every burst of data.
    lamp->SetState(1);
    lamp->SetState(0);
    QCOMPARE(lamp->m_paintedStates, QList<int>({ 1, 0 }));
    lamp->SetState(2);
    QCOMPARE(lamp->m_paintedStates.last(), 2);
}

void TestStateImageButton::imageOfState_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<int>("imageId");
    QTest::newRow("0 dark") << 0 << ResourceId::LampDark;
    QTest::newRow("1 half lit") << 1 << ResourceId::LampHalfLit;
    QTest::newRow("2 lit") << 2 << ResourceId::LampLit;
    QTest::newRow("3 dark, disabled") << 3 << ResourceId::LampDark;
    QTest::newRow("7 shows state 0") << 7 << ResourceId::LampDark;
}

void TestStateImageButton::imageOfState()
{
    QFETCH(int, state);
    QFETCH(int, imageId);

    QWidget ground;
    QPalette palette = ground.palette();
    palette.setColor(QPalette::Window, QColor(10, 200, 10));
    ground.setPalette(palette);
    ground.setAutoFillBackground(true);
    ground.resize(50, 40);
    auto *lamp = new CStateImageButton(&ground);
    lamp->setGeometry(5, 5, 30, 24);
    lamp->AssignStateBitmapIds(151, 150, 149, 151);
    lamp->SetState(state);

    const QImage shown =
        ground.grab(lamp->geometry()).toImage().convertToFormat(QImage::Format_RGB32);
    const QImage image = Lamp(imageId);
    QCOMPARE(image.size(), QSize(14, 14));
    // The image at the top-left corner, the parent's ground beyond it.
    QCOMPARE(shown.copy(0, 0, 14, 14), image);
    QCOMPARE(shown.pixel(20, 5), qRgb(10, 200, 10));
    QCOMPARE(shown.pixel(5, 20), qRgb(10, 200, 10));
}

QTEST_MAIN(TestStateImageButton)
#include "tst_stateimagebutton.moc"
