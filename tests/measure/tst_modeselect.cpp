#include "../app/ModalDriver.h"
#include "../link/PtyPair.h"
#include "app/CVelmoraApp.h"
#include "app/Gb18030.h"
#include "controls/LedDigitDisplay.h"
#include "measure/CModeSelectDlg.h"
#include "measure/CVelmoraDlg.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

using Edits = QMap<int, QString>;

QByteArray ReadingFrame(long r)
{
    QByteArray frame("\x02\x07\x01", 3);
    frame += (r < 0 ? "-"_ba : "+"_ba) + QByteArray::number(qAbs(r)).rightJustified(5, '0');
    char check = 0;
    for (char c : frame)
        check ^= c;
    return frame + check + '\x03';
}

QByteArray ReadFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Works the mode dialog: records what it showed, types into the edits, picks a mode (or none)
// and presses OK, or Cancel.
struct ModeDialogStep
{
    Edits type;
    int mode = -1;
    bool ok = true;
    Edits *shown = nullptr;
    int *shownMode = nullptr;

    void operator()(QWidget *modal) const
    {
        auto *dialog = qobject_cast<CModeSelectDlg *>(modal);
        if (!dialog)
            return;
        for (int id = CModeSelectDlg::IDC_LEN_C; id <= CModeSelectDlg::IDC_C; ++id) {
            if (shown)
                shown->insert(id, GetDlgItem<QLineEdit>(*dialog, id)->text());
        }
        if (shownMode) {
            *shownMode = -1;
            for (int m = 0; m < 4; ++m) {
                if (GetDlgItem<QAbstractButton>(*dialog, CModeSelectDlg::IDC_MODE_FIRST + m)
                        ->isChecked())
                    *shownMode = m;
            }
        }
        for (auto it = type.cbegin(); it != type.cend(); ++it)
            GetDlgItem<QLineEdit>(*dialog, it.key())->setText(it.value());
        if (mode >= 0)
            GetDlgItem<QAbstractButton>(*dialog, CModeSelectDlg::IDC_MODE_FIRST + mode)->click();
        const QString shots = qEnvironmentVariable("VELMORA_SCREENSHOT_DIR");
        if (!shots.isEmpty())
            dialog->grab().save(shots + u"/mode_dialog.png"_s);
        GetDlgItem<QPushButton>(*dialog, ok ? IDOK : IDCANCEL)->click();
    }
};

} // namespace

class tst_ModeSelect : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void dialogAgainstTheSettingsFile_data();
    void dialogAgainstTheSettingsFile();
    void modeChangeConvertsTheCurrentReading_data();
    void modeChangeConvertsTheCurrentReading();

private:
    std::unique_ptr<CVelmoraDlg> OpenWindow(const QByteArray &extraSections);
    bool RunModeDialog(CVelmoraDlg &window, const ModeDialogStep &step);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<PtyPair> m_pty;
    std::unique_ptr<CVelmoraApp> m_app;
};

void tst_ModeSelect::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_pty = std::make_unique<PtyPair>();
    QVERIFY(m_pty->IsValid());
    m_app = std::make_unique<CVelmoraApp>(m_dir->path());
    m_app->LocateSettings();
}

void tst_ModeSelect::cleanup()
{
    m_app.reset();
    m_pty.reset();
    m_dir.reset();
}

std::unique_ptr<CVelmoraDlg> tst_ModeSelect::OpenWindow(const QByteArray &extraSections)
{
    QFile ini(m_app->m_strIniPath);
    if (ini.open(QIODevice::WriteOnly)) {
        ini.write("[ports]\r\nCOM1=" + m_pty->SlavePath().toLocal8Bit() + "\r\n" + extraSections);
        ini.close();
    }
    m_app->LoadSettings();
    auto window = std::make_unique<CVelmoraDlg>(*m_app);
    window->show();
    return window;
}

bool tst_ModeSelect::RunModeDialog(CVelmoraDlg &window, const ModeDialogStep &step)
{
    ModalDriver driver({ step });
    GetDlgItem<QPushButton>(window, CVelmoraDlg::IDC_MODE)->click();
    return driver.Done() && !driver.TimedOut();
}

void tst_ModeSelect::dialogAgainstTheSettingsFile_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<Edits>("shown");
    QTest::addColumn<int>("shownMode");
    QTest::addColumn<ModeDialogStep>("step");
    QTest::addColumn<QByteArray>("after"); // empty: the file is left as it was
    QTest::addColumn<QList<float>>("constants"); // a, lenC, C, lena
    QTest::addColumn<int>("mode");

    const Edits defaults { { 1032, u"2.000000"_s },
                           { 1033, u"1.000000"_s },
                           { 1034, u"2.000000"_s },
                           { 1035, u"1.000000"_s } };
    QTest::newRow("OK writes the texts as typed, parses 2.5dm, keeps the member for abc")
        << QByteArray() << defaults << 0
        << ModeDialogStep { Edits { { 1032, u"abc"_s },
                                    { 1033, u"2.5dm"_s },
                                    { 1034, u"1.5"_s },
                                    { 1035, u" 4"_s } },
                            3 }
        << "[consistence]\r\nm_a=2.5dm\r\nm_lenC=abc\r\n[a]\r\nm_C= 4\r\nm_Lena=1.5\r\n"
           "[SYSTEM]\r\nnSelMode=3\r\n"_ba
        << QList<float> { 2.5f, 2.0f, 4.0f, 1.5f } << 3;
    const QByteArray stored = "[SYSTEM]\r\nnSelMode=2\r\n[consistence]\r\nm_a=66.5\r\n"
                              "m_lenC=1\r\n[a]\r\nm_lena=0.5\r\nm_C=3\r\n"_ba;
    QTest::newRow("Cancel leaves file and members")
        << stored
        << Edits { { 1032, u"1.000000"_s },
                   { 1033, u"66.500000"_s },
                   { 1034, u"0.500000"_s },
                   { 1035, u"3.000000"_s } }
        << 2 << ModeDialogStep { Edits { { 1033, u"9"_s } }, 0, false } << QByteArray()
        << QList<float> { 66.5f, 1.0f, 3.0f, 0.5f } << 2;
    QTest::newRow("the same mode again replaces the keys in place")
        << stored
        << Edits { { 1032, u"1.000000"_s },
                   { 1033, u"66.500000"_s },
                   { 1034, u"0.500000"_s },
                   { 1035, u"3.000000"_s } }
        << 2 << ModeDialogStep { {}, 2 }
        << "[SYSTEM]\r\nnSelMode=2\r\n[consistence]\r\nm_a=66.500000\r\nm_lenC=1.000000\r\n"
           "[a]\r\nm_Lena=0.500000\r\nm_C=3.000000\r\n"_ba
        << QList<float> { 66.5f, 1.0f, 3.0f, 0.5f } << 2;
}

void tst_ModeSelect::dialogAgainstTheSettingsFile()
{
    QFETCH(QByteArray, before);
    QFETCH(Edits, shown);
    QFETCH(int, shownMode);
    QFETCH(ModeDialogStep, step);
    QFETCH(QByteArray, after);
    QFETCH(QList<float>, constants);
    QFETCH(int, mode);

    auto window = OpenWindow(before);
    m_pty->Send(ReadingFrame(1000));
    QTRY_COMPARE(window->m_ctlReading->DisplayText(), u"+01.000"_s);
    window->m_btnConfirm->click();
    QCOMPARE(window->m_list->rowCount(), 1);
    const QByteArray fileBefore = ReadFile(m_app->m_strIniPath);

    Edits seen;
    int seenMode = -2;
    step.shown = &seen;
    step.shownMode = &seenMode;
    QVERIFY(RunModeDialog(*window, step));
    QCOMPARE(seen, shown);
    QCOMPARE(seenMode, shownMode);

    const QByteArray portLines = "[ports]\r\nCOM1=" + m_pty->SlavePath().toLocal8Bit() + "\r\n";
    QCOMPARE(ReadFile(m_app->m_strIniPath), after.isEmpty() ? fileBefore : portLines + after);
    QCOMPARE(window->m_a, constants[0]);
    QCOMPARE(window->m_lenC, constants[1]);
    QCOMPARE(window->m_C, constants[2]);
    QCOMPARE(window->m_lena, constants[3]);
    QCOMPARE(window->m_nSelMode, mode);
    // OK starts a new run, also for the mode already in effect; Cancel keeps the run.
    QCOMPARE(window->m_list->rowCount(), step.ok ? 0 : 1);
}

void tst_ModeSelect::modeChangeConvertsTheCurrentReading_data()
{
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<int>("reading");
    QTest::addColumn<ModeDialogStep>("step");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("converted");
    QTest::addColumn<QString>("confirmed");

    QTest::newRow("optical rotation to sugar degree")
        << QByteArray() << 12345 << ModeDialogStep { {}, 1 } << 35.6524 << u"+35.652"_s
        << u"35.652"_s;
    QTest::newRow("new tube length in the concentration mode")
        << "[SYSTEM]\r\nnSelMode=2\r\n"_ba << 500 << ModeDialogStep { { { 1032, u"1"_s } }, 2 }
        << 50.0 << u" 50.000"_s << u"50.000"_s;
    QTest::newRow("specific rotation back to optical rotation")
        << "[SYSTEM]\r\nnSelMode=3\r\n"_ba << -2000 << ModeDialogStep { {}, 0 } << -2.0 << QString()
        << u"-2.000"_s;
}

// The decoder converted the reading under the old mode; a Confirm right after the change must
// enter the value of the new mode, not the old one.
void tst_ModeSelect::modeChangeConvertsTheCurrentReading()
{
    QFETCH(QByteArray, settings);
    QFETCH(int, reading);
    QFETCH(ModeDialogStep, step);
    QFETCH(double, value);
    QFETCH(QString, converted);
    QFETCH(QString, confirmed);

    auto window = OpenWindow(settings);
    m_pty->Send(ReadingFrame(reading));
    QTRY_COMPARE(window->m_ctlReading->DisplayText(),
                 QString::asprintf("%+07.3f", reading * 0.001));
    QVERIFY(RunModeDialog(*window, step));

    QVERIFY2(qAbs(window->m_dReading - value) < 1e-4,
             qPrintable(QString::number(window->m_dReading)));
    QCOMPARE(window->m_ctlConverted->isVisible(), !converted.isEmpty());
    if (!converted.isEmpty())
        QCOMPARE(window->m_ctlConverted->DisplayText(), converted);
    window->m_btnConfirm->click();
    QCOMPARE(window->m_list->item(0, 1)->text(), confirmed);
}

QTEST_MAIN(tst_ModeSelect)
#include "tst_modeselect.moc"
