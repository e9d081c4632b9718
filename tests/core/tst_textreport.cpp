#include "app/ProfileFile.h"
#include "report/TextReport.h"

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QByteArray Gbk(const QString &text)
{
    QStringEncoder encoder("GB18030");
    return encoder.encode(text);
}

ReportContent Content(QStringList values, QString mean = {}, QString deviation = {})
{
    ReportContent content;
    content.title = u"T"_s;
    content.unit = u"质检所"_s;
    content.date = FormatReportDate(QDate(2024, 3, 7));
    content.sampleName = u"蔗糖"_s;
    content.batchNo = u"B-7"_s;
    content.inspector = u"李四"_s;
    content.values = std::move(values);
    content.mean = std::move(mean);
    content.deviation = std::move(deviation);
    return content;
}

const QString kHead = u"T旋光度(α°) 测试报表\r\n送样单位: 质检所\r\n日期: 2024-03-07\r\n"
                      u"样品名称: 蔗糖\r\n批    号: B-7\r\n"_s;

} // namespace

class tst_TextReport : public QObject
{
    Q_OBJECT

private slots:
    void format_data();
    void format();
    void labelBytes();
    void writeFile();
    void createFails_data();
    void createFails();
    void diskFull();
    void title();
};

void tst_TextReport::format_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<QString>("mean");
    QTest::addColumn<QString>("deviation");
    QTest::addColumn<QString>("text");

    QTest::newRow("empty table: six lines")
        << 0 << QStringList() << QString() << QString() << kHead + u"次序: \r\n"_s;
    QTest::newRow("two values, complete run")
        << 0 << QStringList { u"12.345"_s, u"12.346"_s } << u"12.346"_s << QString()
        << kHead
            + u"次序: 1.旋光度(α°)= 12.345\r\n      2.旋光度(α°)= 12.346\r\n\r\n"
              u"平均结果(n)= 12.346\r\n标准偏差(σ)= \r\n检 验 员: 李四\r\n"_s;
    QTest::newRow("incomplete run, sugar mode")
        << 1 << QStringList { u"35.652"_s } << QString() << QString()
        << QString(kHead).replace(u"旋光度(α°)"_s, u"糖度(Z)"_s)
            + u"次序: 1.糖度(Z)=35.652\r\n\r\n平均结果(n)= \r\n标准偏差(σ)= \r\n"
              u"检 验 员: 李四\r\n"_s;
    QStringList eleven;
    QString lines;
    for (int i = 1; i <= 11; ++i) {
        eleven << u"-0.250"_s;
        lines += (i == 1 ? u"次序: "_s : u"      "_s) + QString::number(i)
            + u".比旋度([α])=-0.250\r\n"_s;
    }
    QTest::newRow("blank run stays six bytes beyond 9")
        << 3 << eleven << u"0.250"_s << u"0.000"_s
        << QString(kHead).replace(u"旋光度(α°)"_s, u"比旋度([α])"_s) + lines
            + u"\r\n平均结果(n)= 0.250\r\n标准偏差(σ)= 0.000\r\n检 验 员: 李四\r\n"_s;
}

void tst_TextReport::format()
{
    QFETCH(int, mode);
    QFETCH(QStringList, values);
    QFETCH(QString, mean);
    QFETCH(QString, deviation);
    QFETCH(QString, text);
    ReportContent content = Content(values, mean, deviation);
    content.mode = ModeFromInt(mode);
    QCOMPARE(TextReportBytes(content), Gbk(text));
}

void tst_TextReport::labelBytes()
{
    const QByteArray bytes = TextReportBytes(Content({ u"1.000"_s, u"2.000"_s }));
    // "次序:" and its blank in code page 936, then the six-byte blank run of the second value.
    QVERIFY(bytes.contains(QByteArray::fromHex("b4ced0f23a2031")));
    QVERIFY(bytes.contains(QByteArray::fromHex("0d0a20202020202032")));
    QVERIFY(!bytes.startsWith("\xef\xbb\xbf"));
}

void tst_TextReport::writeFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"报表.Txt"_s);
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(500, 'z'));
    old.close();

    const ReportContent content = Content({ u"12.345"_s, u"12.346"_s }, u"12.346"_s);
    const TextReportResult result = WriteTextReport(path, content);
    QVERIFY(result.ok());
    QCOMPARE(result.messageId(), 0);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), TextReportBytes(content));
}

void tst_TextReport::createFails_data()
{
    QTest::addColumn<QString>("relativePath");
    QTest::addColumn<int>("messageId");
    QTest::newRow("missing directory") << u"none/r.Txt"_s << 61859;
    QTest::newRow("a directory") << u"."_s << 61861;
}

void tst_TextReport::createFails()
{
    QFETCH(QString, relativePath);
    QFETCH(int, messageId);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const TextReportResult result = WriteTextReport(dir.filePath(relativePath), Content({}));
    QCOMPARE(result.outcome, TextReportResult::Outcome::CreateFailed);
    QCOMPARE(result.messageId(), messageId);
}

void tst_TextReport::diskFull()
{
    if (!QFile::exists(u"/dev/full"_s))
        QSKIP("needs /dev/full");
    const TextReportResult result = WriteTextReport(u"/dev/full"_s, Content({ u"1.000"_s }));
    QCOMPARE(result.outcome, TextReportResult::Outcome::WriteFailed);
    QCOMPARE(result.messageId(), 61869);
}

void tst_TextReport::title()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    ProfileFile settings(dir.filePath(u"Velmora.ini"_s));
    const QString path = u"/data/t1.Txt"_s;
    QCOMPARE(ReadReportTitle(settings, path), path);
    QVERIFY(settings.WriteString(u"SYSTEM", u"PrintTitle", QString()));
    QCOMPARE(ReadReportTitle(settings, path), QString());
    QVERIFY(settings.WriteString(u"SYSTEM", u"PrintTitle", QString(70, QChar(0x8868))));
    QCOMPARE(ReadReportTitle(settings, path), QString(49, QChar(0x8868)));

    ReportContent content = Content({});
    content.title = ReadReportTitle(ProfileFile(dir.filePath(u"none.ini"_s)), path);
    QVERIFY(TextReportBytes(content).startsWith(Gbk(u"/data/t1.Txt旋光度(α°) 测试报表\r\n"_s)));
}

QTEST_GUILESS_MAIN(tst_TextReport)
#include "tst_textreport.moc"
