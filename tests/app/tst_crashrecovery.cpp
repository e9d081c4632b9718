#include "InstrumentFrames.h"
#include "PtyPair.h"
#include "core/journal/read/JournalHistory.h"
#include "core/journal/store/JournalSchema.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

// The program itself, killed after three confirms and started again. A program that takes no
// arguments and draws its own dialogs is driven as a user drives it: on a virtual X display, with
// the Return key typed into its windows by xdotool (Return confirms the login and the reading,
// and answers the question with its default button, Yes).
class TestCrashRecovery : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void killedRunOfferedBack();

private:
    bool Xdo(const QStringList &arguments, QString *out = nullptr);
    // The program's visible window that is none of those seen before, once it is shown.
    QString NewWindow(const QProcess &program, QStringList &seen);
    bool Return(const QString &window);
    int Readings();

    QTemporaryDir m_dir;
    QProcess m_display;
    QString m_displayName;
    QString m_journal;
};

void TestCrashRecovery::initTestCase()
{
    if (QStandardPaths::findExecutable(u"Xvfb"_s).isEmpty()
        || QStandardPaths::findExecutable(u"xdotool"_s).isEmpty())
        QSKIP("Xvfb and xdotool drive the program (scripts/setup.sh installs them)");
    QVERIFY(m_dir.isValid());
    // -displayfd: the server takes a free display number and tells it once it accepts clients;
    // -noreset: it stays up when the killed program was its last client.
    m_display.start(u"Xvfb"_s,
                    { u"-displayfd"_s, u"1"_s, u"-nolisten"_s, u"tcp"_s, u"-noreset"_s });
    QVERIFY(m_display.waitForReadyRead(20000));
    m_displayName = u":"_s + QString::fromLatin1(m_display.readAllStandardOutput().trimmed());
    QVERIFY(QFile::copy(QStringLiteral(VELMORA_EXE), m_dir.filePath(u"velmora"_s)));
    m_journal = m_dir.filePath(u"VelmoraJournal.sqlite"_s);
}

void TestCrashRecovery::cleanupTestCase()
{
    m_display.kill();
    m_display.waitForFinished();
}

bool TestCrashRecovery::Xdo(const QStringList &arguments, QString *out)
{
    QProcess xdo;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"DISPLAY"_s, m_displayName);
    xdo.setProcessEnvironment(env);
    xdo.start(u"xdotool"_s, arguments);
    if (!xdo.waitForFinished(20000) || xdo.exitCode() != 0)
        return false;
    if (out)
        *out = QString::fromLatin1(xdo.readAllStandardOutput());
    return true;
}

QString TestCrashRecovery::NewWindow(const QProcess &program, QStringList &seen)
{
    const QDeadlineTimer deadline(20000);
    QString windows;
    while (!deadline.hasExpired()) {
        Xdo({ u"search"_s, u"--onlyvisible"_s, u"--pid"_s, QString::number(program.processId()) },
            &windows);
        for (const QString &window : windows.split(u'\n', Qt::SkipEmptyParts)) {
            if (!seen.contains(window)) {
                seen.append(window);
                return window;
            }
        }
        QTest::qWait(50);
    }
    return {};
}

bool TestCrashRecovery::Return(const QString &window)
{
    return !window.isEmpty() && Xdo({ u"windowfocus"_s, u"--sync"_s, window })
        && Xdo({ u"key"_s, u"Return"_s });
}

int TestCrashRecovery::Readings()
{
    SqliteConnection db;
    QList<JournalRun> runs;
    if (!JournalSchema::Open(db, m_journal, SqliteConnection::OpenMode::Read).ok()
        || !JournalHistory(db).runs({}, 10, runs).ok() || runs.size() != 1)
        return -1;
    return runs.constFirst().readingCount;
}

void TestCrashRecovery::killedRunOfferedBack()
{
    PtyPair instrument;
    QVERIFY(instrument.IsValid());
    // A polarimeter sends its reading all the time; Confirm enters only a recent one.
    QTimer stream;
    connect(&stream, &QTimer::timeout, this,
            [&instrument] { instrument.Send(ReadingFrame(1000)); });
    stream.start(100);
    QFile ini(m_dir.filePath(u"Velmora.ini"_s));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[ports]\r\nCOM1=" + QFile::encodeName(instrument.SlavePath()) + "\r\n");
    ini.close();

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"DISPLAY"_s, m_displayName);
    env.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
    env.insert(u"QT_LOGGING_RULES"_s, u"velmora.recovery.info=true"_s);
    QProcess first;
    first.setProcessEnvironment(env);
    first.start(m_dir.filePath(u"velmora"_s));
    QStringList seen;
    QVERIFY(Return(NewWindow(first, seen))); // the login
    const QString window = NewWindow(first, seen);
    for (int i = 1; i <= 3; ++i) {
        QVERIFY(Return(window));
        QTRY_COMPARE_WITH_TIMEOUT(Readings(), i, 10000);
    }
    first.kill(); // SIGKILL
    QVERIFY(first.waitForFinished());

    QProcess second;
    second.setProcessEnvironment(env);
    second.start(m_dir.filePath(u"velmora"_s));
    seen.clear();
    QVERIFY(Return(NewWindow(second, seen))); // the login
    QByteArray told;
    QTRY_VERIFY2_WITH_TIMEOUT((told += second.readAllStandardError()).contains(": 3 readings"),
                              told.constData(), 10000);
    QVERIFY(Return(NewWindow(second, seen))); // Yes
    QVERIFY(Return(NewWindow(second, seen))); // a fourth Confirm goes on in the same run
    QTRY_COMPARE_WITH_TIMEOUT(Readings(), 4, 10000);
    second.kill();
    second.waitForFinished();
}

QTEST_GUILESS_MAIN(TestCrashRecovery)
#include "tst_crashrecovery.moc"
