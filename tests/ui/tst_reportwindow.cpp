#include "WindowFixture.h"
#include "core/text/Gb18030.h"
#include "core/text/Language.h"
#include "ui/report/PrintJob.h"
#include "ui/report/ReportFileDialog.h"

#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTableWidget>

using namespace Qt::StringLiterals;

namespace {

// The save dialog: the name typed as given, then Save (QFileDialog's accept is protected, so it
// is reached through QDialog's).
ModalDriver::Step SaveAs(const QString &path)
{
    return [path](QWidget *modal) {
        auto *dialog = qobject_cast<QFileDialog *>(modal);
        if (auto *name = dialog ? dialog->findChild<QLineEdit *>() : nullptr) {
            name->setText(path);
            static_cast<QDialog *>(dialog)->accept();
        }
    };
}

QStringList VisibleTexts(const QWidget &window)
{
    QStringList texts { window.windowTitle() };
    for (const QLabel *label : window.findChildren<QLabel *>())
        texts << label->text();
    for (const QAbstractButton *button : window.findChildren<QAbstractButton *>())
        texts << button->text();
    return texts;
}

} // namespace

class tst_ReportWindow : public QObject
{
    Q_OBJECT

private slots:
    void saveWritesTheReport_data();
    void saveWritesTheReport();
    void saveDialogTakesNoPatternOrQuote_data();
    void saveDialogTakesNoPatternOrQuote();
    void printOpensOneDialogPerPressAndPrintsThePage();
    // Last: it installs the English catalogue on the application.
    void englishEverywhere();
};

void tst_ReportWindow::saveWritesTheReport_data()
{
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<QList<int>>("readings");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("existing"); // a file already there under that name
    QTest::addColumn<QStringList>("lines"); // "<path>": the file's full path; none: `existing`

    const QString today = QDate::currentDate().toString(u"yyyy-MM-dd"_s);
    const QStringList head { u"送样单位: U1"_s, u"日期: "_s + today, u"样品名称: S1"_s,
                             u"批    号: B1"_s };
    QTest::newRow("run 12.345 / 12.346 in mode 0 as in the example")
        << "PrintTitle=\r\n"_ba << QList<int> { 12345, 12346 } << u"run.Txt"_s << QByteArray()
        << QStringList { u"旋光度(α°) 测试报表"_s } + head
            + QStringList { u"次序: 1.旋光度(α°)= 12.345"_s,
                            u"      2.旋光度(α°)= 12.346"_s,
                            QString(),
                            u"平均结果(n)= "_s,
                            u"标准偏差(σ)= "_s,
                            u"检 验 员: I1"_s };
    QTest::newRow("no PrintTitle: the path is the title; the suffix Txt is added")
        << QByteArray() << QList<int> {} << u"t1"_s << QByteArray()
        << QStringList { u"<path>旋光度(α°) 测试报表"_s } + head + QStringList { u"次序: "_s };
    QTest::newRow("existing report kept when replacing is refused")
        << QByteArray() << QList<int> {} << u"old.Txt"_s << "earlier report"_ba << QStringList();
}

void tst_ReportWindow::saveWritesTheReport()
{
    QFETCH(QByteArray, settings);
    QFETCH(QList<int>, readings);
    QFETCH(QString, typed);
    QFETCH(QByteArray, existing);
    QFETCH(QStringList, lines);

    WindowFixture f;
    QVERIFY(f.IsValid());
    auto window = f.Open("[SYSTEM]\r\nLOGINDLGUNIT=U1\r\nLOGINDLGSAMPLENAME=S1\r\nLOGINDLGNO=B1\r\n"
                         "LOGINDLGNAME=I1\r\n"
                         + settings);
    for (int reading : readings)
        QVERIFY(f.Confirm(*window, reading));
    const QString target = f.dir.filePath(typed);
    const QString path = target.endsWith(u".Txt"_s) ? target : target + u".Txt"_s;
    std::deque<ModalDriver::Step> steps { SaveAs(target) };
    if (!existing.isEmpty()) {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write(existing) == existing.size());
        // Qt asks before replacing; No leads back to the save dialog, which is then cancelled.
        steps.push_back([](QWidget *modal) {
            if (auto *box = qobject_cast<QMessageBox *>(modal))
                box->button(QMessageBox::No)->click();
        });
        steps.push_back([](QWidget *modal) { modal->close(); });
    }
    QVERIFY(f.Click(*window, CVelmoraDlg::IDC_SAVE, std::move(steps)));
    lines.replaceInStrings(u"<path>"_s, QDir::toNativeSeparators(path));
    QCOMPARE(ReadAll(path),
             lines.isEmpty() ? existing
                             : Gb18030::Encode(QString(lines.join(u"\r\n"_s) + u"\r\n"_s)));
}

void tst_ReportWindow::saveDialogTakesNoPatternOrQuote_data()
{
    QTest::addColumn<QString>("typed"); // none: the initial name
    QTest::addColumn<QString>("message");
    QTest::newRow("initial *.Txt only lists the reports") << QString() << QString();
    QTest::newRow("double quote refused, not read as a list of names")
        << u"rep 'q\" %1 中文.Txt"_s
        << u"文件名 rep 'q\" %1 中文.Txt 中含有双引号 (\")，不能保存。请换一个文件名。"_s;
}

// Save keeps the dialog open: a pattern is no file, and Qt would take a quoted name apart.
void tst_ReportWindow::saveDialogTakesNoPatternOrQuote()
{
    QFETCH(QString, typed);
    QFETCH(QString, message);
    ReportFileDialog dialog;
    QSignalSpy accepted(&dialog, &QDialog::accepted);
    auto *name = dialog.findChild<QLineEdit *>(u"fileNameEdit"_s);
    QVERIFY(accepted.isValid() && name);
    QCOMPARE(name->text(), u"*.Txt"_s);
    dialog.show();
    if (!typed.isEmpty())
        name->setText(typed);
    QString shown;
    ModalDriver driver({ ModalDriver::AnswerBox(&shown) });
    static_cast<QDialog &>(dialog).accept();
    QCOMPARE(shown, message);
    QVERIFY(dialog.isVisible() && accepted.isEmpty());
}

// Two presses, two non-modal dialogs; the window goes on working, and the accepted one prints
// the table as it is at accept: title at 20 mm / 20 mm, the body from 30 mm, the first value
// 36 mm from the left on the line of "次序:". A word's box starts at the top of its cell.
void tst_ReportWindow::printOpensOneDialogPerPressAndPrintsThePage()
{
    WindowFixture f;
    QVERIFY(f.IsValid());
    auto window = f.Open();
    auto *print = GetDlgItem<QPushButton>(*window, CVelmoraDlg::IDC_PRINT);
    print->click();
    print->click();
    const QList<QPrintDialog *> dialogs = window->findChildren<QPrintDialog *>();
    QCOMPARE(dialogs.size(), 2);
    QVERIFY(dialogs[0]->isVisible() && dialogs[1]->isVisible());
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    QVERIFY(f.Confirm(*window, 12345));
    QCOMPARE(GetDlgItem<QTableWidget>(*window, CVelmoraDlg::IDC_LIST)->rowCount(), 1);

    const QString pdf = f.dir.filePath(u"page.pdf"_s);
    auto *printers = dialogs[0]->findChild<QComboBox *>(u"printers"_s);
    QVERIFY(printers);
    printers->setCurrentIndex(printers->findText(u"PDF"_s, Qt::MatchContains));
    dialogs[0]->findChild<QLineEdit *>(u"filename"_s)->setText(pdf);
    dialogs[0]->accept();
    dialogs[1]->reject();
    QTRY_VERIFY(window->findChildren<PrintJob *>().isEmpty());
    for (QWidget *w : QApplication::topLevelWidgets())
        QVERIFY(!(qobject_cast<QMessageBox *>(w) && w->isVisible()));
    QCOMPARE(QDir(f.dir.path()).entryList({ u"*.pdf"_s }), QStringList { u"page.pdf"_s });

    // Top-left corners of the words on the first page, in mm from the page's corner.
    QProcess process;
    process.start(u"pdftotext"_s, { u"-bbox"_s, u"-l"_s, u"1"_s, pdf, u"-"_s });
    process.waitForFinished();
    static const QRegularExpression word(
        uR"re(<word xMin="([\d.]+)" yMin="([\d.]+)"[^>]*>([^<]*)</word>)re"_s);
    QMap<QString, QPointF> words;
    for (const auto &m : word.globalMatch(QString::fromUtf8(process.readAllStandardOutput()))) {
        if (!words.contains(m.captured(3)))
            words.insert(m.captured(3),
                         QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()) * 25.4 / 72);
    }
    QVERIFY2(words.contains(u"次序:"_s), "pdftotext (poppler-utils) read no page");
    const auto near = [](QPointF actual, QPointF expected) {
        return qAbs(actual.x() - expected.x()) < 0.5 && qAbs(actual.y() - expected.y()) < 0.5;
    };
    QVERIFY(near(words.value(u"旋光度"_s), { 20, 20 }));
    QVERIFY(near(words.value(u"送样单位:"_s), { 20, 30 }));
    const QPointF order = words.value(u"次序:"_s);
    QVERIFY(near(words.value(u"1.旋光度(α°)="_s), { 36, order.y() }));
    QCOMPARE(words.value(u"12.345"_s).y(), words.value(u"1.旋光度(α°)="_s).y());
}

void tst_ReportWindow::englishEverywhere()
{
    WindowFixture f;
    QVERIFY(f.IsValid());
    QVERIFY(QFile::copy(QCoreApplication::applicationDirPath() + u"/EN.qm"_s,
                        f.dir.filePath(u"EN.qm"_s)));
    f.WriteSettings("[SYSTEM]\r\nlang=1\r\nnSelMode=3\r\n"_ba);
    f.app->ChooseLanguage();
    QVERIFY(f.app->IsEnglish());
    auto window = std::make_unique<CVelmoraDlg>(f.app->GetSession(), f.app->GetSettings());
    window->show();

    QStringList texts = VisibleTexts(*window);
    for (int c = 0; c < GetDlgItem<QTableWidget>(*window, CVelmoraDlg::IDC_LIST)->columnCount();
         ++c)
        texts << GetDlgItem<QTableWidget>(*window, CVelmoraDlg::IDC_LIST)
                     ->horizontalHeaderItem(c)
                     ->text();
    QVERIFY(f.Click(*window, CVelmoraDlg::IDC_MODE, { [&texts](QWidget *modal) {
        texts << VisibleTexts(*modal);
        modal->close();
    } }));

    QVERIFY(f.Confirm(*window, 1000));
    const QString report = f.dir.filePath(u"en.Txt"_s);
    QVERIFY(f.Click(*window, CVelmoraDlg::IDC_SAVE, { SaveAs(report) }));
    texts << Gb18030::Decode(ReadAll(report));
    QVERIFY(texts.last().contains(u"Order: 1.Specific rotation([α])=50.000"_s));
    // A path below a regular file cannot be created by anyone, root included (ENOTDIR).
    QFile plain(f.dir.filePath(u"plain"_s));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    const QString target = plain.fileName() + u"/report.Txt"_s;
    QVERIFY(f.Click(*window, CVelmoraDlg::IDC_SAVE,
                    { SaveAs(target), ModalDriver::AnswerBox(&texts.emplaceBack()) }));
    QCOMPARE(texts.last(), u"%1 contains an invalid path."_s.arg(target));
    static const QRegularExpression chinese(u"[\\x{2e80}-\\x{ffef}]"_s);
    for (const QString &text : texts)
        QVERIFY2(!text.contains(chinese), qPrintable(text));

    window.reset();
    InstallTranslators(false, f.dir.path());
}

QTEST_MAIN(tst_ReportWindow)
#include "tst_reportwindow.moc"
