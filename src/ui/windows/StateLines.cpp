#include "ui/windows/StateLines.h"

#include "core/journal/server/JournalForwarder.h"
#include "core/link/LinkMonitor.h"
#include "ui/dialogs/DialogBuilder.h"

#include <QDir>
#include <QLabel>
#include <QTime>

using namespace Qt::StringLiterals;

namespace {

// Dialog units: the free strip of the right-hand column between the instrument's command
// buttons (down to 154) and Confirm (from 170); two lines of a smaller font.
constexpr int kLinkLeft = 261;
constexpr int kLinkTop = 155;
constexpr int kLinkWidth = 135;
constexpr int kLinkHeight = 14;
constexpr int kLinkLines = 2;
constexpr qreal kSmallestPointSize = 6;
// Below Exit, in dialog units: the journal's mark and the lab server's state.
constexpr int kRecordsLeft = 261;
constexpr int kRecordsTop = 227;
constexpr int kRecordsWidth = 139;
constexpr int kRecordsHeight = 18;

QColor ToneColor(LinkMonitor::Tone tone)
{
    switch (tone) {
    case LinkMonitor::Tone::Good:
        return QColor(0, 128, 0);
    case LinkMonitor::Tone::Caution:
        return QColor(176, 96, 0);
    case LinkMonitor::Tone::Fault:
        break;
    }
    return QColor(192, 0, 0);
}

void SetTextColor(QWidget *widget, const QColor &color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    widget->setPalette(palette);
}

QLabel *AddLabel(QWidget &window, const QString &name, Qt::Alignment alignment)
{
    auto *label = new QLabel(&window);
    label->setObjectName(name);
    label->setAlignment(alignment);
    label->setTextFormat(Qt::PlainText); // a system's or server's message is no markup
    return label;
}

QString Elided(const QLabel *label, const QString &text, Qt::TextElideMode mode)
{
    return QFontMetrics(label->font()).elidedText(text, mode, label->width());
}

} // namespace

StateLines::StateLines(QWidget &window)
    : m_window(window)
    , m_small(window.font())
    , m_link(AddLabel(window, u"linkState"_s, Qt::AlignLeft | Qt::AlignVCenter))
    , m_journal(AddLabel(window, u"journalState"_s, Qt::AlignLeft | Qt::AlignTop))
    , m_server(AddLabel(window, u"serverState"_s, Qt::AlignLeft | Qt::AlignTop))
{
    m_link->setGeometry(
        BaseUnitsOf(window.font()).MapRect(kLinkLeft, kLinkTop, kLinkWidth, kLinkHeight));
    while (m_small.pointSizeF() > kSmallestPointSize
           && QFontMetrics(m_small).lineSpacing() * kLinkLines > m_link->height())
        m_small.setPointSizeF(m_small.pointSizeF() - 0.5);
    m_link->setFont(m_small);
    m_server->setFont(m_small);
    SetTextColor(m_journal, QColor(192, 0, 0));
    m_journal->setToolTip(tr("结果日志不可用：读数没有存入日志"));
    m_journal->hide();
    m_server->hide();
    layOutRecords();
}

void StateLines::showLink(const LinkMonitor &link, const QString &refusal)
{
    QStringList first { link.stateText() };
    if (!link.detailText().isEmpty())
        first << link.detailText();
    QStringList second;
    if (!refusal.isEmpty()) {
        second << refusal;
    } else {
        if (!link.stabilityText().isEmpty())
            second << link.stabilityText();
        // A clock time needs no timer to stay true, where "n seconds ago" would.
        if (const qint64 age = link.readingAgeMs(); age >= 0)
            second << tr("读数时刻 %1")
                          .arg(QTime::currentTime().addMSecs(-age).toString(u"HH:mm:ss"_s));
    }
    const QStringList lines { first.join(u"  "_s), second.join(u" · "_s) };
    QStringList shown;
    for (const QString &line : lines)
        shown << Elided(m_link, line, Qt::ElideMiddle);
    m_link->setText(shown.join(u'\n'));
    m_link->setToolTip(lines.join(u'\n'));
    SetTextColor(m_link, ToneColor(link.stateTone()));
}

void StateLines::showJournal(bool available)
{
    m_journal->setVisible(!available);
    layOutRecords();
}

void StateLines::showServer(const ForwardState &state)
{
    m_server->setToolTip(state.text());
    LinkMonitor::Tone tone = LinkMonitor::Tone::Good;
    if (state.status == ForwardState::Status::Starting)
        tone = LinkMonitor::Tone::Caution;
    else if (state.status == ForwardState::Status::Unreachable
             || state.status == ForwardState::Status::NotAnswering)
        tone = LinkMonitor::Tone::Fault;
    SetTextColor(m_server, ToneColor(tone));
    m_server->show();
    layOutRecords();
}

void StateLines::layOutRecords()
{
    const QRect area = BaseUnitsOf(m_window.font())
                           .MapRect(kRecordsLeft, kRecordsTop, kRecordsWidth, kRecordsHeight);
    const bool both = !m_journal->isHidden() && !m_server->isHidden();
    QRect journal = area;
    QRect server = area;
    if (both) {
        journal.setHeight(area.height() / 2);
        server.setTop(journal.bottom() + 1);
    }
    m_journal->setGeometry(journal);
    m_journal->setWordWrap(!both);
    m_journal->setFont(both ? m_small : m_window.font());
    m_journal->setText(both ? Elided(m_journal, m_journal->toolTip(), Qt::ElideRight)
                            : m_journal->toolTip());
    m_server->setGeometry(server);
    // The beginning says what happens to the rows; the server's own reason is in the tip.
    m_server->setText(Elided(m_server, m_server->toolTip(), Qt::ElideRight));
}

QString StateLines::JournalProblem(JournalResult::Error error)
{
    switch (error) {
    case JournalResult::Error::ReadOnly:
        return tr("文件是只读的");
    case JournalResult::Error::DiskFull:
        return tr("磁盘已满");
    case JournalResult::Error::Locked:
        return tr("另一个程序锁住了它");
    case JournalResult::Error::Corrupt:
        return tr("文件已损坏");
    case JournalResult::Error::NewerVersion:
        return tr("它由更新版本的程序写入");
    case JournalResult::Error::NotJournal:
        return tr("它不是本程序的结果日志，程序不改动它");
    default:
        return tr("无法打开或写入");
    }
}

QString StateLines::journalWarning(const QString &path, JournalResult::Error error)
{
    return tr("结果日志 %1 无法写入（%2）。\n测量照常进行。确认的读数先留在程序中，"
              "日志恢复后自动补写；程序关闭前未补写的读数不会存入日志。")
        .arg(QDir::toNativeSeparators(path), JournalProblem(error));
}
