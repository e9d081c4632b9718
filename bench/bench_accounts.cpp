// Sign-in and signing where accounts are required: each checks an Argon2id password (libsodium's
// interactive limits) and writes its row of the journal's chain. The target is under 1 s each.
#include "core/journal/accounts/AccountJournal.h"

#include <QCoreApplication>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;

namespace {

const Credentials kRoot { u"root"_s, u"root-secret"_s };
const Credentials kOperator { u"op"_s, u"op-secret-1"_s };

struct Station
{
    Station()
    {
        journal.open(dir.filePath(u"j.sqlite"_s));
        accounts.addAccount({}, { kRoot.name, {}, Role::Admin }, kRoot.password);
        accounts.addAccount(kRoot, { kOperator.name, {}, Role::Operator }, kOperator.password);
    }

    // A completed run of three readings confirmed by the operator.
    QString measure()
    {
        RunHeader header;
        header.sampleCount = 3;
        header.account = kOperator.name;
        journal.beginRun(header);
        for (int n = 1; n <= 3; ++n)
            journal.recordReading(
                { n,
                  u"1000"_s,
                  1.0,
                  n == 3 ? std::optional(RunTotals { u"1.000"_s, {} }) : std::nullopt,
                  {},
                  kOperator.name });
        QSqlQuery query(journal.database().database());
        query.exec(u"SELECT run_id FROM runs ORDER BY rowid DESC"_s);
        return query.next() ? query.value(0).toString() : QString();
    }

    QTemporaryDir dir;
    Journal journal;
    AccountJournal accounts { journal, AccountPolicy {} };
};

void BM_SignIn(benchmark::State &state)
{
    Station station;
    for (auto _ : state) {
        if (!station.accounts.signIn(kOperator, AccountJournal::Place::Login).ok())
            state.SkipWithError("refused");
    }
}
BENCHMARK(BM_SignIn)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SignRun(benchmark::State &state)
{
    Station station;
    for (auto _ : state) {
        state.PauseTiming();
        const QString run = station.measure();
        state.ResumeTiming();
        if (!station.accounts.sign(kOperator, run, Meaning::Performed, {}).ok())
            state.SkipWithError("refused");
    }
}
BENCHMARK(BM_SignRun)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
