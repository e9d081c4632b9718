#include "core/settings/ProfileFile.h"

#include <QStringEncoder>
#include <QTest>

#include <climits>

using namespace Qt::StringLiterals;

namespace {

QByteArray Gbk(const QString &text)
{
    return QStringEncoder("GB18030").encode(text);
}

} // namespace

class tst_ProfileFile : public QObject
{
    Q_OBJECT

private slots:
    void read_data();
    void read();
    void write_data();
    void write();
    void truncation_data();
    void truncation();
};

void tst_ProfileFile::read_data()
{
    // Every row is read as a string (default "dflt") and as an integer (default -9).
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("number");
    const QByteArray file = "[SYSTEM]\r\nLOGINDLGNAME=Li\r\nPrintTitle=\r\n k = -7x \r\n"
                            "[a]\r\nm_C=3.5\r\n[SYSTEM]\r\nlate=1\r\n";
    QTest::newRow("empty file") << QByteArray() << u"SYSTEM"_s << u"k"_s << u"dflt"_s << -9;
    QTest::newRow("names ignore case") << file << u"system"_s << u"loginDlgName"_s << u"Li"_s << 0;
    QTest::newRow("missing key") << file << u"SYSTEM"_s << u"m_C"_s << u"dflt"_s << -9;
    QTest::newRow("empty value") << file << u"SYSTEM"_s << u"PrintTitle"_s << QString() << 0;
    QTest::newRow("blanks trimmed, leading integer")
        << file << u"SYSTEM"_s << u"k"_s << u"-7x"_s << -7;
    QTest::newRow("first section of a name only")
        << file << u"SYSTEM"_s << u"late"_s << u"dflt"_s << -9;
    // 癩 is 0xB0 0x5D in GB18030: its trail byte is "]".
    QTest::newRow("trail byte 0x5D in a section")
        << Gbk(u"[癩a]\nk=v\n"_s) << u"癩A"_s << u"k"_s << u"v"_s << 0;
    QTest::newRow("GB18030 value")
        << "[s]\nu=" + Gbk(u"质检所"_s) << u"s"_s << u"u"_s << u"质检所"_s << 0;
    QTest::newRow("plus is no digit") << "[s]\nk=+5"_ba << u"s"_s << u"k"_s << u"+5"_s << 0;
    QTest::newRow("too large") << "[s]\nk=99999999999"_ba << u"s"_s << u"k"_s << u"99999999999"_s
                               << INT_MAX;
}

void tst_ProfileFile::read()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, text);
    QFETCH(int, number);
    const ProfileFile settings(file);
    QCOMPARE(settings.ReadString(section, key, u"dflt"_s, 100), text);
    QCOMPARE(settings.ReadInt(section, key, -9), number);
}

void tst_ProfileFile::write_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("first key of an empty file") << QByteArray() << u"SYSTEM"_s << u"nSelMode"_s
                                                << u"2"_s << "[SYSTEM]\r\nnSelMode=2\r\n"_ba;
    QTest::newRow("replaces in place, keeps the rest byte for byte")
        << "; mine\r\n[a]\r\nm_C=1.00\r\nraw=\xff\x80\n[SYSTEM]\nnSelMode=0\r\n"_ba << u"A"_s
        << u"M_c"_s << u"7"_s
        << "; mine\r\n[a]\r\nM_c=7\r\nraw=\xff\x80\n[SYSTEM]\nnSelMode=0\r\n"_ba;
    QTest::newRow("new key after the section's last entry")
        << "[a]\r\nm_C=1\r\n\r\n[SYSTEM]\r\n"_ba << u"a"_s << u"m_Lena"_s << u"3"_s
        << "[a]\r\nm_C=1\r\nm_Lena=3\r\n\r\n[SYSTEM]\r\n"_ba;
    QTest::newRow("new section, LF file without final line end")
        << "[a]\nm_C=1"_ba << u"SYSTEM"_s << u"ISLOCK"_s << u"0"_s
        << "[a]\nm_C=1\n[SYSTEM]\nISLOCK=0\n"_ba;
    QTest::newRow("GB18030 value") << QByteArray() << u"SYSTEM"_s << u"n"_s << u"张三"_s
                                   << "[SYSTEM]\r\nn=" + Gbk(u"张三"_s) + "\r\n";
    QTest::newRow("line breaks cannot add keys")
        << QByteArray() << u"SYSTEM"_s << u"n"_s << u"1\r\nISLOCK=1"_s
        << "[SYSTEM]\r\nn=1  ISLOCK=1\r\n"_ba;
    QTest::newRow("bad section name refused") << "x"_ba << u"a]b"_s << u"k"_s << u"v"_s << "x"_ba;
    QTest::newRow("bad key name refused") << "x"_ba << u"a"_s << u"k=v"_s << u"v"_s << "x"_ba;
}

void tst_ProfileFile::write()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);
    ProfileFile settings(before);
    QCOMPARE(settings.WriteString(section, key, value), before != after);
    QCOMPARE(settings.Content(), after);
}

void tst_ProfileFile::truncation_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("bufferSize");
    QTest::addColumn<QString>("expected");
    const QString chinese(60, QChar(0x4E2D));
    QTest::newRow("ASCII, 99 bytes") << QString(120, u'x') << 100 << QString(99, u'x');
    QTest::newRow("one ASCII then 49") << u"a"_s + chinese << 100 << u"a"_s + chinese.first(49);
    QTest::newRow("never half a character")
        << u"ab"_s + chinese << 100 << u"ab"_s + chinese.first(48);
    QTest::newRow("four-byte character whole") << u"x😀😀"_s << 9 << u"x😀"_s;
    // ß and ä lie outside GBK: four bytes each in GB18030, although in the BMP.
    QTest::newRow("four-byte BMP characters at the 99-byte cut")
        << u"aa"_s + QString(30, u'ß') << 100 << u"aa"_s + QString(24, u'ß');
    QTest::newRow("four-byte BMP characters filling 259 bytes")
        << u"abc"_s + QString(70, u'ä') << 260 << u"abc"_s + QString(64, u'ä');
}

void tst_ProfileFile::truncation()
{
    QFETCH(QString, value);
    QFETCH(int, bufferSize);
    QFETCH(QString, expected);
    ProfileFile settings;
    QVERIFY(settings.WriteString(u"SYSTEM", u"t", value));
    QCOMPARE(settings.ReadString(u"SYSTEM", u"t", QString(), bufferSize), expected);
    QCOMPARE(settings.ReadString(u"SYSTEM", u"absent", value, bufferSize), expected);
}

QTEST_GUILESS_MAIN(tst_ProfileFile)
#include "tst_profilefile.moc"
