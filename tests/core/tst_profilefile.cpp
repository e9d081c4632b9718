#include "app/ProfileFile.h"

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
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
    void init();
    void readString_data();
    void readString();
    void readInt_data();
    void readInt();
    void write_data();
    void write();
    void truncation_data();
    void truncation();

private:
    void SetFile(const QByteArray &bytes);
    QByteArray File() const;

    QTemporaryDir m_dir;
    QString m_path;
};

void tst_ProfileFile::init()
{
    QVERIFY(m_dir.isValid());
    m_path = m_dir.filePath(u"Velmora.ini"_s);
    QFile::remove(m_path);
}

void tst_ProfileFile::SetFile(const QByteArray &bytes)
{
    QFile file(m_path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray tst_ProfileFile::File() const
{
    QFile file(m_path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void tst_ProfileFile::readString_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");
    const QByteArray file = "; c=x\r\n[SYSTEM]\r\nLOGINDLGNAME=Li\r\nPrintTitle=\r\n k = v \r\n"
                            "[a]\r\nm_C=3.5\r\n[SYSTEM]\r\nlate=1\r\n";
    QTest::newRow("missing file") << QByteArray() << u"SYSTEM"_s << u"k"_s << u"dflt"_s;
    QTest::newRow("names ignore case") << file << u"system"_s << u"loginDlgName"_s << u"Li"_s;
    QTest::newRow("missing key") << file << u"SYSTEM"_s << u"m_C"_s << u"dflt"_s;
    QTest::newRow("empty value") << file << u"SYSTEM"_s << u"PrintTitle"_s << QString();
    QTest::newRow("blanks trimmed") << file << u"SYSTEM"_s << u"k"_s << u"v"_s;
    QTest::newRow("first section of a name only") << file << u"SYSTEM"_s << u"late"_s << u"dflt"_s;
    // 癩 is 0xB0 0x5D in code page 936: its trail byte is "]".
    QTest::newRow("trail byte 0x5D in a section")
        << Gbk(u"[癩a]\nk=v\n"_s) << u"癩A"_s << u"k"_s << u"v"_s;
    QTest::newRow("code page 936")
        << "[SYSTEM]\nu=" + Gbk(u"质检所"_s) << u"SYSTEM"_s << u"u"_s << u"质检所"_s;
}

void tst_ProfileFile::readString()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    if (!file.isEmpty())
        SetFile(file);
    QCOMPARE(ProfileFile(m_path).ReadString(section, key, u"dflt"_s, 100), expected);
}

void tst_ProfileFile::readInt_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("expected");
    QTest::newRow("leading number") << QByteArray("12abc") << 12;
    QTest::newRow("negative") << QByteArray("-7") << -7;
    QTest::newRow("no digit") << QByteArray("abc") << 0;
    QTest::newRow("plus is no digit") << QByteArray("+5") << 0;
    QTest::newRow("too large") << QByteArray("99999999999") << INT_MAX;
    QTest::newRow("too small") << QByteArray("-99999999999") << INT_MIN;
}

void tst_ProfileFile::readInt()
{
    QFETCH(QByteArray, value);
    QFETCH(int, expected);
    SetFile("[SYSTEM]\r\nVELMORADLGCOLLECTIONNUM=" + value + "\r\n");
    const ProfileFile settings(m_path);
    QCOMPARE(settings.Read(SettingsKeys::kSampleCount), expected);
    QCOMPARE(settings.Read(SettingsKeys::kLedR), 255);
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
    QTest::newRow("replaces in place, keeps the rest byte for byte")
        << QByteArray("; mine\r\n[a]\r\nm_C=1.00\r\nraw=\xff\x80\n[SYSTEM]\nnSelMode=0\r\n")
        << u"A"_s << u"M_c"_s << u"7"_s
        << QByteArray("; mine\r\n[a]\r\nM_c=7\r\nraw=\xff\x80\n[SYSTEM]\nnSelMode=0\r\n");
    QTest::newRow("new key after the section's last entry")
        << QByteArray("[a]\r\nm_C=1\r\n\r\n[SYSTEM]\r\n") << u"a"_s << u"m_Lena"_s << u"3"_s
        << QByteArray("[a]\r\nm_C=1\r\nm_Lena=3\r\n\r\n[SYSTEM]\r\n");
    QTest::newRow("new section, LF file without final line end")
        << QByteArray("[a]\nm_C=1") << u"SYSTEM"_s << u"ISLOCK"_s << u"0"_s
        << QByteArray("[a]\nm_C=1\n[SYSTEM]\nISLOCK=0\n");
    QTest::newRow("Chinese in code page 936") << QByteArray() << u"SYSTEM"_s << u"n"_s << u"张三"_s
                                              << "[SYSTEM]\r\nn=" + Gbk(u"张三"_s) + "\r\n";
    QTest::newRow("line breaks cannot add keys")
        << QByteArray() << u"SYSTEM"_s << u"n"_s << u"1\r\nISLOCK=1"_s
        << QByteArray("[SYSTEM]\r\nn=1  ISLOCK=1\r\n");
    QTest::newRow("bad section name refused")
        << QByteArray("x") << u"a]b"_s << u"k"_s << u"v"_s << QByteArray("x");
    QTest::newRow("bad key name refused")
        << QByteArray("x") << u"a"_s << u"k=v"_s << u"v"_s << QByteArray("x");
}

void tst_ProfileFile::write()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);
    if (!before.isEmpty())
        SetFile(before);
    ProfileFile settings(m_path);
    QCOMPARE(settings.WriteString(section, key, value), before != after);
    QCOMPARE(File(), after);
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), QStringList { u"Velmora.ini"_s });
    if (before != after)
        QCOMPARE(settings.ReadString(section, key, u"?"_s, 100),
                 QString(value).replace(u'\r', u' ').replace(u'\n', u' '));
    QVERIFY(!ProfileFile(m_dir.filePath(u"no/dir/x.ini"_s)).WriteString(section, u"k", value));
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
    QTest::newRow("259 bytes") << QString(300, u'h') << 260 << QString(259, u'h');
}

void tst_ProfileFile::truncation()
{
    QFETCH(QString, value);
    QFETCH(int, bufferSize);
    QFETCH(QString, expected);
    ProfileFile settings(m_path);
    QVERIFY(settings.WriteString(u"SYSTEM", u"t", value));
    QCOMPARE(settings.ReadString(u"SYSTEM", u"t", QString(), bufferSize), expected);
    QCOMPARE(settings.ReadString(u"SYSTEM", u"absent", value, bufferSize), expected);
}

QTEST_GUILESS_MAIN(tst_ProfileFile)
#include "tst_profilefile.moc"
