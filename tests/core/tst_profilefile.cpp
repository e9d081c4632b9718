#include "app/Gb18030.h"
#include "app/ProfileFile.h"
#include "app/SettingsKeys.h"

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include <climits>

using namespace Qt::StringLiterals;

namespace {

QByteArray Gbk(const QString &text)
{
    QStringEncoder encoder("GB18030");
    return encoder.encode(text);
}

QByteArray FileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void SetFileBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

} // namespace

class tst_ProfileFile : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void readString_data();
    void readString();
    void readInt_data();
    void readInt();
    void write_data();
    void write();
    void writeReadBack();
    void unwritableFile();
    void truncation_data();
    void truncation();

private:
    QTemporaryDir m_dir;
    QString m_path;
};

void tst_ProfileFile::init()
{
    QVERIFY(m_dir.isValid());
    m_path = m_dir.filePath(u"Velmora.ini"_s);
    QFile::remove(m_path);
}

void tst_ProfileFile::readString_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");

    const QByteArray file = "; comment=x\r\n[SYSTEM]\r\nLOGINDLGNAME=Li\r\nPrintTitle=\r\n"
                            "  spaced  =  value \r\nnoequals\r\n[a]\r\nm_C=3.5\r\n[SYSTEM]\r\n"
                            "late=1\r\n";
    QTest::newRow("missing file gives default")
        << QByteArray() << u"SYSTEM"_s << u"x"_s << u"dflt"_s;
    QTest::newRow("exact names") << file << u"SYSTEM"_s << u"LOGINDLGNAME"_s << u"Li"_s;
    QTest::newRow("names ignore case") << file << u"system"_s << u"loginDlgName"_s << u"Li"_s;
    QTest::newRow("missing key gives default") << file << u"SYSTEM"_s << u"nokey"_s << u"dflt"_s;
    QTest::newRow("missing section gives default") << file << u"none"_s << u"m_C"_s << u"dflt"_s;
    QTest::newRow("empty value is not the default")
        << file << u"SYSTEM"_s << u"PrintTitle"_s << QString();
    QTest::newRow("blanks around key and value")
        << file << u"SYSTEM"_s << u"spaced"_s << u"value"_s;
    QTest::newRow("key of another section not found")
        << file << u"a"_s << u"LOGINDLGNAME"_s << u"dflt"_s;
    QTest::newRow("second section of a name is not searched")
        << file << u"SYSTEM"_s << u"late"_s << u"dflt"_s;
    QTest::newRow("comment is no key") << file << u"SYSTEM"_s << u"; comment"_s << u"dflt"_s;
    QTest::newRow("code page 936 text") << "[SYSTEM]\nLOGINDLGUNIT=" + Gbk(u"质检所"_s) + "\n"
                                        << u"SYSTEM"_s << u"LOGINDLGUNIT"_s << u"质检所"_s;
    QTest::newRow("LF only and no final line end")
        << QByteArray("[a]\nm_lena=2.5") << u"A"_s << u"M_LENA"_s << u"2.5"_s;
}

void tst_ProfileFile::readString()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    if (!file.isEmpty())
        SetFileBytes(m_path, file);
    const ProfileFile settings(m_path);
    QCOMPARE(settings.ReadString(section, key, u"dflt"_s, 100), expected);
}

void tst_ProfileFile::readInt_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("expected");
    QTest::newRow("plain") << QByteArray("12") << 12;
    QTest::newRow("leading number only") << QByteArray("12abc") << 12;
    QTest::newRow("negative") << QByteArray("-7") << -7;
    QTest::newRow("no digit") << QByteArray("abc") << 0;
    QTest::newRow("empty") << QByteArray() << 0;
    QTest::newRow("plus sign is no digit") << QByteArray("+5") << 0;
    QTest::newRow("lone minus") << QByteArray("-") << 0;
    QTest::newRow("too large saturates") << QByteArray("99999999999") << INT_MAX;
    QTest::newRow("too small saturates") << QByteArray("-99999999999") << INT_MIN;
    QTest::newRow("int min") << QByteArray("-2147483648") << INT_MIN;
}

void tst_ProfileFile::readInt()
{
    QFETCH(QByteArray, value);
    QFETCH(int, expected);
    SetFileBytes(m_path, "[SYSTEM]\r\nVELMORADLGCOLLECTIONNUM=" + value + "\r\n");
    const ProfileFile settings(m_path);
    QCOMPARE(settings.Read(SettingsKeys::kSampleCount), expected);
    QCOMPARE(settings.ReadInt(u"SYSTEM", u"absent", 12), 12);
}

void tst_ProfileFile::write_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("creates the file") << QByteArray() << u"SYSTEM"_s << u"nSelMode"_s << u"2"_s
                                      << QByteArray("[SYSTEM]\r\nnSelMode=2\r\n");
    QTest::newRow("replaces in place, keeps other lines")
        << QByteArray("; mine\r\n[a]\r\nm_C=1.00\r\nzz\r\n[SYSTEM]\r\nnSelMode=0\r\n") << u"A"_s
        << u"M_c"_s << u"7"_s
        << QByteArray("; mine\r\n[a]\r\nM_c=7\r\nzz\r\n[SYSTEM]\r\nnSelMode=0\r\n");
    QTest::newRow("new key after the section's last line")
        << QByteArray("[a]\r\nm_C=1\r\n\r\n[SYSTEM]\r\nlang=1\r\n") << u"a"_s << u"m_Lena"_s
        << u"3"_s << QByteArray("[a]\r\nm_C=1\r\nm_Lena=3\r\n\r\n[SYSTEM]\r\nlang=1\r\n");
    QTest::newRow("new section at the end of a file without final line end")
        << QByteArray("[a]\nm_C=1") << u"SYSTEM"_s << u"ISLOCK"_s << u"0"_s
        << QByteArray("[a]\nm_C=1\n[SYSTEM]\nISLOCK=0\n");
    QTest::newRow("foreign bytes elsewhere stay as they are")
        << QByteArray("[x]\r\nraw=\xff\xfe\x80\r\n[SYSTEM]\nLEDR=1\r\n") << u"system"_s << u"LEDR"_s
        << u"2"_s << QByteArray("[x]\r\nraw=\xff\xfe\x80\r\n[SYSTEM]\nLEDR=2\r\n");
    QTest::newRow("Chinese value in code page 936")
        << QByteArray() << u"SYSTEM"_s << u"LOGINDLGNAME"_s << u"张三"_s
        << "[SYSTEM]\r\nLOGINDLGNAME=" + Gbk(u"张三"_s) + "\r\n";
    QTest::newRow("line breaks in a value cannot add keys")
        << QByteArray() << u"SYSTEM"_s << u"LOGINDLGNO"_s << u"1\r\nISLOCK=1"_s
        << QByteArray("[SYSTEM]\r\nLOGINDLGNO=1  ISLOCK=1\r\n");
    QTest::newRow("empty value written")
        << QByteArray("[SYSTEM]\r\nLOGINDLGNO=7\r\n") << u"SYSTEM"_s << u"LOGINDLGNO"_s << QString()
        << QByteArray("[SYSTEM]\r\nLOGINDLGNO=\r\n");
}

void tst_ProfileFile::write()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);
    if (!before.isEmpty())
        SetFileBytes(m_path, before);
    ProfileFile settings(m_path);
    QVERIFY(settings.WriteString(section, key, value));
    QCOMPARE(FileBytes(m_path), after);
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), QStringList { u"Velmora.ini"_s });
}

void tst_ProfileFile::writeReadBack()
{
    ProfileFile settings(m_path);
    QVERIFY(settings.WriteString(u"a", SettingsKeys::kModeLenaWriteKey, u"2.5"_s));
    QCOMPARE(settings.Read(SettingsKeys::kModeLena), u"2.5"_s);
    QVERIFY(settings.WriteInt(u"SYSTEM", u"LOGINDLGSERIALNO", -1));
    QCOMPARE(settings.Read(SettingsKeys::kLoginSerialNo), -1);
    const QString emoji = u"样品😀"_s;
    QVERIFY(settings.WriteString(u"SYSTEM", u"LOGINDLGSAMPLENAME", emoji));
    QCOMPARE(settings.Read(SettingsKeys::kLoginSampleName), emoji);
    QVERIFY(!settings.WriteString(u"SYS]TEM", u"k", u"v"_s));
    QVERIFY(!settings.WriteString(u"SYSTEM", u"k=v", u"v"_s));
    QVERIFY(!settings.WriteString(u"SYSTEM", u"", u"v"_s));
}

void tst_ProfileFile::unwritableFile()
{
    ProfileFile settings(m_dir.filePath(u"no/such/dir/Velmora.ini"_s));
    QVERIFY(!settings.WriteString(u"SYSTEM", u"lang", u"1"_s));
    QCOMPARE(settings.Read(SettingsKeys::kLang), 0);
}

void tst_ProfileFile::truncation_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("bufferSize");
    QTest::addColumn<QString>("expected");
    const QString ascii(120, u'x');
    QTest::newRow("ASCII cut to 99 bytes") << ascii << 100 << ascii.first(99);
    const QString chinese = QString(60, QChar(0x4E2D));
    QTest::newRow("49 double-byte characters in 99 bytes") << chinese << 100 << chinese.first(49);
    QTest::newRow("odd start never splits a character")
        << u"a"_s + chinese << 100 << u"a"_s + chinese.first(49);
    QTest::newRow("two ASCII then 48 characters")
        << u"ab"_s + chinese << 100 << u"ab"_s + chinese.first(48);
    QTest::newRow("four-byte character kept whole") << u"x😀😀"_s << 9 << u"x😀"_s;
    QTest::newRow("259 bytes") << QString(300, u'h') << 260 << QString(259, u'h');
    QTest::newRow("buffer of one gives nothing") << u"abc"_s << 1 << QString();
}

void tst_ProfileFile::truncation()
{
    QFETCH(QString, value);
    QFETCH(int, bufferSize);
    QFETCH(QString, expected);
    ProfileFile settings(m_path);
    QVERIFY(settings.WriteString(u"SYSTEM", u"PrintTitle", value));
    const QString read = settings.ReadString(u"SYSTEM", u"PrintTitle", QString(), bufferSize);
    QCOMPARE(read, expected);
    QVERIFY(Gb18030::EncodedSize(read) <= bufferSize - 1);
    // The default is cut by the same rule.
    QCOMPARE(settings.ReadString(u"SYSTEM", u"absent", value, bufferSize), expected);
}

QTEST_GUILESS_MAIN(tst_ProfileFile)
#include "tst_profilefile.moc"
