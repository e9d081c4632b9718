#include "core/journal/store/JournalTypes.h"

#include <array>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr std::array kStatusTexts { u"open", u"completed", u"discarded", u"abandoned" };

constexpr std::array kEventTexts {
    u"run-started",   u"run-completed",        u"run-discarded",
    u"run-abandoned", u"run-restored",         u"run-deleted",
    u"zero-sent",     u"retest-plus-sent",     u"retest-minus-sent",
    u"mode-changed",  u"sample-count-changed", u"link-lost",
    u"link-restored", u"command-refused",      u"chain-keyed",
    u"method-set",    u"method-retired",       u"method-left",
};

static_assert(kEventTexts.size() == static_cast<std::size_t>(JournalEvent::MethodLeft) + 1);
static_assert(kStatusTexts.size() == static_cast<std::size_t>(RunStatus::Abandoned) + 1);

} // namespace

QString StatusText(RunStatus status)
{
    return QString::fromUtf16(kStatusTexts.at(static_cast<std::size_t>(status)));
}

std::optional<RunStatus> StatusFromText(const QString &text)
{
    for (std::size_t i = 0; i < kStatusTexts.size(); ++i) {
        if (text == QStringView(kStatusTexts[i]))
            return static_cast<RunStatus>(i);
    }
    return std::nullopt;
}

QString CauseText(DiscardCause cause)
{
    return cause == DiscardCause::Deleted ? u"deleted"_s : u"mode-changed"_s;
}

QString EventText(JournalEvent event)
{
    return QString::fromUtf16(kEventTexts.at(static_cast<std::size_t>(event)));
}

bool IsClosingEvent(const QString &kind)
{
    return kind == EventText(JournalEvent::RunCompleted)
        || kind == EventText(JournalEvent::RunDiscarded)
        || kind == EventText(JournalEvent::RunAbandoned);
}

QString VerdictText(Verdict verdict)
{
    return verdict == Verdict::Pass ? u"pass"_s : u"fail"_s;
}

std::optional<Verdict> VerdictFromText(const QString &text)
{
    if (text == u"pass")
        return Verdict::Pass;
    if (text == u"fail")
        return Verdict::Fail;
    return std::nullopt;
}

bool TotalsMatch(const RunTotals &totals, const QList<double> &values)
{
    const std::vector<float> samples(values.cbegin(), values.cend());
    const RunStatistics statistics = ComputeRunStatistics(samples);
    return totals.mean == FormatRunValue(static_cast<double>(statistics.mean))
        && (totals.deviation.isEmpty() || totals.deviation == FormatRunValue(statistics.deviation));
}

bool JournalReading::writtenLate() const
{
    constexpr qint64 kLateMs = 1000;
    return !writtenAt.isEmpty()
        && FromJournalTimestamp(confirmedAt).msecsTo(FromJournalTimestamp(writtenAt)) > kLateMs;
}

QString JournalTimestamp(const QDateTime &time)
{
    return time.toUTC().toString(Qt::ISODateWithMs);
}

QDateTime FromJournalTimestamp(const QString &text)
{
    return QDateTime::fromString(text, Qt::ISODateWithMs);
}

QDateTime RecordedTime(const QString &text, std::optional<int> offset)
{
    const QDateTime utc = FromJournalTimestamp(text);
    return offset ? utc.toOffsetFromUtc(*offset) : utc.toLocalTime();
}

int LocalOffsetAt(const QDateTime &time)
{
    return time.toLocalTime().offsetFromUtc();
}
