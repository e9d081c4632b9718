#include "core/journal/store/HashChain.h"

#include "core/journal/store/JournalConnection.h"

#include <QCryptographicHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMessageAuthenticationCode>
#include <QSqlQuery>

using namespace Qt::StringLiterals;

namespace {

using Field = std::optional<QString>;

// Each field is written with its length in front, so that no two different rows give the same
// bytes (no separator can be forged inside a typed text); a NULL field is a bare '-', which no
// text gives.
QByteArray Canonical(QLatin1StringView table, const QList<Field> &fields)
{
    QByteArray bytes = table.toString().toUtf8();
    for (const Field &field : fields) {
        if (!field) {
            bytes.append("|-");
            continue;
        }
        const QByteArray utf8 = field->toUtf8();
        bytes.append('|').append(QByteArray::number(utf8.size())).append(':').append(utf8);
    }
    return bytes;
}

// A row's hash over the previous row's and its own content: HMAC-SHA-256 with the key, or plain
// SHA-256 without one.
QByteArray Link(const QByteArray &key, const QByteArray &previous, const QByteArray &content)
{
    if (key.isEmpty()) {
        QCryptographicHash hash(QCryptographicHash::Sha256);
        hash.addData(previous);
        hash.addData(content);
        return hash.result();
    }
    QMessageAuthenticationCode mac(QCryptographicHash::Sha256, key);
    mac.addData(previous);
    mac.addData(content);
    return mac.result();
}

// 17 significant digits: enough for every double to read back as itself.
QString Exact(double value)
{
    return QString::number(value, 'g', 17);
}

Field Offset(std::optional<int> offset)
{
    return offset ? Field(QString::number(*offset)) : std::nullopt;
}

QString Compact(const QJsonObject &object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

QJsonObject ModeObject(MeasurementMode mode, const ModeConstants &c)
{
    return { { u"mode"_s, static_cast<int>(mode) },
             { u"a"_s, Exact(c.a) },
             { u"lenC"_s, Exact(c.lenC) },
             { u"C"_s, Exact(c.C) },
             { u"lena"_s, Exact(c.lena) } };
}

} // namespace

HashChain::HashChain(const QByteArray &stationKey, const QString &journalId)
    : m_key(QMessageAuthenticationCode::hash("velmora journal " + journalId.toUtf8(), stationKey,
                                             QCryptographicHash::Sha256))
{ }

QByteArray HashChain::readingHash(const QByteArray &previous, const QString &station,
                                  const QString &runId, const JournalReading &reading) const
{
    const QString seq = QString::number(reading.seq);
    const QString number = QString::number(reading.number);
    if (!isKeyed())
        return Link({}, previous,
                    Canonical("reading"_L1,
                              { station, seq, runId, number, reading.received, Exact(reading.value),
                                reading.confirmedAt }));
    QList<Field> fields { station,
                          seq,
                          runId,
                          number,
                          reading.received,
                          Exact(reading.value),
                          reading.confirmedAt,
                          Offset(reading.confirmedOffset),
                          reading.writtenAt,
                          Offset(reading.writtenOffset) };
    // Who confirmed it is one more field where it is known; a row without it keeps the bytes
    // (and the hash) it had before accounts existed.
    // A reading confirmed by itself says so in one more field after that one, which is then
    // always there (NULL without an account), so that no account's name reads as the mark.
    if (reading.account || reading.autoConfirmed)
        fields << reading.account;
    if (reading.autoConfirmed)
        fields << u"auto"_s;
    return Link(m_key, previous, Canonical("reading"_L1, fields));
}

QByteArray HashChain::eventHash(const QByteArray &previous, const QString &station,
                                const JournalEventRow &event) const
{
    const QString seq = QString::number(event.seq);
    if (!isKeyed())
        return Link({}, previous,
                    Canonical("event"_L1,
                              { station, seq, event.at, event.runId.value_or(QString()), event.kind,
                                event.detail }));
    return Link(m_key, previous,
                Canonical("event"_L1,
                          { station, seq, event.at, Offset(event.atOffset), event.runId, event.kind,
                            event.detail }));
}

JournalResult HashChain::ReadHead(JournalConnection &db, const QString &station, ChainHead &head)
{
    QSqlQuery query(db.database());
    const JournalResult result = db.exec(
        query,
        u"SELECT seq, hash FROM (SELECT seq, hash FROM readings WHERE station = ? "
        "ORDER BY seq DESC LIMIT 1) UNION ALL SELECT seq, hash FROM (SELECT seq, hash FROM events "
        "WHERE station = ? ORDER BY seq DESC LIMIT 1) ORDER BY 1 DESC LIMIT 1"_s,
        { station, station });
    head = {};
    if (result.ok() && query.next())
        head = { query.value(0).toLongLong(), query.value(1).toByteArray() };
    return result;
}

QString HashChain::ModeDetail(MeasurementMode mode, const ModeConstants &constants)
{
    return Compact(ModeObject(mode, constants));
}

QString HashChain::StartDetail(const JournalRun &run)
{
    const RunHeader &h = run.header;
    QJsonObject object = ModeObject(h.mode, h.constants);
    object.insert(u"port"_s, h.port);
    object.insert(u"started"_s, run.startedAt);
    object.insert(u"unit"_s, h.unit);
    object.insert(u"sample"_s, h.sampleName);
    object.insert(u"batch"_s, h.batchNo);
    object.insert(u"inspector"_s, h.inspector);
    object.insert(u"n"_s, h.sampleCount);
    if (run.startedOffset)
        object.insert(u"startedOffset"_s, *run.startedOffset);
    // Only a run under a method names one: the others start as they always did.
    if (const std::optional<RunMethod> &method = h.method) {
        object.insert(u"method"_s, method->name);
        object.insert(u"methodVersion"_s, method->version);
        if (method->lower)
            object.insert(u"lower"_s, Exact(*method->lower));
        if (method->upper)
            object.insert(u"upper"_s, Exact(*method->upper));
        object.insert(u"decimals"_s, method->decimals);
    }
    if (!h.account.isEmpty())
        object.insert(u"account"_s, h.account);
    return Compact(object);
}

QString HashChain::CloseDetail(const JournalRun &run, const std::optional<RunClosing> &closing)
{
    QJsonObject object {
        { u"status"_s, StatusText(run.status) },
        { u"ended"_s, run.endedAt },
        { u"cause"_s, run.cause },
        { u"mean"_s, run.totals.mean },
        { u"deviation"_s, run.totals.deviation },
    };
    if (run.endedOffset)
        object.insert(u"endedOffset"_s, *run.endedOffset);
    if (run.verdict)
        object.insert(u"verdict"_s, VerdictText(*run.verdict));
    if (closing) {
        object.insert(u"count"_s, closing->readings);
        object.insert(u"last"_s, QString::fromLatin1(closing->lastHash.toHex()));
        if (!closing->by.isEmpty()) {
            object.insert(u"reason"_s, closing->reason);
            object.insert(u"by"_s, closing->by);
        }
    }
    return Compact(object);
}

std::optional<RunClosing> HashChain::ClosingOf(const QString &closeDetail)
{
    const QJsonObject object = QJsonDocument::fromJson(closeDetail.toUtf8()).object();
    if (!object.contains(u"count"_s))
        return std::nullopt;
    return RunClosing { object.value(u"count"_s).toInt(),
                        QByteArray::fromHex(object.value(u"last"_s).toString().toLatin1()),
                        object.value(u"reason"_s).toString(), object.value(u"by"_s).toString() };
}

std::optional<RunMethod> HashChain::MethodOf(const QString &startDetail)
{
    const QJsonObject object = QJsonDocument::fromJson(startDetail.toUtf8()).object();
    if (!object.contains(u"method"_s))
        return std::nullopt;
    const auto limit = [&object](const QString &key) {
        return object.contains(key) ? std::optional(object.value(key).toString().toDouble())
                                    : std::nullopt;
    };
    return RunMethod { object.value(u"method"_s).toString(),
                       object.value(u"methodVersion"_s).toInt(), limit(u"lower"_s),
                       limit(u"upper"_s), object.value(u"decimals"_s).toInt() };
}

std::optional<Verdict> HashChain::VerdictOf(const QString &closeDetail)
{
    return VerdictFromText(
        QJsonDocument::fromJson(closeDetail.toUtf8()).object().value(u"verdict"_s).toString());
}
