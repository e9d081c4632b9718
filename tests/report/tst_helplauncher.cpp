#include "app/ProfileFile.h"
#include "report/HelpLauncher.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class tst_HelpLauncher : public QObject
{
    Q_OBJECT

private slots:
    void commandLine_data();
    void commandLine();
    void viewerGetsTheFileAsOneArgument();
};

void tst_HelpLauncher::commandLine_data()
{
    QTest::addColumn<QString>("programDir");
    QTest::addColumn<QString>("value");
    QTest::addColumn<HelpViewer>("viewer");
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");

    QTest::newRow("default name, notepad") << u"C:/prog"_s << u"help.txt"_s << HelpViewer::Notepad
                                     << u"notepad"_s << QStringList { u"C:\\prog\\help.txt"_s };
    QTest::newRow("manual.txt, notepad")
        << u"C:\\prog\\"_s << u"manual.txt"_s << HelpViewer::Notepad << u"notepad"_s
        << QStringList { u"C:\\prog\\manual.txt"_s };
    QTest::newRow("empty value means help.txt")
        << u"/opt/velmora"_s << QString() << HelpViewer::XdgOpen << u"xdg-open"_s
        << QStringList { u"/opt/velmora/help.txt"_s };
    QTest::newRow("directory with blanks stays one argument")
        << u"C:/Program Files/Velmora"_s << u"help.txt"_s << HelpViewer::Notepad << u"notepad"_s
        << QStringList { u"C:\\Program Files\\Velmora\\help.txt"_s };
    QTest::newRow("Chinese directory with a blank, xdg-open")
        << u"/home/user/旋光 仪"_s << u"help.txt"_s << HelpViewer::XdgOpen << u"xdg-open"_s
        << QStringList { u"/home/user/旋光 仪/help.txt"_s };
    QTest::newRow("shell characters are no command")
        << u"/tmp/a;b"_s << u"$(reboot).txt"_s << HelpViewer::XdgOpen << u"xdg-open"_s
        << QStringList { u"/tmp/a;b/$(reboot).txt"_s };
    QTest::newRow("a full path is still relative to the program")
        << u"/opt/v"_s << u"/etc/motd"_s << HelpViewer::XdgOpen << u"xdg-open"_s
        << QStringList { u"/opt/v//etc/motd"_s };
    QTest::newRow("macOS text editor")
        << u"/Applications/Velmora"_s << u"help.txt"_s << HelpViewer::TextEdit << u"open"_s
        << QStringList { u"-t"_s, u"/Applications/Velmora/help.txt"_s };
}

void tst_HelpLauncher::commandLine()
{
    QFETCH(QString, programDir);
    QFETCH(QString, value);
    QFETCH(HelpViewer, viewer);
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);

    const HelpCommand command = HelpCommandFor(programDir, value, viewer);
    QCOMPARE(command.program, program);
    QCOMPARE(command.arguments, arguments);
}

// A stand-in viewer first on PATH records what it was given; the help file lies in a program
// directory with a blank, and the settings name it.
void tst_HelpLauncher::viewerGetsTheFileAsOneArgument()
{
    if (PlatformHelpViewer() != HelpViewer::XdgOpen)
        QSKIP("the stand-in viewer is a shell script");
    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QString binDir = root.filePath(u"bin"_s);
    const QString programDir = root.filePath(u"my program"_s);
    QVERIFY(QDir().mkpath(binDir));
    QVERIFY(QDir().mkpath(programDir));
    const QString record = root.filePath(u"record"_s);

    QFile viewer(binDir + u"/xdg-open"_s);
    QVERIFY(viewer.open(QIODevice::WriteOnly));
    viewer.write("#!/bin/sh\nprintf '%s\\n' \"$#\" \"$1\" > \"" + QFile::encodeName(record)
                 + ".tmp\"\nmv \"" + QFile::encodeName(record) + ".tmp\" \""
                 + QFile::encodeName(record) + "\"\n");
    viewer.close();
    QVERIFY(viewer.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

    QFile help(programDir + u"/manual.txt"_s);
    QVERIFY(help.open(QIODevice::WriteOnly));
    help.close();
    ProfileFile settings(programDir + u"/Velmora.ini"_s);
    QVERIFY(settings.WriteString(u"SYSTEM", u"HelpFilePath", u"manual.txt"_s));

    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(binDir) + ':' + oldPath);
    const bool started = LaunchHelp(programDir, settings);
    qputenv("PATH", oldPath);
    QVERIFY(started);

    QTRY_VERIFY(QFile::exists(record));
    QFile result(record);
    QVERIFY(result.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(result.readAll()).split(u'\n');
    QCOMPARE(lines.value(0), u"1"_s);
    QCOMPARE(lines.value(1), help.fileName());
    QVERIFY(QFile::exists(lines.value(1)));
}

QTEST_GUILESS_MAIN(tst_HelpLauncher)
#include "tst_helplauncher.moc"
