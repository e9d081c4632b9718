#include "core/journal/read/CsvExport.h"

#include "core/journal/read/JournalHistory.h"

#include <QSaveFile>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

const QByteArray kLineEnd = QByteArrayLiteral("\r\n");

QByteArray Number(double value)
{
    return QString::number(value, 'g', 9).toLatin1();
}

} // namespace

QByteArray CsvExport::Header()
{
    return QByteArrayLiteral("\xEF\xBB\xBF"
                             "run_id,station,port,started,ended,status,cause,unit,sample,batch,"
                             "inspector,mode,n,a,lenC,C,lena,mean,deviation,number,received,value,"
                             "confirmed")
        + kLineEnd;
}

QByteArray CsvExport::TextField(const QString &text)
{
    QString field = text;
    static constexpr QStringView kFormulaStarts = u"=+-@\t\r";
    if (!field.isEmpty() && kFormulaStarts.contains(field.front()))
        field.prepend(u'\'');
    const bool quote = field.contains(u',') || field.contains(u'"') || field.contains(u'\r')
        || field.contains(u'\n');
    if (!quote)
        return field.toUtf8();
    return '"' + field.replace(u'"', u"\"\""_s).toUtf8() + '"';
}

QString CsvExport::LocalTime(const QString &journalTime, std::optional<int> offset)
{
    if (journalTime.isEmpty())
        return {};
    const QDateTime local = RecordedTime(journalTime, offset);
    const int seconds = local.offsetFromUtc();
    const int minutes = std::abs(seconds) / 60;
    return local.toString(u"yyyy-MM-ddTHH:mm:ss.zzz"_s) + (seconds < 0 ? u'-' : u'+')
        + u"%1:%2"_s.arg(minutes / 60, 2, 10, QLatin1Char('0'))
              .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QByteArray CsvExport::Rows(const JournalRun &run, const QList<JournalReading> &readings)
{
    const RunHeader &h = run.header;
    const QByteArray runFields =
        QByteArrayList {
            TextField(run.id),
            TextField(run.station),
            TextField(h.port),
            LocalTime(run.startedAt, run.startedOffset).toLatin1(),
            LocalTime(run.endedAt, run.endedOffset).toLatin1(),
            StatusText(run.status).toLatin1(),
            TextField(run.cause),
            TextField(h.unit),
            TextField(h.sampleName),
            TextField(h.batchNo),
            TextField(h.inspector),
            QByteArray::number(static_cast<int>(h.mode)),
            QByteArray::number(h.sampleCount),
            Number(h.constants.a),
            Number(h.constants.lenC),
            Number(h.constants.C),
            Number(h.constants.lena),
            // The statistics texts are "%.3f" numbers, or empty before the run completed.
            TextField(run.totals.mean),
            TextField(run.totals.deviation),
        }
            .join(',');
    QByteArray rows;
    for (const JournalReading &reading : readings) {
        // The received text is a count of thousandths (a number, its minus sign its own) or the
        // instrument's "A"; anything else is treated as text.
        bool isNumber = false;
        const qlonglong received = reading.received.toLongLong(&isNumber);
        rows += runFields + ',' + QByteArray::number(reading.number) + ','
            + (isNumber ? QByteArray::number(received) : TextField(reading.received)) + ','
            + TableValueText(reading.value).toLatin1() + ','
            + LocalTime(reading.confirmedAt, reading.confirmedOffset).toLatin1() + kLineEnd;
    }
    return rows;
}

JournalResult CsvExport::Write(JournalConnection &db, const QList<RunKey> &keys,
                               const QString &path)
{
    const JournalHistory history(db);
    QList<JournalRun> runs;
    for (const RunKey &key : keys) {
        std::optional<JournalRun> run;
        if (JournalResult result = history.run(key.station, key.id, run); !result.ok())
            return result;
        if (!run)
            return JournalResult::Failure(JournalResult::Error::Other,
                                          u"there is no run %1 in the journal"_s.arg(key.id));
        runs.append(*run);
    }
    std::stable_sort(runs.begin(), runs.end(), [](const JournalRun &a, const JournalRun &b) {
        return a.startedAt < b.startedAt;
    });

    QSaveFile file(path);
    const auto fileError = [&file] {
        return JournalResult::Failure(JournalResult::Error::CannotOpen, file.errorString());
    };
    if (!file.open(QIODevice::WriteOnly))
        return fileError();
    file.write(Header());
    for (const JournalRun &run : std::as_const(runs)) {
        QList<JournalReading> readings;
        if (JournalResult result = history.readings(run.station, run.id, readings); !result.ok()) {
            file.cancelWriting();
            return result;
        }
        file.write(Rows(run, readings));
    }
    return file.commit() ? JournalResult {} : fileError();
}
