#include "InstrumentFrames.h"
#include "PtyPair.h"
#include "core/journal/read/CsvExport.h"
#include "core/journal/read/JournalHistory.h"
#include "core/journal/store/JournalSchema.h"
#include "core/text/Gb18030.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>
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
    void accountsSignAndReview();
    void methodRunJudgedAndReported();

private:
    // velmora-journal on a journal, with its standard input; its exit status, -1 if it hangs.
    int Tool(const QString &journal, const QString &arguments, const QByteArray &input,
             QString *said = nullptr);
    bool Type(const QString &window, const QStringList &keys, const QString &text = {});
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

int TestCrashRecovery::Tool(const QString &journal, const QString &arguments,
                            const QByteArray &input, QString *said)
{
    QProcess tool;
    tool.start(QStringLiteral(VELMORA_JOURNAL_TOOL),
               QStringList { u"--journal"_s, journal } + arguments.split(u' '));
    tool.write(input);
    tool.closeWriteChannel();
    if (!tool.waitForFinished(20000))
        return -1;
    if (said)
        *said = QString::fromUtf8(tool.readAllStandardOutput() + tool.readAllStandardError());
    return tool.exitCode();
}

bool TestCrashRecovery::Type(const QString &window, const QStringList &keys, const QString &text)
{
    return !window.isEmpty() && Xdo({ u"windowfocus"_s, u"--sync"_s, window })
        && (keys.isEmpty() || Xdo(QStringList { u"key"_s } + keys))
        && (text.isEmpty() || Xdo({ u"type"_s, text })) && Xdo({ u"key"_s, u"Return"_s });
}

// Where accounts are required: an administrator made on the command line adds an operator and
// a reviewer; the operator is refused at the login with a wrong password, signs in with the
// right one and confirms a run, which is recorded under the account; the run is signed
// performed, then reviewed by the reviewer, and no reading of it can be excluded any more.
void TestCrashRecovery::accountsSignAndReview()
{
    PtyPair instrument;
    QVERIFY(instrument.IsValid());
    QTimer stream;
    connect(&stream, &QTimer::timeout, this,
            [&instrument] { instrument.Send(ReadingFrame(1000)); });
    stream.start(100);
    QVERIFY(QDir(m_dir.path()).mkdir(u"accounts"_s));
    const QString dir = m_dir.filePath(u"accounts"_s);
    QVERIFY(QFile::copy(QStringLiteral(VELMORA_EXE), dir + u"/velmora"_s));
    QFile ini(dir + u"/Velmora.ini"_s);
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[SYSTEM]\r\nLOGINDLGNAME=op\r\nVELMORADLGCOLLECTIONNUM=1\r\n[ports]\r\nCOM1="
              + QFile::encodeName(instrument.SlavePath()) + "\r\n[accounts]\r\nRequired=1\r\n");
    ini.close();
    const QString journal = dir + u"/VelmoraJournal.sqlite"_s;
    QCOMPARE(Tool(journal, u"user add root --role admin"_s, "root-secret\n"), 0);
    QCOMPARE(Tool(journal, u"user add op --role operator --as root"_s, "root-secret\nop-secret\n"),
             0);
    QCOMPARE(Tool(journal, u"user add rv --role reviewer --as root"_s, "root-secret\nrv-secret\n"),
             0);
    // Methods change by an administrator's hand only, the password given as for the accounts.
    const QString method = u"method set m --mode 0 --n 1"_s;
    QCOMPARE(Tool(journal, method, {}), 2);
    QCOMPARE(Tool(journal, method + u" --as op"_s, "op-secret\n"), 6);
    QCOMPARE(Tool(journal, method + u" --as root"_s, "root-secret\n"), 0);
    QCOMPARE(Tool(journal, u"method retire m --as root"_s, "root-secret\n"), 0);

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"DISPLAY"_s, m_displayName);
    env.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
    QProcess velmora;
    velmora.setProcessEnvironment(env);
    velmora.start(dir + u"/velmora"_s);
    QStringList seen;
    const QString login = NewWindow(velmora, seen);
    const QStringList toPassword { u"Tab"_s, u"Tab"_s, u"Tab"_s, u"Tab"_s };
    QVERIFY(Type(login, toPassword, u"op-secret-x"_s));
    QVERIFY(Return(NewWindow(velmora, seen))); // the refusal's message
    QVERIFY(Type(login, {}, u"op-secret"_s)); // the password edit keeps the focus
    QVERIFY(Return(NewWindow(velmora, seen))); // Confirm in the main window completes the run
    const auto column = [&journal](const QString &sql) {
        SqliteConnection db;
        QSqlQuery query;
        QStringList values;
        if (JournalSchema::Open(db, journal, SqliteConnection::OpenMode::Read).ok()) {
            query = QSqlQuery(db.database());
            if (db.exec(query, sql).ok())
                while (query.next())
                    values << query.value(0).toString();
        }
        return values.join(u' ');
    };
    QTRY_COMPARE_WITH_TIMEOUT(column(u"SELECT status || ':' || account FROM runs"_s),
                              u"completed:op"_s, 10000);
    QCOMPARE(column(u"SELECT account FROM readings"_s), u"op"_s);
    QCOMPARE(column(u"SELECT kind FROM events WHERE kind IN ('sign-in-failed', 'signed-in') "
                    "ORDER BY seq"_s),
             u"sign-in-failed signed-in"_s);
    velmora.kill();
    velmora.waitForFinished();

    const QString run = column(u"SELECT run_id FROM runs"_s);
    QString said;
    QCOMPARE(Tool(journal, u"sign --meaning reviewed --user rv --run "_s + run, "rv-secret\n"), 6);
    QCOMPARE(Tool(journal, u"sign --meaning performed --user op --run "_s + run, "op-secret\n"), 0);
    QCOMPARE(Tool(journal, u"sign --meaning reviewed --user rv --run "_s + run, "rv-secret\n"), 0);
    QCOMPARE(Tool(journal, u"exclude --reading 1 --reason x --user rv --run "_s + run,
                  "rv-secret\n", &said),
             6);
    QVERIFY2(said.contains(u"refused"_s), qPrintable(said));
    QCOMPARE(Tool(journal, u"verify --key "_s + dir + u"/VelmoraChain.key"_s, {}), 0);
    // No password anywhere: journal, key, settings.
    for (const QString &file : QDir(dir).entryList(QDir::Files)) {
        QFile bytes(dir + u'/' + file);
        QVERIFY(bytes.open(QIODevice::ReadOnly));
        QVERIFY2(!bytes.readAll().contains("-secret"), qPrintable(file));
    }
}

// A method set from the command line, the one the login offers (preselected as the last one
// chosen), three Confirms under it, the verdict journaled and in the PDF report with the rest.
void TestCrashRecovery::methodRunJudgedAndReported()
{
    QTemporaryDir dir;
    PtyPair instrument;
    QVERIFY(dir.isValid() && instrument.IsValid());
    QTimer stream;
    connect(&stream, &QTimer::timeout, this,
            [&instrument] { instrument.Send(ReadingFrame(1000)); });
    stream.start(100);
    QFile ini(dir.filePath(u"Velmora.ini"_s));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[ports]\r\nCOM1=" + QFile::encodeName(instrument.SlavePath())
              + "\r\n[method]\r\nLast=" + Gb18030::Encode(u"蔗糖"_s) + "\r\n");
    ini.close();
    // Both programs find Velmora.ini, the journal and the key beside themselves.
    QVERIFY(QFile::copy(QStringLiteral(VELMORA_EXE), dir.filePath(u"velmora"_s)));
    QVERIFY(QFile::copy(QStringLiteral(VELMORA_JOURNAL_TOOL), dir.filePath(u"velmora-journal"_s)));
    const auto tool = [&dir](const QStringList &arguments) {
        QProcess process;
        process.start(dir.filePath(u"velmora-journal"_s), arguments);
        process.waitForFinished();
        return process.exitCode() == 0 ? process.readAllStandardOutput() + '\n' : QByteArray();
    };
    QVERIFY(!tool({ u"method"_s, u"set"_s, u"蔗糖"_s, u"--mode"_s, u"0"_s, u"--n"_s, u"3"_s,
                    u"--lower"_s, u"0.95"_s, u"--upper"_s, u"1"_s })
                 .isEmpty());

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"DISPLAY"_s, m_displayName);
    env.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
    QProcess velmora;
    velmora.setProcessEnvironment(env);
    velmora.start(dir.filePath(u"velmora"_s));
    QStringList seen;
    QVERIFY(Return(NewWindow(velmora, seen))); // the login, its method preselected
    const QString window = NewWindow(velmora, seen);
    const QString journal = dir.filePath(u"VelmoraJournal.sqlite"_s);
    SqliteConnection db;
    QList<JournalRun> runs;
    const auto read = [&] {
        runs.clear();
        return JournalSchema::Open(db, journal, SqliteConnection::OpenMode::Read).ok()
            && JournalHistory(db).runs({}, 10, runs).ok() && runs.size() == 1;
    };
    for (int i = 1; i <= 3; ++i) {
        QVERIFY(Return(window));
        QTRY_VERIFY_WITH_TIMEOUT(read() && runs[0].readingCount == i, 10000);
    }
    velmora.kill();
    velmora.waitForFinished();
    QCOMPARE(runs[0].status, RunStatus::Completed);
    QVERIFY(runs[0].header.method && runs[0].header.method->version == 1);
    QCOMPARE(runs[0].verdict, std::optional(Verdict::Pass)); // the mean on the upper limit

    QList<JournalReading> readings;
    QVERIFY(JournalHistory(db).readings(runs[0].station, runs[0].id, readings).ok());
    const QString pdf = dir.filePath(u"run.pdf"_s);
    QVERIFY(!tool({ u"report"_s, u"--run"_s, runs[0].id, u"--pdf"_s, pdf }).isNull());
    QProcess pdftotext;
    pdftotext.start(u"pdftotext"_s, { pdf, u"-"_s });
    QVERIFY(pdftotext.waitForFinished());
    // pdftotext drops the blanks around the page marker's numbers.
    const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
    QStringList expected { u"1.000"_s,       u"标准偏差"_s,    u"0.000"_s,      u"0.00 %"_s,
                           u"下限= 0.950"_s, u"上限= 1.000"_s, u"判定: 合格"_s, u"第1页共1页"_s };
    for (const JournalReading &reading : std::as_const(readings))
        expected << CsvExport::LocalTime(reading.confirmedAt);
    for (const QString &part : std::as_const(expected))
        QVERIFY2(text.contains(part), qPrintable(part + u" not in:\n"_s + text));
}

QTEST_GUILESS_MAIN(TestCrashRecovery)
#include "tst_crashrecovery.moc"
