#include "ui/history/RunHistoryModel.h"

#include "core/journal/read/JournalRunReport.h"
#include "core/text/StringTable.h"

using namespace Qt::StringLiterals;

RunHistoryModel::RunHistoryModel(HistoryReader &reader, QObject *parent)
    : QAbstractTableModel(parent)
    , m_reader(reader)
{
    connect(&reader, &HistoryReader::runsAboutToReset, this, &RunHistoryModel::beginResetModel);
    connect(&reader, &HistoryReader::runsReset, this, &RunHistoryModel::endResetModel);
    connect(&reader, &HistoryReader::runsAboutToAppend, this,
            [this](int first, int last) { beginInsertRows({}, first, last); });
    connect(&reader, &HistoryReader::runsAppended, this, &RunHistoryModel::endInsertRows);
}

bool RunHistoryModel::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && m_reader.canFetchMore();
}

void RunHistoryModel::fetchMore(const QModelIndex &parent)
{
    if (!parent.isValid())
        m_reader.fetchMore();
}

int RunHistoryModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_reader.runs().size());
}

int RunHistoryModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnTotal;
}

QString RunHistoryModel::LocalTimeText(const QString &journalTime)
{
    const QDateTime time = FromJournalTimestamp(journalTime);
    return time.isValid() ? time.toLocalTime().toString(u"yyyy-MM-dd HH:mm:ss"_s) : journalTime;
}

QString RunHistoryModel::VerdictName(Verdict verdict)
{
    return verdict == Verdict::Pass ? tr("合格") : tr("不合格");
}

QColor RunHistoryModel::VerdictColor(Verdict verdict)
{
    return verdict == Verdict::Pass ? QColor(0, 150, 0) : QColor(214, 0, 0);
}

QVariant RunHistoryModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_reader.runs().size())
        return {};
    const JournalRun &run = m_reader.runs().at(index.row());
    const RunHeader &h = run.header;
    if (index.column() == ColumnVerdict && role == Qt::ForegroundRole && run.verdict)
        return VerdictColor(*run.verdict);
    if (role == Qt::TextAlignmentRole) {
        const bool number = index.column() == ColumnCount || index.column() == ColumnMean
            || index.column() == ColumnDeviation;
        return QVariant::fromValue(Qt::AlignVCenter | (number ? Qt::AlignRight : Qt::AlignLeft));
    }
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    switch (index.column()) {
    case ColumnStarted:
        return LocalTimeText(run.startedAt);
    case ColumnSample:
        return h.sampleName;
    case ColumnBatch:
        return h.batchNo;
    case ColumnUnit:
        return h.unit;
    case ColumnInspector:
        return h.inspector;
    case ColumnMode:
        return LoadString(StringId::ModeTitleBase + static_cast<int>(h.mode));
    case ColumnCount:
        // A run closed early shows how far it got.
        return run.readingCount == run.sampleCount()
            ? QString::number(run.sampleCount())
            : u"%1/%2"_s.arg(run.readingCount).arg(run.sampleCount());
    case ColumnMean:
        return run.totals.mean;
    case ColumnDeviation:
        return run.totals.deviation;
    case ColumnStation:
        return run.station;
    case ColumnStatus:
        return run.cause.isEmpty() || role == Qt::DisplayRole
            ? JournalRunReport::statusText(run.status)
            : JournalRunReport::statusText(run.status) + u" ("_s + run.cause + u')';
    case ColumnVerdict:
        if (!h.method)
            return {};
        if (role == Qt::ToolTipRole)
            return tr("方法 %1（版本 %2）").arg(h.method->name).arg(h.method->version);
        return run.verdict ? VerdictName(*run.verdict) : QString();
    default:
        return {};
    }
}

QVariant RunHistoryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case ColumnStarted:
        return tr("开始时间");
    case ColumnSample:
        return tr("样品名称");
    case ColumnBatch:
        return tr("批号");
    case ColumnUnit:
        return tr("送样单位");
    case ColumnInspector:
        return tr("检验员");
    case ColumnMode:
        return tr("测量方式");
    case ColumnCount:
        return tr("次数");
    case ColumnMean:
        return tr("平均结果");
    case ColumnDeviation:
        return tr("标准偏差");
    case ColumnStation:
        return tr("站点");
    case ColumnStatus:
        return tr("状态");
    case ColumnVerdict:
        return tr("判定");
    default:
        return {};
    }
}
