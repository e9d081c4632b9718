// Start-up of the application against a plain Qt program doing the same flow, both measured in
// the same run, alternating, so that a loaded or drifting machine weighs on both alike:
//     bench_startup [pairs]            (21 pairs without an argument)
// Each pair starts, in alternating order, the real start-up (this program with "--child":
// settings file, language, login dialog confirmed at once, main window with its serial channel
// on a pseudo-terminal) and the baseline, bench_startup_baseline: the same source built without
// the application, linking Qt alone (a login dialog with four edits and the system's serial
// ports, confirmed at once; an SQLite file in WAL mode with one row written; the serial port
// opened on a pseudo-terminal of its own; a main dialog with a table, labels and buttons). Each
// child reports
// the moment its main window is exposed: its CPU time (user + system of the whole process,
// getrusage) and its resident memory (VmRSS); the parent takes the wall time from process start.
// Prints the medians and the ratios real / baseline. The real child then feeds 2000 frames
// through its terminal and reports its resident memory again.
// A third child in each turn runs the real start-up without the results journal (every step
// but opening it), for the journal's share: with and without take one program folder, whose
// journal holds the runs of the earlier children, as a station's does.
// Run it with QT_QPA_PLATFORM=offscreen or on a display; under Xvfb keep another client
// connected (xprop -root -spy), since Xvfb resets itself when its last client leaves.
#include "BenchFigures.h"
#ifndef VELMORA_STARTUP_BASELINE
#include "AppHarness.h"
#include "ui/controls/LedDigitDisplay.h"
#endif

#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QFormLayout>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSerialPort>
#include <QSerialPortInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// The child's line at its main window's exposure: CPU microseconds and resident KiB.
void ReportShown()
{
    rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    const long cpuUs = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000000L
        + usage.ru_utime.tv_usec + usage.ru_stime.tv_usec;
    std::printf("shown %ld %ld\n", cpuUs, ResidentKiB());
    std::fflush(stdout);
}

#ifdef VELMORA_STARTUP_BASELINE
bool WaitExposed(QWidget &window)
{
    QElapsedTimer clock;
    clock.start();
    while (!(window.windowHandle() && window.windowHandle()->isExposed())) {
        if (clock.elapsed() > 30000)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    }
    return true;
}

// The same flow as a bare Qt program writes it, with layouts and no application code. dir: where
// its database is kept from one run to the next, as the program's journal is.
int RunBaseline(int argc, char *argv[])
{
    QApplication application(argc, argv);
    if (argc < 2)
        return 1;
    // The instrument's side of the line, as the real child has it.
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
        return 1;
    {
        QDialog login;
        auto *form = new QFormLayout(&login);
        form->addRow(new QLabel(u"旋光仪数据记录"_s));
        for (const QString &label : { u"供样单位:"_s, u"检品名称:"_s, u"批号:"_s, u"检验者:"_s })
            form->addRow(label, new QLineEdit(u"text"_s));
        auto *ports = new QComboBox;
        for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
            ports->addItem(info.systemLocation() + u"  "_s + info.description());
        form->addRow(u"串口号:"_s, ports);
        // Plain buttons, as the program has: a button box would look up themed icons for
        // them on X11, work that the program does not do.
        auto *ok = new QPushButton(u"确定"_s);
        ok->setDefault(true);
        form->addRow(ok, new QPushButton(u"取消"_s));
        login.show();
        login.accept();
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s);
    db.setDatabaseName(QString::fromLocal8Bit(argv[1]) + u"/baseline.sqlite"_s);
    QSqlQuery query(db);
    if (!db.open() || !query.exec(u"PRAGMA journal_mode = WAL"_s)
        || !query.exec(u"PRAGMA synchronous = FULL"_s)
        || !query.exec(u"CREATE TABLE IF NOT EXISTS readings (id INTEGER PRIMARY KEY, "
                       "value REAL NOT NULL, confirmed TEXT NOT NULL)"_s)
        || !query.prepare(u"INSERT INTO readings (value, confirmed) VALUES (?, ?)"_s))
        return 1;
    query.addBindValue(12.345);
    query.addBindValue(QDateTime::currentDateTime().toString(Qt::ISODate));
    QSerialPort port(QString::fromLocal8Bit(::ptsname(master)));
    port.setBaudRate(QSerialPort::Baud9600);
    if (!query.exec() || !port.open(QIODevice::ReadWrite))
        return 1;
    QObject::connect(&port, &QSerialPort::readyRead, &port, [&port] { port.readAll(); });
    QDialog window;
    auto *grid = new QGridLayout(&window);
    const QStringList commands { u"采样"_s,  u"打印"_s, u"保存"_s, u"模式选择"_s, u"+复测"_s,
                                 u"-复测"_s, u"清零"_s, u"确认"_s, u"删除"_s,     u"退出"_s };
    for (int i = 0; i < commands.size(); ++i)
        grid->addWidget(new QPushButton(commands[i]), 0, i);
    auto *table = new QTableWidget(0, 4);
    table->setHorizontalHeaderLabels(
        { u"采样次数"_s, u"旋光度(α°)"_s, u"平均结果(n)"_s, u"标准偏差(σ)"_s });
    grid->addWidget(table, 1, 0, 1, 6);
    const QStringList labels { u"供样单位:"_s, u"检品名称:"_s, u"批    号:"_s, u"检 验 者:"_s,
                               u"采样次数:"_s, u"日    期:"_s, u"当前状态"_s };
    for (int i = 0; i < labels.size(); ++i) {
        grid->addWidget(new QLabel(labels[i]), 2 + i, 0);
        grid->addWidget(new QLabel(u"Static"_s), 2 + i, 1);
    }
    window.show();
    if (!WaitExposed(window))
        return 1;
    ReportShown();
    ::close(master);
    return 0;
}
#else
constexpr int kFrames = 2000;

int ReportShownAndFlooded(CVelmoraDlg &window, PtyPair &terminal)
{
    ReportShown();
    QByteArray stream;
    for (int i = 1; i <= kFrames; ++i)
        stream += ReadingFrame(i);
    terminal.Send(stream);
    WaitUntil([&] {
        return GetDlgItem<CLedDigitDisplay>(window, CVelmoraDlg::IDC_READING)->DisplayText()
            == u"+02.000"_s;
    });
    std::printf("after %d frames %ld KiB\n", kFrames, ResidentKiB());
    return 0;
}

struct Sample
{
    double wallMs = 0;
    double cpuMs = 0;
    double residentMiB = 0;
};

// Starts `program` and waits for its line at the main window's exposure.
bool Measure(const QString &program, const QStringList &arguments, Sample &sample, QByteArray &rest)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer clock;
    clock.start();
    child.start(program, arguments);
    QByteArray out;
    while (!out.contains('\n') && child.waitForReadyRead(30000))
        out += child.readAllStandardOutput();
    sample.wallMs = clock.nsecsElapsed() / 1e6;
    child.waitForFinished(60000);
    const QList<QByteArray> fields = out.left(out.indexOf('\n')).split(' ');
    rest = out.mid(out.indexOf('\n') + 1) + child.readAllStandardOutput();
    if (fields.size() != 3 || fields[0] != "shown" || child.exitCode() != 0)
        return false;
    sample.cpuMs = fields[1].toLong() / 1e3;
    sample.residentMiB = fields[2].toLong() / 1024.0;
    return true;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

int RunParent(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const int pairs = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 21;
    const QString self = QCoreApplication::applicationFilePath();
    const QString baseline = QCoreApplication::applicationDirPath() + u"/bench_startup_baseline"_s;
    QTemporaryDir programDir;
    QTemporaryDir baselineDir;
    std::vector<Sample> real(pairs), base(pairs), unjournaled(pairs);
    QByteArray rest;
    QByteArray flooded;
    for (int i = 0; i < pairs; ++i) {
        // Rotating order, so that no side always follows another.
        for (int turn = 0; turn < 3; ++turn) {
            const int side = (turn + i) % 3;
            const QStringList child { u"--child"_s, programDir.path() };
            const bool ok = side == 0 ? Measure(self, child, real[i], flooded)
                : side == 1
                ? Measure(baseline, { baselineDir.path() }, base[i], rest)
                : Measure(self, child + QStringList { u"--no-journal"_s }, unjournaled[i], rest);
            if (!ok) {
                std::fprintf(stderr, "bench_startup: the %s child failed\n",
                             side == 0       ? "real"
                                 : side == 1 ? "baseline"
                                             : "journal-less");
                return 1;
            }
        }
    }
    const auto column = [](const std::vector<Sample> &samples, double Sample::*field) {
        std::vector<double> values;
        for (const Sample &s : samples)
            values.push_back(s.*field);
        return values;
    };
    const auto pairRatios = [&](double Sample::*field, const std::vector<Sample> &other) {
        std::vector<double> ratios;
        for (int i = 0; i < pairs; ++i)
            ratios.push_back(real[i].*field / other[i].*field);
        return Median(ratios);
    };
    std::printf("platform %s, %d pairs, medians:\n",
                qPrintable(qEnvironmentVariable("QT_QPA_PLATFORM", u"(default)"_s)), pairs);
    std::printf("%-28s %10s %10s %14s %14s\n", "", "real", "baseline", "ratio", "pair ratio");
    const struct
    {
        const char *name;
        double Sample::*field;
    } rows[] = { { "wall to main window (ms)", &Sample::wallMs },
                 { "CPU to main window (ms)", &Sample::cpuMs },
                 { "resident at main window (MiB)", &Sample::residentMiB } };
    for (const auto &row : rows) {
        const double r = Median(column(real, row.field));
        const double b = Median(column(base, row.field));
        std::printf("%-28s %10.2f %10.2f %14.3f %14.3f\n", row.name, r, b, r / b,
                    pairRatios(row.field, base));
    }
    std::printf("%-28s %10s %10s %14s %14s\n", "", "real", "no journal", "ratio", "pair ratio");
    for (const auto &row : rows) {
        const double r = Median(column(real, row.field));
        const double u = Median(column(unjournaled, row.field));
        std::printf("%-28s %10.2f %10.2f %14.3f %14.3f\n", row.name, r, u, r / u,
                    pairRatios(row.field, unjournaled));
    }
    std::printf("real, last run: %s", flooded.constData());
    return 0;
}
#endif

} // namespace

int main(int argc, char *argv[])
{
#ifdef VELMORA_STARTUP_BASELINE
    return RunBaseline(argc, argv);
#else
    // --child DIR [--no-journal]
    if (argc > 2 && qstrcmp(argv[1], "--child") == 0)
        return RunApplication(argc, argv, ReportShownAndFlooded, QString::fromLocal8Bit(argv[2]),
                              !(argc > 3 && qstrcmp(argv[3], "--no-journal") == 0));
    return RunParent(argc, argv);
#endif
}
