#include "ui/report/HelpLauncher.h"

#include <QApplication>
#include <QMessageBox>
#include <QProcess>
#include <QTest>

using namespace Qt::StringLiterals;

class tst_HelpLauncher : public QObject
{
    Q_OBJECT

private slots:
    void commandLine_data();
    void commandLine();
    void failureNamesTheHelpFile_data();
    void failureNamesTheHelpFile();
};

void tst_HelpLauncher::commandLine_data()
{
    QTest::addColumn<QString>("programDir");
    QTest::addColumn<QString>("value");
    QTest::addColumn<HelpViewer>("viewer");
    QTest::addColumn<QStringList>("command");

    QTest::newRow("notepad, backslashes, directory with blanks is one argument")
        << u"C:/Program Files/Velmora/"_s << u"manual.txt"_s << HelpViewer::Notepad
        << QStringList { u"notepad"_s, u"C:\\Program Files\\Velmora\\manual.txt"_s };
    QTest::newRow("empty value is help.txt; blank and shell characters stay in the argument")
        << u"/home/user/旋光 仪;$(x)"_s << QString() << HelpViewer::XdgOpen
        << QStringList { u"xdg-open"_s, u"/home/user/旋光 仪;$(x)/help.txt"_s };
    QTest::newRow("macOS text editor")
        << u"/Applications/Velmora"_s << u"help.txt"_s << HelpViewer::TextEdit
        << QStringList { u"open"_s, u"-t"_s, u"/Applications/Velmora/help.txt"_s };
}

void tst_HelpLauncher::commandLine()
{
    QFETCH(QString, programDir);
    QFETCH(QString, value);
    QFETCH(HelpViewer, viewer);
    QFETCH(QStringList, command);

    const HelpCommand expected { command.takeFirst(), command };
    QCOMPARE(HelpCommandFor(programDir, value, viewer), expected);
}

void tst_HelpLauncher::failureNamesTheHelpFile_data()
{
    QTest::addColumn<QString>("viewer");
    QTest::addColumn<bool>("reported");
    QTest::newRow("viewer missing") << u"/nonexistent/viewer"_s << true;
    QTest::newRow("viewer ends with an error") << u"false"_s << true;
    QTest::newRow("viewer opens the file") << u"true"_s << false;
}

void tst_HelpLauncher::failureNamesTheHelpFile()
{
    QFETCH(QString, viewer);
    QFETCH(bool, reported);
    QWidget window;
    const QString path = u"/opt/旋光 仪/help.txt"_s;
    StartHelpViewer(&window, { viewer, { path } }, path);
    QTRY_VERIFY(qApp->findChildren<QProcess *>(Qt::FindDirectChildrenOnly).isEmpty());
    const QList<QMessageBox *> boxes = window.findChildren<QMessageBox *>();
    QCOMPARE(boxes.size(), int(reported));
    if (reported)
        QVERIFY2(boxes[0]->isVisible() && boxes[0]->text().contains(path),
                 qPrintable(boxes[0]->text()));
}

QTEST_MAIN(tst_HelpLauncher)
#include "tst_helplauncher.moc"
