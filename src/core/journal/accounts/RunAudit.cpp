#include "core/journal/accounts/RunAudit.h"

#include "core/journal/store/JournalConnection.h"
#include "core/measure/ModeText.h"
#include "core/report/RunReportLayout.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlQuery>

using namespace Qt::StringLiterals;

namespace {

QString ActionText(const QString &kind)
{
    static const QList<std::pair<QStringView, const char *>> kTexts {
        { u"reading", QT_TRANSLATE_NOOP("RunAudit", "确认读数") },
        { u"run-started", QT_TRANSLATE_NOOP("RunAudit", "开始测量") },
        { u"run-completed", QT_TRANSLATE_NOOP("RunAudit", "测量完成") },
        { u"run-discarded", QT_TRANSLATE_NOOP("RunAudit", "测量作废") },
        { u"run-abandoned", QT_TRANSLATE_NOOP("RunAudit", "测量放弃") },
        { u"run-restored", QT_TRANSLATE_NOOP("RunAudit", "测量恢复") },
        { u"run-deleted", QT_TRANSLATE_NOOP("RunAudit", "清空表格") },
        { u"zero-sent", QT_TRANSLATE_NOOP("RunAudit", "发送归零") },
        { u"retest-plus-sent", QT_TRANSLATE_NOOP("RunAudit", "发送复测+") },
        { u"retest-minus-sent", QT_TRANSLATE_NOOP("RunAudit", "发送复测-") },
        { u"mode-changed", QT_TRANSLATE_NOOP("RunAudit", "更改模式") },
        { u"sample-count-changed", QT_TRANSLATE_NOOP("RunAudit", "更改采样次数") },
        { u"link-lost", QT_TRANSLATE_NOOP("RunAudit", "连接中断") },
        { u"link-restored", QT_TRANSLATE_NOOP("RunAudit", "连接恢复") },
        { u"command-refused", QT_TRANSLATE_NOOP("RunAudit", "命令未发送") },
        { AccountEvent::kRunSigned, QT_TRANSLATE_NOOP("RunAudit", "签名") },
        { AccountEvent::kReadingExcluded, QT_TRANSLATE_NOOP("RunAudit", "剔除读数") },
        { AccountEvent::kRefused, QT_TRANSLATE_NOOP("RunAudit", "操作被拒绝") },
    };
    for (const auto &[known, text] : kTexts) {
        if (kind == known)
            return RunAudit::tr(text);
    }
    return kind;
}

} // namespace

JournalResult RunAudit::Read(JournalConnection &db, const QString &station, const QString &runId,
                             RunAudit &out)
{
    out = {};
    QSqlQuery query(db.database());
    query.setForwardOnly(true);
    const JournalResult result =
        db.exec(query,
                u"SELECT seq, NULL, hash, number, value, confirmed_at, confirmed_offset, account "
                "FROM readings WHERE station = ? AND run_id = ? UNION ALL "
                "SELECT seq, kind, hash, NULL, NULL, at, at_offset, detail FROM events "
                "WHERE station = ? AND run_id = ? ORDER BY 1"_s,
                { station, runId, station, runId });
    QString count; // the run's sampling count as it changes
    QString lastBy; // who confirmed the last reading
    while (result.ok() && query.next()) {
        const QString kind = query.value(1).toString();
        const bool reading = query.value(1).isNull();
        const std::optional<int> offset =
            query.value(6).isNull() ? std::nullopt : std::optional(query.value(6).toInt());
        AuditEntry entry { query.value(5).toString(), offset, {}, {}, {}, {} };
        if (reading) {
            out.recordHash = query.value(2).toByteArray();
            entry.by = lastBy = query.value(7).toString();
            if (!entry.by.isEmpty() && !out.confirmedBy.contains(entry.by))
                out.confirmedBy << entry.by;
            entry.action = ActionText(u"reading"_s);
            entry.change = tr("第 %1 个: %2")
                               .arg(query.value(3).toInt())
                               .arg(FormatRunValue(query.value(4).toDouble()));
            out.trail << entry;
            continue;
        }
        if (IsRecordKind(kind))
            out.recordHash = query.value(2).toByteArray();
        const QString text = query.value(7).toString();
        const QJsonObject detail = QJsonDocument::fromJson(text.toUtf8()).object();
        entry.action = ActionText(kind);
        entry.by = detail.value(u"by"_s).toString();
        entry.reason = detail.value(u"reason"_s).toString();
        if (kind == EventText(JournalEvent::RunStarted)) {
            entry.by = detail.value(u"account"_s).toString();
            count = QString::number(detail.value(u"n"_s).toInt());
            entry.change = u"N = "_s + count;
        } else if (kind == EventText(JournalEvent::SampleCountChanged)) {
            entry.change = count + u" → "_s + text;
            count = text;
        } else if (kind == EventText(JournalEvent::ModeChanged)) {
            entry.change = u"→ "_s + ModeName(ModeFromInt(detail.value(u"mode"_s).toInt()));
        } else if (kind == EventText(JournalEvent::RunCompleted)) {
            entry.by = lastBy;
            entry.change = tr("平均值 %1").arg(detail.value(u"mean"_s).toString());
        } else if (kind == AccountEvent::kRunSigned) {
            const std::optional<Meaning> meaning =
                MeaningFromText(detail.value(u"meaning"_s).toString());
            if (!meaning)
                continue;
            const QString comment = detail.value(u"comment"_s).toString();
            out.signatures << RunSignature {
                entry.by,
                detail.value(u"fullName"_s).toString(),
                *meaning,
                entry.at,
                offset,
                comment,
                QByteArray::fromHex(detail.value(u"last"_s).toString().toLatin1()),
            };
            entry.change = RunReportLayout::meaningText(*meaning);
            entry.reason = comment;
        } else if (kind == AccountEvent::kReadingExcluded) {
            const int number = detail.value(u"reading"_s).toInt();
            out.exclusions << ReadingExclusion { number, entry.reason, entry.by, entry.at, offset };
            entry.change = tr("第 %1 个 → 剔除").arg(number);
        } else if (kind == AccountEvent::kRefused) {
            entry.change = detail.value(u"action"_s).toString();
        } else if (detail.isEmpty()) {
            entry.change = text; // a command's name, a device, a reason for a lost link
        }
        out.trail << entry;
    }
    for (RunSignature &signature : out.signatures)
        signature.current = signature.signedHash == out.recordHash;
    return result;
}

bool RunAudit::IsRecordKind(const QString &kind)
{
    return kind == EventText(JournalEvent::RunStarted) || IsClosingEvent(kind)
        || kind == AccountEvent::kReadingExcluded;
}

bool RunAudit::changedAfterSignature() const
{
    return std::any_of(signatures.cbegin(), signatures.cend(),
                       [](const RunSignature &signature) { return !signature.current; });
}

const ReadingExclusion *RunAudit::exclusionOf(int reading) const
{
    const auto it = std::find_if(
        exclusions.cbegin(), exclusions.cend(),
        [reading](const ReadingExclusion &excluded) { return excluded.reading == reading; });
    return it == exclusions.cend() ? nullptr : &*it;
}

const RunSignature *RunAudit::currentSignature(Meaning meaning) const
{
    const auto it = std::find_if(signatures.cbegin(), signatures.cend(),
                                 [meaning](const RunSignature &signature) {
                                     return signature.meaning == meaning && signature.current;
                                 });
    return it == signatures.cend() ? nullptr : &*it;
}

bool RunAudit::hasSignature(Meaning meaning) const
{
    return std::any_of(
        signatures.cbegin(), signatures.cend(),
        [meaning](const RunSignature &signature) { return signature.meaning == meaning; });
}
