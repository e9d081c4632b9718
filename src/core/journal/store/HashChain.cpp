#include "core/journal/store/HashChain.h"

#include <QCryptographicHash>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace {

// Each field is written with its length in front, so that no two different rows give the same
// bytes (no separator can be forged inside a typed text).
QByteArray Canonical(QLatin1StringView table, std::initializer_list<QString> fields)
{
    QByteArray bytes = table.toString().toUtf8();
    for (const QString &field : fields) {
        const QByteArray utf8 = field.toUtf8();
        bytes.append('|').append(QByteArray::number(utf8.size())).append(':').append(utf8);
    }
    return bytes;
}

QByteArray Sha256(const QByteArray &previous, const QByteArray &content)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(previous);
    hash.addData(content);
    return hash.result();
}

// A float constant widened to double prints as the shortest text that reads back exactly.
QString Exact(double value)
{
    return QString::number(value, 'g', 17);
}

QString Compact(const QJsonObject &object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

} // namespace

QByteArray HashChain::ReadingHash(const QByteArray &previous, const QString &station,
                                  const QString &runId, const JournalReading &reading)
{
    return Sha256(
        previous,
        Canonical("reading"_L1,
                  { station, QString::number(reading.seq), runId, QString::number(reading.number),
                    reading.received, Exact(reading.value), reading.confirmedAt }));
}

QByteArray HashChain::EventHash(const QByteArray &previous, const QString &station, qint64 seq,
                                const QString &at, const QString &runId, const QString &kind,
                                const QString &detail)
{
    return Sha256(
        previous,
        Canonical("event"_L1, { station, QString::number(seq), at, runId, kind, detail }));
}

QString HashChain::StartDetail(const JournalRun &run)
{
    const RunHeader &h = run.header;
    return Compact({
        { u"port"_s, h.port },
        { u"started"_s, run.startedAt },
        { u"unit"_s, h.unit },
        { u"sample"_s, h.sampleName },
        { u"batch"_s, h.batchNo },
        { u"inspector"_s, h.inspector },
        { u"n"_s, h.sampleCount },
        { u"mode"_s, static_cast<int>(h.mode) },
        { u"a"_s, Exact(h.constants.a) },
        { u"lenC"_s, Exact(h.constants.lenC) },
        { u"C"_s, Exact(h.constants.C) },
        { u"lena"_s, Exact(h.constants.lena) },
    });
}

QString HashChain::CloseDetail(const JournalRun &run)
{
    return Compact({
        { u"status"_s, StatusText(run.status) },
        { u"ended"_s, run.endedAt },
        { u"cause"_s, run.cause },
        { u"mean"_s, run.totals.mean },
        { u"deviation"_s, run.totals.deviation },
    });
}
