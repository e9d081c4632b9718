// The PDF report of a run of 100 readings: the whole command (velmora-journal report, process
// start and fonts included), from the journal to the finished file in a running process, and the
// drawing alone.
#include "BenchRuns.h"
#include "core/journal/read/JournalHistory.h"
#include "core/journal/read/JournalRunReport.h"
#include "core/journal/store/JournalSchema.h"
#include "core/journal/store/SqliteConnection.h"
#include "ui/report/PdfReport.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int kReadings = 100;

// A journal holding one completed run of kReadings readings, open for reading.
class RunJournal
{
public:
    RunJournal()
    {
        const QString path = m_dir.filePath(u"VelmoraJournal.sqlite"_s);
        QList<JournalRun> runs;
        m_ok = WriteBenchRuns(path, u"bench-pdf"_s, 1, kReadings)
            && JournalSchema::Open(m_db, path, SqliteConnection::OpenMode::Read).ok()
            && JournalHistory(m_db).runs({}, 1, runs).ok() && runs.size() == 1;
        if (m_ok)
            m_runId = runs.constFirst().id;
    }

    bool ok() const { return m_ok; }
    SqliteConnection &db() { return m_db; }
    const QString &runId() const { return m_runId; }
    QString path() const { return m_dir.filePath(u"VelmoraJournal.sqlite"_s); }
    QString pdfPath() const { return m_dir.filePath(u"run.pdf"_s); }

private:
    QTemporaryDir m_dir;
    SqliteConnection m_db;
    QString m_runId;
    bool m_ok = false;
};

void BM_ReportCommand(benchmark::State &state)
{
    RunJournal journal;
    if (!journal.ok()) {
        state.SkipWithError("the journal could not be written");
        return;
    }
    const QString tool = QCoreApplication::applicationDirPath() + u"/velmora-journal"_s;
    const QStringList arguments { u"--journal"_s,  journal.path(), u"report"_s,      u"--run"_s,
                                  journal.runId(), u"--pdf"_s,     journal.pdfPath() };
    for (auto _ : state) {
        QProcess command;
        command.start(tool, arguments);
        if (!command.waitForFinished() || command.exitCode() != 0) {
            state.SkipWithError("velmora-journal report failed");
            return;
        }
    }
}
BENCHMARK(BM_ReportCommand)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_JournalToPdfFile(benchmark::State &state)
{
    RunJournal journal;
    if (!journal.ok()) {
        state.SkipWithError("the journal could not be written");
        return;
    }
    for (auto _ : state) {
        RunReport report;
        if (!JournalRunReport::read(journal.db(), {}, journal.runId(), report).ok()
            || !PdfReport::write(journal.pdfPath(), report).ok()) {
            state.SkipWithError("the report failed");
            return;
        }
    }
    state.counters["pdf_bytes"] = static_cast<double>(QFileInfo(journal.pdfPath()).size());
}
BENCHMARK(BM_JournalToPdfFile)->Unit(benchmark::kMillisecond);

void BM_RenderPdf(benchmark::State &state)
{
    RunJournal journal;
    RunReport report;
    if (!journal.ok() || !JournalRunReport::read(journal.db(), {}, journal.runId(), report).ok()) {
        state.SkipWithError("the journal could not be read");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(PdfReport::render(report));
}
BENCHMARK(BM_RenderPdf)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
