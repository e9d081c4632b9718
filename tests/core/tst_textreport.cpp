#include "FileNodes.h"
#include "core/report/OutputFile.h"
#include "core/report/TextReport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

using namespace Qt::StringLiterals;

namespace {

ReportContent Content(int mode, QStringList values, QString mean = {})
{
    return { .title = u"T"_s,
             .mode = ModeFromInt(mode),
             .unit = u"质检所"_s,
             .date = FormatReportDate(QDate(2024, 3, 7)),
             .sampleName = u"蔗糖"_s,
             .batchNo = u"B-7"_s,
             .inspector = u"李四"_s,
             .values = std::move(values),
             .mean = std::move(mean),
             .deviation = {} };
}

const QString kHead =
    u"送样单位: 质检所\r\n日期: 2024-03-07\r\n样品名称: 蔗糖\r\n批    号: B-7\r\n"_s;

} // namespace

class tst_TextReport : public QObject
{
    Q_OBJECT

private slots:
    void write_data();
    void write();
    void failures_data();
    void failures();
    void targetCheckedAgainAtCommit();
};

void tst_TextReport::write_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<QString>("mean");
    QTest::addColumn<QString>("text");
    QTest::newRow("empty table, six lines")
        << 0 << QStringList() << QString()
        << u"T旋光度(α°) 测试报表\r\n"_s + kHead + u"次序: \r\n"_s;
    QTest::newRow("complete run of two")
        << 0 << QStringList { u"12.345"_s, u"12.346"_s } << u"12.346"_s
        << u"T旋光度(α°) 测试报表\r\n"_s + kHead
            + u"次序: 1.旋光度(α°)= 12.345\r\n      2.旋光度(α°)= 12.346\r\n\r\n"
              u"平均结果(n)= 12.346\r\n标准偏差(σ)= \r\n检 验 员: 李四\r\n"_s;
    QTest::newRow("incomplete run, sugar") << 1 << QStringList { u"35.652"_s } << QString()
                                           << u"T糖度(Z) 测试报表\r\n"_s + kHead
            + u"次序: 1.糖度(Z)=35.652\r\n\r\n平均结果(n)= \r\n标准偏差(σ)= \r\n"
              u"检 验 员: 李四\r\n"_s;
}

void tst_TextReport::write()
{
    QFETCH(int, mode);
    QFETCH(QStringList, values);
    QFETCH(QString, mean);
    QFETCH(QString, text);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // An older, longer file of the same name is replaced, not overwritten at its start.
    QFile file(dir.filePath(u"报表.Txt"_s));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(2000, 'z'));
    file.close();

    QVERIFY(WriteTextReport(file.fileName(), Content(mode, values, mean)).ok());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QStringEncoder("GB18030").encode(text));
}

void tst_TextReport::failures_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind"); // what stands there first: a report, a FIFO, a device
    QTest::addColumn<int>("sizeLimit"); // the most bytes a file may grow to; 0 for no limit
    QTest::addColumn<int>("outcome");
    QTest::addColumn<int>("messageId");
    const int createFailed = int(TextReportResult::Outcome::CreateFailed);
    QTest::newRow("missing directory")
        << u"none/r.Txt"_s << u"file"_s << 0 << createFailed << 61859;
    QTest::newRow("write fails: the earlier report stays whole, nothing else is left")
        << u"r.Txt"_s << u"file"_s << 16 << int(TextReportResult::Outcome::WriteFailed) << 61869;
    QTest::newRow("a FIFO is left as it is")
        << u"r.Txt"_s << u"fifo"_s << 0 << createFailed << 61861;
    QTest::newRow("a device is left as it is")
        << u"r.Txt"_s << u"device"_s << 0 << createFailed << 61861;
}

void tst_TextReport::failures()
{
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(int, sizeLimit);
    QFETCH(int, outcome);
    QFETCH(int, messageId);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile file(dir.filePath(name));
    const QByteArray earlier(2000, 'z');
    if (kind == u"file"_s && file.open(QIODevice::WriteOnly))
        file.write(earlier);
    file.close();
    if (kind == u"fifo"_s)
        QVERIFY(MakeFifo(file.fileName()));
    if (kind == u"device"_s && !MakeDevice(file.fileName()))
        QSKIP("No device node can be made here: that needs root and a container that allows it");

    // Past the limit a write fails with EFBIG, as on a full disk, instead of raising SIGXFSZ.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved {};
    QCOMPARE(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit limited = saved;
    limited.rlim_cur = sizeLimit > 0 ? rlim_t(sizeLimit) : saved.rlim_cur;
    QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    const TextReportResult result = WriteTextReport(file.fileName(), Content(0, { u"1.000"_s }));
    ::setrlimit(RLIMIT_FSIZE, &saved);

    QCOMPARE(int(result.outcome), outcome);
    QCOMPARE(result.messageId(), messageId);
    QCOMPARE(QFileInfo(file.fileName()).isFile(), file.exists() && kind == u"file"_s);
    if (kind == u"file"_s && file.open(QIODevice::ReadOnly))
        QCOMPARE(file.readAll(), earlier);
    QCOMPARE(QDir(dir.path())
                 .entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot),
             file.exists() ? QStringList { name } : QStringList());
}

// A FIFO put in place of the file while it is written stays: the finished file is not renamed
// over it.
void tst_TextReport::targetCheckedAgainAtCommit()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"r.Txt"_s);
    OutputFile file(path);
    QVERIFY(file.open() && file.write("report"));
    QVERIFY(MakeFifo(path));
    QVERIFY(!file.commit());
    QCOMPARE(file.failure(), OutputFile::Failure::NotRegularFile);
    QVERIFY(!QFileInfo(path).isFile());
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot),
             QStringList { u"r.Txt"_s });
}

QTEST_GUILESS_MAIN(tst_TextReport)
#include "tst_textreport.moc"
