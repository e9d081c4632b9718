#include "report/PrintJob.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPrintDialog>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

constexpr double kPointsPerMm = 72.0 / 25.4;

struct Word
{
    QString text;
    double xMm = 0;
    double yMm = 0;
};

// The words of the first page with the top-left corners of their boxes, in mm from the page's
// top-left corner, as poppler reads them back.
QList<Word> PdfWords(const QString &pdf)
{
    QProcess process;
    process.start(u"pdftotext"_s, { u"-bbox"_s, u"-f"_s, u"1"_s, u"-l"_s, u"1"_s, pdf, u"-"_s });
    if (!process.waitForFinished() || process.exitCode() != 0)
        return {};
    static const QRegularExpression word(
        uR"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="[\d.]+" yMax="[\d.]+">([^<]*)</word>)re"_s);
    QList<Word> words;
    for (const auto &m : word.globalMatch(QString::fromUtf8(process.readAllStandardOutput())))
        words.append({ m.captured(3), m.captured(1).toDouble() / kPointsPerMm,
                       m.captured(2).toDouble() / kPointsPerMm });
    return words;
}

// Accepts the dialog with its print-to-file (PDF) entry and the given file.
void AcceptToPdf(QPrintDialog *dialog, const QString &file)
{
    auto *printers = dialog->findChild<QComboBox *>(u"printers"_s);
    QVERIFY(printers);
    const int pdf = printers->findText(u"PDF"_s, Qt::MatchContains);
    QVERIFY(pdf >= 0);
    printers->setCurrentIndex(pdf);
    auto *fileName = dialog->findChild<QLineEdit *>(u"filename"_s);
    QVERIFY(fileName);
    fileName->setText(file);
    dialog->accept();
}

} // namespace

class tst_PrintJob : public QObject
{
    Q_OBJECT

private slots:
    void pdfPageHasTheSpecifiedPositions();
};

// 20 mm / 20 mm for the title, the body from 30 mm down, the first value 36 mm from the left on
// the line of "次序:". A word's box starts at the top of its character cell.
void tst_PrintJob::pdfPageHasTheSpecifiedPositions()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString pdf = dir.filePath(u"report.pdf"_s);
    QWidget window;
    window.show();

    ReportContent content;
    content.unit = u"U"_s;
    content.values = QStringList { u"12.345"_s, u"12.346"_s };
    content.mean = u"12.346"_s;
    PrintJob *job = PrintJob::Start(
        &window, [content] { return content; }, dir.filePath(u"Velmora.ini"_s));
    QSignalSpy finished(job, &PrintJob::finished);
    QVERIFY(finished.isValid());
    AcceptToPdf(job->Dialog(), pdf);
    QTRY_COMPARE(finished.count(), 1);
    QCOMPARE(finished.at(0).at(0).toBool(), true);

    const QList<Word> words = PdfWords(pdf);
    QVERIFY2(!words.isEmpty(), "pdftotext (poppler-utils) read nothing");
    const auto find = [&](const QString &start) {
        for (const Word &w : words) {
            if (w.text.startsWith(start))
                return w;
        }
        return Word {};
    };
    constexpr double kTolerance = 0.5; // mm; the glyph boxes of the CJK face sit a little higher
    const Word title = words.constFirst();
    QVERIFY2(title.text.startsWith(u"旋光度"_s), qPrintable(title.text));
    QCOMPARE_LE(qAbs(title.xMm - 20.0), kTolerance);
    QCOMPARE_LE(qAbs(title.yMm - 20.0), kTolerance);
    const Word unit = find(u"送样单位"_s);
    QCOMPARE_LE(qAbs(unit.xMm - 20.0), kTolerance);
    QCOMPARE_LE(qAbs(unit.yMm - 30.0), kTolerance);
    const Word order = find(u"次序:"_s);
    const Word first = find(u"1."_s);
    QCOMPARE_LE(qAbs(order.xMm - 20.0), kTolerance);
    QCOMPARE_LE(qAbs(first.xMm - 36.0), kTolerance);
    QCOMPARE_LE(qAbs(first.yMm - order.yMm), kTolerance);
    QVERIFY(find(u"2."_s).yMm > first.yMm + 4.0);

    const QString shots = qEnvironmentVariable("VELMORA_SCREENSHOT_DIR");
    if (!shots.isEmpty()) {
        QCOMPARE(QProcess::execute(u"pdftoppm"_s,
                                   { u"-png"_s, u"-r"_s, u"60"_s, u"-singlefile"_s, pdf,
                                     shots + u"/printed_report"_s }),
                 0);
    }
}

QTEST_MAIN(tst_PrintJob)
#include "tst_printjob.moc"
