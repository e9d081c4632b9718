#include "HistoryShots.h"

#include "WaitUntil.h"
#include "core/journal/store/Journal.h"
#include "core/settings/Settings.h"
#include "core/text/Language.h"
#include "ui/history/CHistoryDlg.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTableView>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

struct GalleryRun
{
    RunHeader header;
    QList<double> values;
    RunTotals totals;
    bool deleteAfter = false;
};

bool WriteJournal(const QString &path)
{
    Journal journal(u"lab-pc-1"_s);
    if (!journal.open(path).result.ok())
        return false;
    const ModeConstants constants { 66.5f, 2.0f, 1.0f, 2.0f };
    const QList<GalleryRun> runs {
        { { u"/dev/ttyUSB0"_s, u"市药品检验所"_s, u"葡萄糖注射液"_s, u"20261206-01"_s, u"李四"_s, 6,
            MeasurementMode::SugarDegree, constants },
          { 12.345, 12.351, 12.339, 12.348, 12.342, 12.356 },
          { u"12.347"_s, u"0.006"_s } },
        { { u"/dev/ttyUSB0"_s, u"市药品检验所"_s, u"蔗糖"_s, u"20261206-02"_s, u"李四"_s, 3,
            MeasurementMode::OpticalRotation, constants },
          { -5.012, -5.020 },
          {},
          true },
        { { u"/dev/ttyUSB0"_s, u"Central Lab"_s, u"Fructose"_s, u"LOT-7731"_s, u"Miller"_s, 3,
            MeasurementMode::Concentration, constants },
          { 25.110, 25.093, 25.121 },
          { u"25.108"_s, {} } },
        { { u"/dev/ttyUSB0"_s, u"市药品检验所"_s, u"葡萄糖注射液"_s, u"20261206-03"_s, u"王五"_s, 6,
            MeasurementMode::SugarDegree, constants },
          { 12.362, 12.340, 12.371, 12.335, 12.366, 12.344 },
          { u"12.353"_s, u"0.015"_s } },
    };
    for (const GalleryRun &run : runs) {
        journal.beginRun(run.header);
        for (int i = 0; i < run.values.size(); ++i) {
            const double value = run.values.at(i);
            const bool last = i + 1 == run.header.sampleCount;
            const ConfirmedReading reading { i + 1, QString::number(qRound(value * 1000)), value,
                                             last ? std::optional(run.totals) : std::nullopt };
            if (!journal.recordReading(reading).ok())
                return false;
        }
        if (run.deleteAfter && !journal.deleteRun().ok())
            return false;
    }
    return true;
}

bool Shoot(const QString &journalPath, const QString &file, int row = 0,
           const QString &settingsPath = {})
{
    Settings settings { settingsPath };
    settings.Load();
    CHistoryDlg window(journalPath, settings);
    window.show();
    // The reader answers from a thread of its own: the list, then the selected run.
    if (!WaitUntil([&window] { return !window.reader().isLoading(); }))
        return false;
    window.runsView()->selectRow(row);
    if (!WaitUntil([&window] { return !window.reader().isLoading(); }))
        return false;
    QCoreApplication::processEvents();
    return window.grab().save(file);
}

} // namespace

bool RenderHistoryWindow(const QString &folder)
{
    QTemporaryDir dir;
    const QString journalPath = dir.filePath(u"VelmoraJournal.sqlite"_s);
    if (!dir.isValid() || !WriteJournal(journalPath))
        return false;
    const QDir out(folder);
    // Newest first: the run with a deviation band, then the one deleted after two negative
    // readings.
    bool ok = Shoot(journalPath, out.filePath(u"window_history.png"_s))
        && Shoot(journalPath, out.filePath(u"window_history_discarded.png"_s), 2);
    // A lab server that is not there: this station's journal, marked.
    QFile ini(dir.filePath(u"Velmora.ini"_s));
    ok &= ini.open(QIODevice::WriteOnly)
        && ini.write("[journal]\r\nserver=host=" + QFile::encodeName(dir.filePath(u"none"_s))) > 0;
    ini.close();
    ok &= Shoot(journalPath, out.filePath(u"window_history_fallback.png"_s), 0, ini.fileName());
    const QString programDir = QCoreApplication::applicationDirPath();
    ok &= InstallTranslators(true, programDir) == UiLanguage::English
        && Shoot(journalPath, out.filePath(u"window_history_en.png"_s));
    InstallTranslators(false, programDir);
    return ok;
}
