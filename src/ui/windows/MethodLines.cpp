#include "ui/windows/MethodLines.h"

#include "core/measure/RunStatistics.h"
#include "core/session/MeasurementSession.h"
#include "ui/dialogs/DialogBuilder.h"
#include "ui/history/RunHistoryModel.h"

#include <QLabel>

using namespace Qt::StringLiterals;

namespace {

// Dialog units: between the help button (to 278) and "当前状态" (from 335), the height of the
// command buttons; right of the widest mode caption (to 325), between the two displays.
constexpr QRect kMethodArea { 281, 9, 52, 20 };
constexpr QRect kVerdictArea { 327, 76, 68, 15 };
constexpr qreal kVerdictPointSize = 12;

void SetTextColor(QLabel *label, const QColor &color)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
}

QLabel *AddLabel(QWidget &window, const QString &name, const QRect &units, Qt::Alignment align)
{
    auto *label = new QLabel(&window);
    label->setObjectName(name);
    label->setAlignment(align);
    label->setTextFormat(Qt::PlainText); // a method's name is no markup
    label->setGeometry(
        BaseUnitsOf(window.font()).MapRect(units.x(), units.y(), units.width(), units.height()));
    label->hide();
    return label;
}

QString Limit(const std::optional<double> &limit)
{
    return limit ? FormatRunValue(*limit) : u"—"_s;
}

} // namespace

MethodLines::MethodLines(QWidget &window, const QFont &small, const MeasurementSession &session)
    : m_session(session)
    , m_method(AddLabel(window, u"methodState"_s, kMethodArea, Qt::AlignLeft | Qt::AlignVCenter))
    , m_verdict(AddLabel(window, u"verdict"_s, kVerdictArea, Qt::AlignRight | Qt::AlignVCenter))
{
    m_method->setFont(small);
    QFont bold = window.font();
    bold.setPointSizeF(kVerdictPointSize);
    bold.setBold(true);
    m_verdict->setFont(bold);
    connect(&m_session, &MeasurementSession::methodChanged, this, &MethodLines::showMethod);
    connect(&m_session.run(), &MeasurementRun::runCompleted, this, &MethodLines::showVerdict);
    connect(&m_session.run(), &MeasurementRun::cleared, this, &MethodLines::showVerdict);
}

void MethodLines::showMethod()
{
    const std::optional<Method> &method = m_session.method();
    const std::optional<Method> &left = m_session.leftMethod();
    const std::optional<Method> &shown = method ? method : left;
    m_method->setVisible(shown.has_value());
    if (!shown)
        return;
    QStringList second { method ? tr("版本 %1").arg(method->version) : tr("已脱离方法") };
    if (method && method->autoConfirm)
        second << tr("自动确认");
    const QString first = tr("方法 %1").arg(shown->name);
    const QFontMetrics metrics(m_method->font());
    m_method->setText(
        metrics.elidedText(first, Qt::ElideRight, m_method->width()) + u'\n'
        + metrics.elidedText(second.join(u" · "_s), Qt::ElideRight, m_method->width()));
    m_method->setToolTip(
        (method ? tr("方法: %1（版本 %2）") : tr("已脱离方法: %1（版本 %2）；本次测量没有判定"))
            .arg(shown->name)
            .arg(shown->version)
        + u'\n' + tr("下限 %1，上限 %2").arg(Limit(shown->lower), Limit(shown->upper)));
    SetTextColor(m_method, method ? QColor(0, 0, 0) : QColor(176, 96, 0));
}

void MethodLines::showVerdict()
{
    const std::optional<Verdict> &verdict = m_session.verdict();
    m_verdict->setVisible(verdict.has_value());
    if (!verdict)
        return;
    m_verdict->setText(RunHistoryModel::VerdictName(*verdict));
    m_verdict->setToolTip(tr("平均结果 %1").arg(m_session.run().MeanText()));
    SetTextColor(m_verdict, RunHistoryModel::VerdictColor(*verdict));
}

QString MethodLines::dialogNote() const
{
    const std::optional<Method> &method = m_session.method();
    if (!method)
        return QString();
    return tr("方法 %1（版本 %2）的值；改动后本次测量脱离方法")
        .arg(method->name)
        .arg(method->version);
}

QLabel *MethodLines::AddNote(QWidget &dialog, const QString &text, const QRect &units)
{
    QLabel *note = AddLabel(dialog, u"methodNote"_s, units, Qt::AlignLeft | Qt::AlignTop);
    note->setWordWrap(true);
    note->setText(text);
    SetTextColor(note, QColor(176, 96, 0));
    note->show();
    return note;
}
