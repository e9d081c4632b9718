#include "WindowFixture.h"
#include "ui/windows/CModeSelectDlg.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QTableWidget>

using namespace Qt::StringLiterals;

namespace {

// The texts of the edits 1032 to 1035 (tube length C, [α], tube length [α], concentration).
using Edits = QStringList;

// Records the constants' texts shown, types those given (a null text leaves the edit), picks a
// mode, then OK or Cancel.
ModalDriver::Step ModeDialog(Edits type, int mode, bool ok, Edits *shown = nullptr)
{
    return [=](QWidget *modal) {
        auto *dialog = qobject_cast<CModeSelectDlg *>(modal);
        if (!dialog)
            return;
        for (int i = 0; i < 4; ++i) {
            auto *edit = GetDlgItem<QLineEdit>(*dialog, CModeSelectDlg::IDC_LEN_C + i);
            if (shown)
                shown->append(edit->text());
            if (i < type.size() && !type[i].isNull())
                edit->setText(type[i]);
        }
        GetDlgItem<QAbstractButton>(*dialog, CModeSelectDlg::IDC_MODE_FIRST + mode)->click();
        GetDlgItem<QAbstractButton>(*dialog, ok ? IDOK : IDCANCEL)->click();
    };
}

} // namespace

class tst_ModeSelect : public QObject
{
    Q_OBJECT

private slots:
    void modeDialog_data();
    void modeDialog();
};

void tst_ModeSelect::modeDialog_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<int>("reading"); // received and confirmed before the dialog
    QTest::addColumn<Edits>("typed");
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QByteArray>("after"); // empty: the file is left as it was
    QTest::addColumn<QList<float>>("constants"); // m_a, m_lenC, m_C, m_lena
    QTest::addColumn<QString>("converted"); // empty: the display is hidden
    QTest::addColumn<QString>("confirmed"); // by a Confirm right after the dialog

    const QByteArray stored = "[SYSTEM]\r\nnSelMode=2\r\n[consistence]\r\nm_a=66.5\r\n"
                              "m_lenC=1\r\n[a]\r\nm_lena=0.5\r\nm_C=3\r\n"_ba;
    const QByteArray defaults = "[consistence]\r\nm_a=1.000000\r\nm_lenC=2.000000\r\n[a]\r\n"
                                "m_C=1.000000\r\nm_Lena=2.000000\r\n"_ba;
    const QList<float> defaultConstants { 1.0f, 2.0f, 1.0f, 2.0f };
    QTest::newRow("OK writes the five keys in order, as typed; 2.5dm is 2.5, abc keeps m_lenC")
        << QByteArray() << 1000 << Edits { u"abc"_s, u"2.5dm"_s, u"1.5"_s, u" 4"_s } << 3 << true
        << "[consistence]\r\nm_a=2.5dm\r\nm_lenC=abc\r\n[a]\r\nm_C= 4\r\nm_Lena=1.5\r\n"
           "[SYSTEM]\r\nnSelMode=3\r\n"_ba
        << QList<float> { 2.5f, 2.0f, 4.0f, 1.5f } << u"+16.666"_s << u"16.667"_s;
    QTest::newRow("Cancel changes neither the file nor the members nor the run")
        << stored << 1000 << Edits { {}, u"9"_s } << 0 << false << QByteArray()
        << QList<float> { 66.5f, 1.0f, 3.0f, 0.5f } << u" 01.503"_s << u"1.504"_s;
    QTest::newRow("OK on the same mode again rewrites the keys in place")
        << stored << 1000 << Edits {} << 2 << true
        << "[SYSTEM]\r\nnSelMode=2\r\n[consistence]\r\nm_a=66.500000\r\nm_lenC=1.000000\r\n"
           "[a]\r\nm_Lena=0.500000\r\nm_C=3.000000\r\n"_ba
        << QList<float> { 66.5f, 1.0f, 3.0f, 0.5f } << u" 01.503"_s << u"1.504"_s;
    QTest::newRow("optical rotation to sugar degree converts the current reading")
        << QByteArray() << 12345 << Edits {} << 1 << true
        << defaults + "[SYSTEM]\r\nnSelMode=1\r\n"_ba << defaultConstants << u"+35.652"_s
        << u"35.652"_s;
    QTest::newRow("new tube length in the concentration mode converts it again")
        << "[SYSTEM]\r\nnSelMode=2\r\n"_ba << 500 << Edits { u"1"_s } << 2 << true
        << "[SYSTEM]\r\nnSelMode=2\r\n"_ba
            + QByteArray(defaults).replace("m_lenC=2.000000", "m_lenC=1")
        << QList<float> { 1.0f, 1.0f, 1.0f, 2.0f } << u" 50.000"_s << u"50.000"_s;
    QTest::newRow("specific rotation back to optical rotation")
        << "[SYSTEM]\r\nnSelMode=3\r\n"_ba << -2000 << Edits {} << 0 << true
        << "[SYSTEM]\r\nnSelMode=0\r\n"_ba + defaults << defaultConstants << QString()
        << u"-2.000"_s;
}

void tst_ModeSelect::modeDialog()
{
    QFETCH(QByteArray, before);
    QFETCH(int, reading);
    QFETCH(Edits, typed);
    QFETCH(int, mode);
    QFETCH(bool, ok);
    QFETCH(QByteArray, after);
    QFETCH(QList<float>, constants);
    QFETCH(QString, converted);
    QFETCH(QString, confirmed);

    WindowFixture f;
    QVERIFY(f.IsValid());
    auto window = f.Open(before);
    const int modeBefore = window->m_nSelMode;
    Edits shown;
    for (float value : { window->m_lenC, window->m_a, window->m_lena, window->m_C })
        shown << QString::asprintf("%f", double(value));
    QVERIFY(f.Confirm(*window, reading));
    const QByteArray fileBefore = f.ReadFile(f.app->GetSettings().Path());

    Edits seen;
    QVERIFY(f.Click(*window, CVelmoraDlg::IDC_MODE, { ModeDialog(typed, mode, ok, &seen) }));
    QCOMPARE(seen, shown);
    QCOMPARE(f.ReadFile(f.app->GetSettings().Path()),
             after.isEmpty() ? fileBefore : fileBefore.chopped(before.size()) + after);
    QCOMPARE((QList<float> { window->m_a, window->m_lenC, window->m_C, window->m_lena }),
             constants);
    QCOMPARE(window->m_nSelMode, ok ? mode : modeBefore);
    QCOMPARE(window->m_ctlConverted->isVisible(), !converted.isEmpty());
    if (!converted.isEmpty())
        QCOMPARE(window->m_ctlConverted->DisplayText(), converted);
    // OK starts a new run, also for the mode already in effect; Cancel keeps the run.
    QCOMPARE(window->m_list->rowCount(), ok ? 0 : 1);
    window->m_btnConfirm->click();
    QCOMPARE(window->m_list->item(ok ? 0 : 1, CVelmoraDlg::ColumnValue)->text(), confirmed);
}

QTEST_MAIN(tst_ModeSelect)
#include "tst_modeselect.moc"
