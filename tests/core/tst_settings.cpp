#include "core/settings/Session.h"
#include "core/settings/Settings.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <sys/sysmacros.h>

using namespace Qt::StringLiterals;
namespace Keys = SettingsKeys;

namespace {

bool WriteAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

const QByteArray kLogin = "[SYSTEM]\r\nLOGINDLGNAME=Li\r\n"_ba;
constexpr int kNone = -1;
constexpr int kUnreadable = int(Settings::Problem::Unreadable);
constexpr int kUnsaved = int(Settings::Problem::Unsaved);

// A comment line, then kLogin: `size` bytes in all.
QByteArray Padded(qsizetype size)
{
    return ';' + QByteArray(size - kLogin.size() - 3, 'x') + "\r\n" + kLogin;
}

QStringList Entries(const QString &dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden
                               | QDir::System);
}

} // namespace

class tst_Settings : public QObject
{
    Q_OBJECT

private slots:
    void readAndWrite_data();
    void readAndWrite();
    void sampleCount_data();
    void sampleCount();
};

void tst_Settings::readAndWrite_data()
{
    QTest::addColumn<QString>("kind"); // none, file, link (to a file), zero, fifo, dir, under
    QTest::addColumn<QString>("name"); // of the settings file in a fresh directory
    QTest::addColumn<QByteArray>("before"); // of the file, or of the link's target
    QTest::addColumn<QString>("inspector"); // read from it
    QTest::addColumn<int>("problem"); // reported once

    const QString ini = u"Velmora.ini"_s;
    QTest::newRow("absent: created by a write")
        << u"none"_s << ini << QByteArray() << QString() << kNone;
    QTest::newRow("link to a regular file") << u"link"_s << ini << kLogin << u"Li"_s << kNone;
    QTest::newRow("exactly 1 MiB")
        << u"file"_s << ini << Padded(Settings::kMaxFileSize) << u"Li"_s << kNone;
    QTest::newRow("1 MiB and a byte: never read, never overwritten")
        << u"file"_s << ini << Padded(Settings::kMaxFileSize + 1) << QString() << kUnreadable;
    // A device of its own in the test's directory, never the system's: a broken save through
    // the link would replace /dev/zero for every process on the machine.
    QTest::newRow("link to a zero device")
        << u"zero"_s << ini << QByteArray() << QString() << kUnreadable;
    QTest::newRow("FIFO, never opened")
        << u"fifo"_s << ini << QByteArray() << QString() << kUnreadable;
    QTest::newRow("directory") << u"dir"_s << ini << QByteArray() << QString() << kUnreadable;
    // The temporary file's name, the name and a suffix, is longer than a directory entry may be.
    QTest::newRow("directory refuses the temporary file: written in place")
        << u"file"_s << QString(250, u'n') << kLogin << u"Li"_s << kNone;
    QTest::newRow("below a regular file: told once, kept in memory")
        << u"under"_s << u"file/Velmora.ini"_s << QByteArray() << QString() << kUnsaved;
}

void tst_Settings::readAndWrite()
{
    QFETCH(QString, kind);
    QFETCH(QString, name);
    QFETCH(QByteArray, before);
    QFETCH(QString, inspector);
    QFETCH(int, problem);

    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    const QString target = kind == u"link" || kind == u"zero" ? dir.filePath(u"target"_s) : path;
    if (kind == u"file" || kind == u"link")
        QVERIFY(WriteAll(target, before));
    if (kind == u"zero"
        && ::mknod(QFile::encodeName(target).constData(), S_IFCHR | 0600, makedev(1, 5)) != 0)
        QSKIP("No device node can be made here: that needs root and a container that allows it");
    if (kind == u"link" || kind == u"zero")
        QVERIFY(QFile::link(target, path));
    if (kind == u"fifo")
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    if (kind == u"dir" || kind == u"under")
        QVERIFY(kind == u"dir" ? QDir().mkdir(path) : WriteAll(dir.filePath(u"file"_s), {}));
    QStringList entries = Entries(dir.path());
    if (kind == u"none")
        entries << name;

    Settings settings(path);
    QSignalSpy spy(&settings, &Settings::problem);
    QVERIFY(spy.isValid());
    settings.Load();
    QCOMPARE(settings.Read(Keys::kLoginInspector), inspector);
    const bool saved = problem == kNone;
    QCOMPARE(settings.Write(Keys::kLoginInspector, u"Wang"_s), saved);
    QCOMPARE(settings.Write(Keys::kModeLena, u"3"_s), saved);
    QCOMPARE(settings.Read(Keys::kLoginInspector), u"Wang"_s);
    QCOMPARE(settings.Read(Keys::kModeLena), u"3"_s);
    QCOMPARE(spy.size(), saved ? 0 : 1);
    if (!saved)
        QCOMPARE(int(spy.at(0).at(0).value<Settings::Problem>()), problem);

    // No temporary file left behind, and nothing put in the place of what was there.
    QCOMPARE(Entries(dir.path()), entries);
    if (kind == u"file" || kind == u"link" || kind == u"none") {
        const QByteArray changed =
            QByteArray(before.isEmpty() ? kLogin : before).replace("=Li", "=Wang")
            + "[a]\r\nm_Lena=3\r\n";
        QFile file(target);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), saved ? changed : before);
    }
}

void tst_Settings::sampleCount_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<int>("count");
    QTest::newRow("the sample store's size") << "256"_ba << 256;
    QTest::newRow("beyond it") << "257"_ba << 256;
    QTest::newRow("zero") << "0"_ba << 1;
}

void tst_Settings::sampleCount()
{
    QFETCH(QByteArray, stored);
    QFETCH(int, count);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"Velmora.ini"_s);
    QVERIFY(WriteAll(path, "[SYSTEM]\r\nVELMORADLGCOLLECTIONNUM=" + stored + "\r\n"));
    Settings settings(path);
    settings.Load();
    QCOMPARE(Session::Read(settings, dir.path()).sampleCount, count);
}

QTEST_GUILESS_MAIN(tst_Settings)
#include "tst_settings.moc"
