#include "../report/WindowFixture.h"
#include "measure/CModeSelectDlg.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QTableWidget>

using namespace Qt::StringLiterals;

namespace {

using Edits = QMap<int, QString>;

// Works the mode dialog: records the constants' texts it showed, types, picks a mode, then OK
// or Cancel.
ModalDriver::Step ModeDialog(Edits type, int mode, bool ok, Edits *shown = nullptr)
{
    return [=](QWidget *modal) {
        auto *dialog = qobject_cast<CModeSelectDlg *>(modal);
        if (!dialog)
            return;
        for (int id = CModeSelectDlg::IDC_LEN_C; shown && id <= CModeSelectDlg::IDC_C; ++id)
            shown->insert(id, GetDlgItem<QLineEdit>(*dialog, id)->text());
        for (auto it = type.cbegin(); it != type.cend(); ++it)
            GetDlgItem<QLineEdit>(*dialog, it.key())->setText(it.value());
        GetDlgItem<QAbstractButton>(*dialog, CModeSelectDlg::IDC_MODE_FIRST + mode)->click();
        if (const QString shots = qEnvironmentVariable("VELMORA_SCREENSHOT_DIR"); !shots.isEmpty())
            dialog->grab().save(shots + u"/mode_dialog.png"_s);
        GetDlgItem<QAbstractButton>(*dialog, ok ? IDOK : IDCANCEL)->click();
    };
}

} // namespace

class tst_ModeSelect : public QObject
{
    Q_OBJECT

private slots:
    void dialogAgainstTheSettingsFile_data();
    void dialogAgainstTheSettingsFile();
    void modeChangeConvertsTheCurrentReading_data();
    void modeChangeConvertsTheCurrentReading();
};

void tst_ModeSelect::dialogAgainstTheSettingsFile_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<Edits>("shown");
    QTest::addColumn<Edits>("typed");
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QByteArray>("after"); // empty: the file is left as it was
    QTest::addColumn<QList<float>>("constants"); // m_a, m_lenC, m_C, m_lena

    const QByteArray stored = "[SYSTEM]\r\nnSelMode=2\r\n[consistence]\r\nm_a=66.5\r\n"
                              "m_lenC=1\r\n[a]\r\nm_lena=0.5\r\nm_C=3\r\n"_ba;
    const Edits storedShown { { 1032, u"1.000000"_s },
                              { 1033, u"66.500000"_s },
                              { 1034, u"0.500000"_s },
                              { 1035, u"3.000000"_s } };
    QTest::newRow("OK writes the five keys in order, as typed; 2.5dm is 2.5, abc keeps m_lenC")
        << QByteArray()
        << Edits { { 1032, u"2.000000"_s },
                   { 1033, u"1.000000"_s },
                   { 1034, u"2.000000"_s },
                   { 1035, u"1.000000"_s } }
        << Edits { { 1032, u"abc"_s }, { 1033, u"2.5dm"_s }, { 1034, u"1.5"_s }, { 1035, u" 4"_s } }
        << 3 << true
        << "[consistence]\r\nm_a=2.5dm\r\nm_lenC=abc\r\n[a]\r\nm_C= 4\r\nm_Lena=1.5\r\n"
           "[SYSTEM]\r\nnSelMode=3\r\n"_ba
        << QList<float> { 2.5f, 2.0f, 4.0f, 1.5f };
    QTest::newRow("Cancel changes neither the file nor the members")
        << stored << storedShown << Edits { { 1033, u"9"_s } } << 0 << false << QByteArray()
        << QList<float> { 66.5f, 1.0f, 3.0f, 0.5f };
    QTest::newRow("OK on the same mode again rewrites the keys in place")
        << stored << storedShown << Edits {} << 2 << true
        << "[SYSTEM]\r\nnSelMode=2\r\n[consistence]\r\nm_a=66.500000\r\nm_lenC=1.000000\r\n"
           "[a]\r\nm_Lena=0.500000\r\nm_C=3.000000\r\n"_ba
        << QList<float> { 66.5f, 1.0f, 3.0f, 0.5f };
}

void tst_ModeSelect::dialogAgainstTheSettingsFile()
{
    QFETCH(QByteArray, before);
    QFETCH(Edits, shown);
    QFETCH(Edits, typed);
    QFETCH(int, mode);
    QFETCH(bool, ok);
    QFETCH(QByteArray, after);
    QFETCH(QList<float>, constants);

    WindowFixture f;
    QVERIFY(f.IsValid());
    auto window = f.Open(before);
    const int modeBefore = window->m_nSelMode;
    QVERIFY(f.Confirm(*window, 1000));
    const QByteArray fileBefore = f.ReadFile(f.app->m_strIniPath);

    Edits seen;
    QVERIFY(f.Click(*window, CVelmoraDlg::IDC_MODE, { ModeDialog(typed, mode, ok, &seen) }));
    QCOMPARE(seen, shown);
    QCOMPARE(f.ReadFile(f.app->m_strIniPath),
             after.isEmpty() ? fileBefore : fileBefore.chopped(before.size()) + after);
    QCOMPARE((QList<float> { window->m_a, window->m_lenC, window->m_C, window->m_lena }),
             constants);
    QCOMPARE(window->m_nSelMode, ok ? mode : modeBefore);
    // OK starts a new run, also for the mode already in effect; Cancel keeps the run.
    QCOMPARE(window->m_list->rowCount(), ok ? 0 : 1);
}

void tst_ModeSelect::modeChangeConvertsTheCurrentReading_data()
{
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<int>("reading");
    QTest::addColumn<Edits>("typed");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("converted"); // empty: the display is hidden
    QTest::addColumn<QString>("confirmed");

    QTest::newRow("optical rotation to sugar degree")
        << QByteArray() << 12345 << Edits {} << 1 << u"+35.652"_s << u"35.652"_s;
    QTest::newRow("new tube length in the concentration mode")
        << "[SYSTEM]\r\nnSelMode=2\r\n"_ba << 500 << Edits { { 1032, u"1"_s } } << 2 << u" 50.000"_s
        << u"50.000"_s;
    QTest::newRow("specific rotation back to optical rotation")
        << "[SYSTEM]\r\nnSelMode=3\r\n"_ba << -2000 << Edits {} << 0 << QString() << u"-2.000"_s;
}

// The decoder converted the reading under the old mode; a Confirm right after the change must
// enter the value of the new mode.
void tst_ModeSelect::modeChangeConvertsTheCurrentReading()
{
    QFETCH(QByteArray, settings);
    QFETCH(int, reading);
    QFETCH(Edits, typed);
    QFETCH(int, mode);
    QFETCH(QString, converted);
    QFETCH(QString, confirmed);

    WindowFixture f;
    QVERIFY(f.IsValid());
    auto window = f.Open(settings);
    QVERIFY(f.Send(*window, reading));
    QVERIFY(f.Click(*window, CVelmoraDlg::IDC_MODE, { ModeDialog(typed, mode, true) }));

    QCOMPARE(window->m_ctlConverted->isVisible(), !converted.isEmpty());
    if (!converted.isEmpty())
        QCOMPARE(window->m_ctlConverted->DisplayText(), converted);
    window->m_btnConfirm->click();
    QCOMPARE(window->m_list->item(0, CVelmoraDlg::ColumnValue)->text(), confirmed);
}

QTEST_MAIN(tst_ModeSelect)
#include "tst_modeselect.moc"
