#include "core/journal/read/CsvExport.h"

#include "core/journal/accounts/AccountBook.h"
#include "core/journal/read/JournalHistory.h"
#include "core/journal/read/RunResult.h"
#include "core/measure/ModeText.h"

#include <QLocale>
#include <QRegularExpression>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

const QByteArray kLineEnd = QByteArrayLiteral("\r\n");

// A stored number text (a "%.3f" statistic, a received count of thousandths) goes out as it is,
// so that its minus sign is not taken for a formula; anything else is a text like any other.
QByteArray NumberField(const QString &text)
{
    return CsvExport::IsPlainNumber(text) ? text.toLatin1() : CsvExport::TextField(text);
}

// Spreadsheets skip blanks (and invisible format characters) before they look for a formula.
bool StartsFormula(const QString &text)
{
    static constexpr QStringView kFormulaStarts = u"=+-@\uFF1D\uFF0B\uFF0D\uFF20";
    if (!text.isEmpty() && (text.front() == u'\t' || text.front() == u'\r'))
        return true;
    const auto first = std::find_if(text.cbegin(), text.cend(), [](QChar c) {
        return !c.isSpace() && c.category() != QChar::Other_Format;
    });
    return first != text.cend() && kFormulaStarts.contains(*first);
}

// A run's method, version, limits and verdict; empty for a run without a method.
QByteArray MethodFields(const JournalRun &run)
{
    const std::optional<RunMethod> &m = run.header.method;
    const auto limit = [](const std::optional<double> &value) {
        return value ? QString::number(*value, 'g', QLocale::FloatingPointShortest).toLatin1()
                     : QByteArray();
    };
    return QByteArrayList { m ? CsvExport::TextField(m->name) : QByteArray(),
                            m ? QByteArray::number(m->version) : QByteArray(),
                            m ? limit(m->lower) : QByteArray(), m ? limit(m->upper) : QByteArray(),
                            run.verdict ? VerdictText(*run.verdict).toLatin1() : QByteArray() }
        .join(',');
}

} // namespace

QByteArray CsvExport::Header(bool accounts)
{
    return QByteArrayLiteral("\xEF\xBB\xBF"
                             "run_id,station,port,started,ended,status,cause,unit,sample,batch,"
                             "inspector,mode,n,a,lenC,C,lena,mean,deviation,number,received,value,"
                             "confirmed,mode_name,sd,rsd,method,method_version,lower,upper,"
                             "verdict,auto")
        + (accounts ? QByteArrayLiteral(",account,excluded_reason,excluded_by,signatures")
                    : QByteArray())
        + kLineEnd;
}

bool CsvExport::IsPlainNumber(const QString &text)
{
    static const QRegularExpression kNumber(u"^-?[0-9]+(\\.[0-9]+)?$"_s);
    return kNumber.match(text).hasMatch();
}

QByteArray CsvExport::TextField(const QString &text)
{
    QString field = text;
    if (StartsFormula(field))
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

QByteArray CsvExport::AuditTrail(const QList<AuditEntry> &trail)
{
    QByteArray csv = QByteArrayLiteral("\xEF\xBB\xBFtime,account,action,change,reason") + kLineEnd;
    for (const AuditEntry &entry : trail)
        csv += LocalTime(entry.at, entry.atOffset).toLatin1() + ',' + TextField(entry.by) + ','
            + TextField(entry.action) + ',' + TextField(entry.change) + ','
            + TextField(entry.reason) + kLineEnd;
    return csv;
}

QByteArray CsvExport::Rows(const JournalRun &run, const QList<JournalReading> &readings,
                           const RunAudit *audit)
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
            QByteArray::number(run.sampleCount()),
            ConstantText(h.constants.a).toLatin1(),
            ConstantText(h.constants.lenC).toLatin1(),
            ConstantText(h.constants.C).toLatin1(),
            ConstantText(h.constants.lena).toLatin1(),
            // The statistics texts are "%.3f" numbers, or empty before the run completed.
            NumberField(run.totals.mean),
            NumberField(run.totals.deviation),
        }
            .join(',');
    const std::optional<RunSummary> summary = RunResultSummary(run, readings);
    const QByteArray tail = ModeName(h.mode).toLatin1() + ',' + NumberField(DeviationText(summary))
        + ',' + NumberField(RelativeDeviationText(summary)) + ',' + MethodFields(run);
    QStringList signatures;
    for (const RunSignature &signature : audit ? audit->signatures : QList<RunSignature> {})
        signatures << QStringList { MeaningText(signature.meaning), signature.by,
                                    LocalTime(signature.at, signature.atOffset),
                                    signature.current ? QString() : u"changed after signature"_s }
                          .join(u' ')
                          .trimmed();
    const QByteArray signedText = TextField(signatures.join(u"; "_s));
    QByteArray rows;
    for (const JournalReading &reading : readings) {
        // The received text is a count of thousandths or the instrument's "A".
        rows += runFields + ',' + QByteArray::number(reading.number) + ','
            + NumberField(reading.received) + ',' + FormatRunValue(reading.value).toLatin1() + ','
            + LocalTime(reading.confirmedAt, reading.confirmedOffset).toLatin1() + ',' + tail
            + (reading.autoConfirmed ? ",1" : ",");
        if (audit) {
            const ReadingExclusion *excluded = audit->exclusionOf(reading.number);
            rows += ',' + TextField(reading.account.value_or(QString())) + ','
                + (excluded
                       ? QByteArray(TextField(excluded->reason) + ',' + TextField(excluded->by))
                       : QByteArray(","))
                + ',' + signedText;
        }
        rows += kLineEnd;
    }
    return rows;
}

ExportResult CsvExport::Write(JournalConnection &db, const QList<RunKey> &keys, const QString &path)
{
    const auto journalFailed = [](const JournalResult &result) {
        return ExportResult { result, OutputFile::Failure::None, result.text };
    };
    const JournalHistory history(db);
    QList<JournalRun> runs;
    for (const RunKey &key : keys) {
        std::optional<JournalRun> run;
        if (JournalResult result = history.run(key.station, key.id, run); !result.ok())
            return journalFailed(result);
        if (!run)
            return journalFailed(JournalResult::Failure(
                JournalResult::Error::Other, u"there is no run %1 in the journal"_s.arg(key.id)));
        runs.append(*run);
    }
    std::stable_sort(runs.begin(), runs.end(), [](const JournalRun &a, const JournalRun &b) {
        return a.startedAt < b.startedAt;
    });

    // The columns of accounts only where a journal has them: without, the file is as it was.
    bool accounts = false;
    if (JournalResult result = AccountBook::Exists(db, accounts); !result.ok())
        return journalFailed(result);

    OutputFile file(path);
    const auto outputFailed = [&file] {
        return ExportResult { {}, file.failure(), file.errorString() };
    };
    if (!file.open() || !file.write(Header(accounts)))
        return outputFailed();
    for (const JournalRun &run : std::as_const(runs)) {
        QList<JournalReading> readings;
        RunAudit audit;
        JournalResult result = history.readings(run.station, run.id, readings);
        if (result.ok() && accounts)
            result = RunAudit::Read(db, run.station, run.id, audit);
        if (!result.ok())
            return journalFailed(result);
        if (!file.write(Rows(run, readings, accounts ? &audit : nullptr)))
            return outputFailed();
    }
    return file.commit() ? ExportResult {} : outputFailed();
}
