// The results journal: Confirm to committed row (synchronous=FULL), journal bytes per reading, and
// the history's first page and filters on a journal of 100 000 runs and 1 200 000 readings.
//
//   bench_journal [FOLDER]   (default: the system's temporary folder; the large journal is kept
//                             there as velmora-bench-history.sqlite and reused by later runs)
#include "BenchFigures.h"
#include "BenchRuns.h"
#include "core/journal/read/JournalHistory.h"
#include "core/journal/store/Journal.h"
#include "core/journal/store/JournalSchema.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr int kRuns = 100000;
constexpr int kPerRun = 12;
constexpr int kConfirms = 1200;

void ConfirmLatency(const QString &folder)
{
    const QTemporaryDir dir(folder + u"/velmora-bench-XXXXXX"_s);
    const QString path = dir.filePath(u"VelmoraJournal.sqlite"_s);
    std::vector<double> ms;
    {
        Journal journal;
        if (!journal.open(path).result.ok())
            return;
        QElapsedTimer timer;
        for (int i = 0; i < kConfirms; ++i) {
            const ConfirmedReading reading = BenchReading(i, kPerRun);
            if (reading.number == 1)
                journal.beginRun(BenchHeader(i, kPerRun));
            timer.start();
            const JournalResult result = journal.recordReading(reading);
            ms.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
            if (!result.ok()) {
                std::printf("write failed: %s\n", qPrintable(result.text));
                return;
            }
        }
    }
    std::printf("confirm to committed row, %d confirms (synchronous=FULL, WAL) in %s:\n"
                "  median %.2f ms, p99 %.2f ms, max %.2f ms\n",
                kConfirms, qPrintable(folder), Percentile(ms, 0.5), Percentile(ms, 0.99),
                *std::max_element(ms.begin(), ms.end()));
    std::printf("journal bytes per reading (runs and events included, after checkpoint): %.0f\n",
                static_cast<double>(QFileInfo(path).size()) / kConfirms);
}

double MedianMs(int repeats, const std::function<void()> &work)
{
    std::vector<double> ms;
    for (int i = 0; i < repeats; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        ms.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    return Percentile(ms, 0.5);
}

// What the history window does on opening and on each change of the filter: count the matches
// and fetch the first page.
void HistoryQueries(const QString &path)
{
    constexpr int kPage = 100;
    const auto open = [&](const RunFilter &filter, int &count, int &shown) {
        SqliteConnection db;
        JournalSchema::Open(db, path, SqliteConnection::OpenMode::Read);
        const JournalHistory history(db);
        QList<JournalRun> page;
        history.countRuns(filter, count);
        history.runs(filter, kPage, page);
        shown = static_cast<int>(page.size());
    };
    struct Case
    {
        const char *name;
        RunFilter filter;
    };
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QList<Case> cases {
        { "open, no filter", {} },
        { "filter: inspector text (1 in 5 runs)", { u"李四"_s, {}, {}, {} } },
        { "filter: batch text (1 run)", { u"B-077777"_s, {}, {}, {} } },
        { "filter: no match", { u"nothing like it"_s, {}, {}, {} } },
        { "filter: last 7 days", { {}, now.addDays(-7), {}, {} } },
        { "filter: text and a month a year ago",
          { u"王五"_s, now.addDays(-365), now.addDays(-335), {} } },
    };
    for (const Case &c : cases) {
        int count = 0;
        int shown = 0;
        const double ms = MedianMs(5, [&] { open(c.filter, count, shown); });
        std::printf("  %-42s median %7.1f ms  (%d runs match, %d fetched)\n", c.name, ms, count,
                    shown);
    }
    SqliteConnection db;
    JournalSchema::Open(db, path, SqliteConnection::OpenMode::Read);
    const JournalHistory history(db);
    QList<JournalRun> page;
    history.runs({}, kPage, page);
    const double deep = MedianMs(5, [&] {
        QList<JournalRun> next;
        for (int i = 0; i < 10; ++i) {
            history.runs({}, kPage, next, &page.constLast());
            page = next;
        }
    });
    std::printf("  %-42s median %7.1f ms per page\n", "next page (10 pages in a row)", deep / 10);
    std::vector<double> readings;
    for (const JournalRun &run : std::as_const(page)) {
        QElapsedTimer timer;
        timer.start();
        QList<JournalReading> rows;
        history.readings(run.station, run.id, rows);
        readings.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::printf("  %-42s median %7.2f ms\n", "one run's readings", Percentile(readings, 0.5));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::tempPath();
    ConfirmLatency(folder);

    const QString path = QDir(folder).filePath(u"velmora-bench-history.sqlite"_s);
    if (!QFileInfo::exists(path)) {
        QElapsedTimer timer;
        timer.start();
        if (!WriteBenchRuns(path, u"bench-station"_s, kRuns, kPerRun)) {
            std::printf("cannot fill %s\n", qPrintable(path));
            QFile::remove(path);
            return 1;
        }
        std::printf("filled %s in %.1f s\n", qPrintable(path), timer.elapsed() / 1000.0);
    }
    std::printf("history on %d runs, %d readings (%.0f MB, %.0f bytes per reading):\n", kRuns,
                kRuns * kPerRun, QFileInfo(path).size() / 1e6,
                static_cast<double>(QFileInfo(path).size()) / (kRuns * kPerRun));
    HistoryQueries(path);
    return 0;
}
