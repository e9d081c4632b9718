#include "app/StringTable.h"

#include <QTest>

using namespace Qt::StringLiterals;

class tst_StringTable : public QObject
{
    Q_OBJECT

private slots:
    void lookup_data();
    void lookup();
};

void tst_StringTable::lookup_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("text");
    QTest::newRow("port item") << int(StringId::PortItem) << u"串口%d"_s;
    QTest::newRow("mode title 0") << StringId::ModeTitleBase + 0 << u"旋光度(α°)"_s;
    QTest::newRow("mode title 3") << StringId::ModeTitleBase + 3 << u"比旋度([α])"_s;
    QTest::newRow("row label 0 has a blank") << StringId::RowLabelBase + 0 << u"旋光度(α°)= %s"_s;
    QTest::newRow("row label 1 has none") << StringId::RowLabelBase + 1 << u"糖度(Z)=%s"_s;
    QTest::newRow("batch label, four blanks") << int(StringId::BatchNoLine) << u"批    号: %s"_s;
    QTest::newRow("first file error") << int(StringId::FileNone) << u"无错误发生。"_s;
    QTest::newRow("directory full")
        << StringId::FileErrorBase + 8 << u"该目录已满，无法创建 %1。"_s;
    QTest::newRow("last file error")
        << int(StringId::FileErrorLast) << u"试图越过其尾端对 %1 进行读写。"_s;
    QTest::newRow("range message")
        << int(StringId::ParseIntRange) << u"“请填入一个在%1和%2之间的整数。”"_s;
    QTest::newRow("no application title in Chinese") << int(StringId::AppTitle) << QString();
    QTest::newRow("gap in the table") << 104 << QString();
    QTest::newRow("below the table") << 0 << QString();
    QTest::newRow("above the table") << 70000 << QString();
}

void tst_StringTable::lookup()
{
    QFETCH(int, id);
    QFETCH(QString, text);
    QCOMPARE(LoadString(id), text);
}

QTEST_GUILESS_MAIN(tst_StringTable)
#include "tst_stringtable.moc"
