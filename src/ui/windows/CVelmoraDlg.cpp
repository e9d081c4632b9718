#include "ui/windows/CVelmoraDlg.h"

#include "core/journal/server/JournalForwarder.h"
#include "core/journal/store/JournalLocation.h"
#include "core/link/CSerialPort.h"
#include "core/link/Frame.h"
#include "core/settings/Settings.h"
#include "core/settings/SettingsKeys.h"
#include "core/text/StringTable.h"
#include "ui/controls/ColorButton.h"
#include "ui/controls/HotTrackButton.h"
#include "ui/controls/LedDigitDisplay.h"
#include "ui/controls/ResourceImages.h"
#include "ui/controls/StateImageButton.h"
#include "ui/controls/StyledLabel.h"
#include "ui/history/CHistoryDlg.h"
#include "ui/report/HelpLauncher.h"
#include "ui/report/PrintJob.h"
#include "ui/report/ReportSaver.h"
#include "ui/windows/CAboutDlg.h"
#include "ui/windows/CModeSelectDlg.h"
#include "ui/windows/CSampleCountDlg.h"

#include <QContextMenuEvent>
#include <QDate>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLoggingCategory>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QTableWidget>
#include <QTime>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

using namespace Qt::StringLiterals;
namespace Keys = SettingsKeys;

namespace {

// Off unless QT_LOGGING_RULES asks: which run was offered back, for support and for tests that
// drive the program from outside.
Q_LOGGING_CATEGORY(lcRecovery, "velmora.recovery", QtWarningMsg)

constexpr int kLabelPointSize = 9;
constexpr int kDigitCount = 7;
constexpr int kBevelWidth = 2;
constexpr int kAboutMenuArea = 31; // dialog units: the strip above the upper separator
constexpr int kReconnectIntervalMs = 1000;
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

// Grey digits: the value stays readable, but nobody takes it for a live one.
QColor Dimmed(const QColor &color)
{
    return QColor::fromHsv(color.hsvHue(), color.hsvSaturation() / 4, color.value() * 3 / 5);
}

QWidget *CreateMainItem(const DialogItemTemplate &item, QWidget *parent)
{
    switch (item.id) {
    case CVelmoraDlg::IDC_INSPECTOR:
    case CVelmoraDlg::IDC_BATCH_NO:
    case CVelmoraDlg::IDC_SAMPLE_NAME:
    case CVelmoraDlg::IDC_UNIT:
    case CVelmoraDlg::IDC_SAMPLE_COUNT:
    case CVelmoraDlg::IDC_DATE:
        return new CStyledLabel(parent);
    case CVelmoraDlg::IDC_READING:
    case CVelmoraDlg::IDC_CONVERTED:
        return new CLedDigitDisplay(parent);
    case CVelmoraDlg::IDC_ZERO:
    case CVelmoraDlg::IDC_RETEST_PLUS:
    case CVelmoraDlg::IDC_RETEST_MINUS:
        return new CColorButton(parent);
    case CVelmoraDlg::IDC_STATUS:
        return new CStateImageButton(parent);
    case CVelmoraDlg::IDC_HELP:
        return new CHotTrackButton(parent);
    default:
        return nullptr;
    }
}

} // namespace

CVelmoraDlg::CVelmoraDlg(Session session, Settings &settings, QWidget *parent)
    : TemplateDialog(kTemplateId, parent, &CreateMainItem)
    , m_link(LinkMonitor::Options::FromSettings(settings.Read(Keys::kLinkStableTolerance),
                                                settings.Read(Keys::kLinkStableSeconds)))
    , m_pSerialPort(std::make_unique<CSerialPort>())
    , m_stcInspector(GetDlgItem<CStyledLabel>(*this, IDC_INSPECTOR))
    , m_stcBatchNo(GetDlgItem<CStyledLabel>(*this, IDC_BATCH_NO))
    , m_stcSampleName(GetDlgItem<CStyledLabel>(*this, IDC_SAMPLE_NAME))
    , m_stcUnit(GetDlgItem<CStyledLabel>(*this, IDC_UNIT))
    , m_stcSampleCount(GetDlgItem<CStyledLabel>(*this, IDC_SAMPLE_COUNT))
    , m_stcDate(GetDlgItem<CStyledLabel>(*this, IDC_DATE))
    , m_ctlReading(GetDlgItem<CLedDigitDisplay>(*this, IDC_READING))
    , m_ctlConverted(GetDlgItem<CLedDigitDisplay>(*this, IDC_CONVERTED))
    , m_btnZero(GetDlgItem<CColorButton>(*this, IDC_ZERO))
    , m_btnRetestPlus(GetDlgItem<CColorButton>(*this, IDC_RETEST_PLUS))
    , m_btnRetestMinus(GetDlgItem<CColorButton>(*this, IDC_RETEST_MINUS))
    , m_btnStatus(GetDlgItem<CStateImageButton>(*this, IDC_STATUS))
    , m_btnHelp(GetDlgItem<CHotTrackButton>(*this, IDC_HELP))
    , m_stcModeName(GetDlgItem<QLabel>(*this, IDC_MODE_NAME))
    , m_list(GetDlgItem<QTableWidget>(*this, IDC_LIST))
    , m_btnConfirm(GetDlgItem<QPushButton>(*this, IDOK))
    , m_stcLink(new QLabel(this))
    , m_hIcon(QPixmap::fromImage(LoadResourceImage(ResourceId::MainIcon)))
    , m_session(std::move(session))
    , m_settings(settings)
{
    connect(GetDlgItem<QPushButton>(*this, IDC_DELETE), &QPushButton::clicked, this,
            &CVelmoraDlg::OnDeleteButton);
    connect(GetDlgItem<QPushButton>(*this, IDC_SAMPLE), &QPushButton::clicked, this,
            &CVelmoraDlg::OnSampleButton);
    connect(GetDlgItem<QPushButton>(*this, IDC_MODE), &QPushButton::clicked, this,
            &CVelmoraDlg::OnModeButton);
    connect(GetDlgItem<QPushButton>(*this, IDC_SAVE), &QPushButton::clicked, this,
            &CVelmoraDlg::OnSaveButton);
    connect(GetDlgItem<QPushButton>(*this, IDC_PRINT), &QPushButton::clicked, this,
            &CVelmoraDlg::OnPrintButton);
    connect(m_btnHelp, &QPushButton::clicked, this, &CVelmoraDlg::OnHelpButton);
    for (CColorButton *button : { m_btnRetestPlus, m_btnRetestMinus, m_btnZero })
        connect(button, &CColorButton::colorButtonDown, this, &CVelmoraDlg::OnColorButtonDown);
    connect(m_pSerialPort.get(), &CSerialPort::serialData, this, &CVelmoraDlg::OnSerialData);
    // A pulled cable never ends the run: the channel reopens the same port once a second.
    m_pSerialPort->SetReconnectInterval(kReconnectIntervalMs);
    m_link.Watch(*m_pSerialPort);
    connect(&m_run, &MeasurementRun::frameDecoded, &m_link, &LinkMonitor::NoteFrame);
    connect(&m_link, &LinkMonitor::changed, this, &CVelmoraDlg::PaintLinkState);

    m_stcLink->setObjectName(u"linkState"_s);
    m_stcLink->setGeometry(
        BaseUnitsOf(font()).MapRect(kLinkLeft, kLinkTop, kLinkWidth, kLinkHeight));
    QFont small = font();
    while (small.pointSizeF() > kSmallestPointSize
           && QFontMetrics(small).lineSpacing() * kLinkLines > m_stcLink->height())
        small.setPointSizeF(small.pointSizeF() - 0.5);
    m_stcLink->setFont(small);
    m_stcLink->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_stcLink->setTextFormat(Qt::PlainText); // a system message is no markup

    connect(&m_run, &MeasurementRun::readingChanged, this, &CVelmoraDlg::PaintReading);
    connect(&m_run, &MeasurementRun::rowAdded, this, &CVelmoraDlg::PaintRow);
    connect(&m_run, &MeasurementRun::runCompleted, this, &CVelmoraDlg::PaintCompletion);
    connect(&m_run, &MeasurementRun::cleared, this, &CVelmoraDlg::PaintCleared);
    connect(&m_run, &MeasurementRun::modeApplied, this, &CVelmoraDlg::ApplyMeasurementMode);
    connect(&m_run, &MeasurementRun::lampChanged, m_btnStatus, &CStateImageButton::SetState);
    connect(&m_run, &MeasurementRun::sampleCountChanged, m_stcSampleCount,
            [this](int count) { m_stcSampleCount->setText(QString::number(count)); });

    connect(m_pSerialPort.get(), &CSerialPort::linkLost, &m_recorder, &RunRecorder::LinkLost);
    connect(m_pSerialPort.get(), &CSerialPort::opened, &m_recorder, &RunRecorder::LinkOpened);
    connect(&m_recorder, &RunRecorder::availabilityChanged, this, &CVelmoraDlg::PaintJournalState);
    // Below Exit, where the original window has free space: the state of the journal.
    m_stcJournal = new QLabel(this);
    m_stcJournal->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_stcJournal->setStyleSheet(u"color: #c00000;"_s);
    m_stcJournal->hide();
    m_stcServer = new QLabel(this);
    m_stcServer->setObjectName(u"serverState"_s);
    m_stcServer->setFont(small);
    m_stcServer->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_stcServer->setTextFormat(Qt::PlainText); // the server's message is no markup
    m_stcServer->hide();
    LayOutRecordLines();
    m_btnHistory = new QPushButton(tr("历史记录"), this);
    m_btnHistory->setGeometry(BaseUnitsOf(font()).MapRect(263, 207, 48, 17));
    // Enter stays Confirm, wherever the focus is.
    m_btnHistory->setAutoDefault(false);
    connect(m_btnHistory, &QPushButton::clicked, this, &CVelmoraDlg::OnHistoryButton);
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_H), this), &QShortcut::activated, this,
            &CVelmoraDlg::OnHistoryButton);
}

void CVelmoraDlg::AttachJournal(Journal *journal, const JournalResult &opened)
{
    m_pJournal = journal;
    m_journalOpened = opened;
}

void CVelmoraDlg::AttachForwarder(JournalForwarder *forwarder)
{
    m_pForwarder = forwarder;
    if (!forwarder)
        return;
    connect(forwarder, &JournalForwarder::stateChanged, this, &CVelmoraDlg::PaintServerState);
    connect(&m_recorder, &RunRecorder::committed, forwarder, &JournalForwarder::notifyCommitted);
    PaintServerState();
}

void CVelmoraDlg::PaintServerState()
{
    const ForwardState &state = m_pForwarder->state();
    const QString text = state.text();
    m_stcServer->setToolTip(text);
    QPalette palette = m_stcServer->palette();
    LinkMonitor::Tone tone = LinkMonitor::Tone::Good;
    if (state.status == ForwardState::Status::Starting)
        tone = LinkMonitor::Tone::Caution;
    else if (state.status == ForwardState::Status::Unreachable)
        tone = LinkMonitor::Tone::Fault;
    palette.setColor(QPalette::WindowText, ToneColor(tone));
    m_stcServer->setPalette(palette);
    m_stcServer->show();
    LayOutRecordLines();
}

void CVelmoraDlg::LayOutRecordLines()
{
    const QRect area =
        BaseUnitsOf(font()).MapRect(kRecordsLeft, kRecordsTop, kRecordsWidth, kRecordsHeight);
    const bool both = !m_stcJournal->isHidden() && !m_stcServer->isHidden();
    // Alone, the journal's mark may take two lines; with the server's state, one line each.
    QRect journal = area;
    QRect server = area;
    if (both) {
        journal.setHeight(area.height() / 2);
        server.setTop(journal.bottom() + 1);
    }
    m_stcJournal->setGeometry(journal);
    m_stcJournal->setWordWrap(!both);
    m_stcJournal->setFont(both ? m_stcServer->font() : font());
    const QString journalText = m_stcJournal->toolTip();
    if (!journalText.isEmpty())
        m_stcJournal->setText(both ? QFontMetrics(m_stcJournal->font())
                                         .elidedText(journalText, Qt::ElideRight, journal.width())
                                   : journalText);
    m_stcServer->setGeometry(server);
    // The beginning says what happens to the rows; the server's own reason is in the tip.
    m_stcServer->setText(QFontMetrics(m_stcServer->font())
                             .elidedText(m_stcServer->toolTip(), Qt::ElideRight, server.width()));
}

// The channel is closed before the controls go, so no burst reaches a half-destroyed window.
CVelmoraDlg::~CVelmoraDlg()
{
    m_pSerialPort.reset();
}

void CVelmoraDlg::OnInitDialog()
{
    TemplateDialog::OnInitDialog();

    AddAboutMenuItem();
    setWindowIcon(m_hIcon);

    const QString face = LoadString(StringId::FontFace);
    StyleLabel(m_stcInspector, face, true);
    StyleLabel(m_stcBatchNo, face, true);
    StyleLabel(m_stcSampleName, face, true);
    StyleLabel(m_stcUnit, face, true);
    ShowLogin();
    StyleLabel(m_stcSampleCount, face, true);
    m_run.SetSampleCount(m_session.sampleCount);
    StyleLabel(m_stcDate, face, false);

    m_btnZero->SubclassWithColors(IDC_ZERO, this, QColor(0, 128, 255), QColor(255, 255, 255),
                                  QColor(0, 0, 128), kBevelWidth);
    m_btnRetestPlus->SubclassWithColors(IDC_RETEST_PLUS, this, QColor(192, 192, 192),
                                        QColor(1, 1, 1), QColor(128, 128, 128), kBevelWidth);
    m_btnRetestMinus->SubclassWithColors(IDC_RETEST_MINUS, this, QColor(192, 192, 192),
                                         QColor(1, 1, 1), QColor(128, 128, 128), kBevelWidth);

    m_btnStatus->AssignStateBitmapIds(151, 150, 149, 151);
    m_btnStatus->SetState(MeasurementRun::LampDark);

    m_btnHelp->AssignBitmapIds(152, 152, 152);
    m_btnHelp->SetLayout(CHotTrackButton::Layout::ImageLeft);

    const QColor ledColor(m_settings.Read(Keys::kLedR) & 0xFF, m_settings.Read(Keys::kLedG) & 0xFF,
                          m_settings.Read(Keys::kLedB) & 0xFF);
    m_ledColor = ledColor;
    for (CLedDigitDisplay *display : { m_ctlReading, m_ctlConverted }) {
        display->SetDigitCount(kDigitCount);
        display->SetLedColor(ledColor);
    }

    OpenSerialPort();
    LoadModeSettings();
    PaintLinkState();
    StartJournal();
}

void CVelmoraDlg::StartJournal()
{
    RunHeader login;
    login.unit = m_session.unit;
    login.sampleName = m_session.sampleName;
    login.batchNo = m_session.batchNo;
    login.inspector = m_session.inspector;
    m_recorder.Start(m_pJournal, login, m_journalOpened);
    if (m_recorder.IsAvailable())
        OfferRecovery();
}

void CVelmoraDlg::OfferRecovery()
{
    QList<JournalReading> readings;
    const std::optional<JournalRun> run = m_recorder.FindRecoverable(readings);
    if (!run)
        return;
    const auto local = [](const QString &stamp) {
        return FromJournalTimestamp(stamp).toLocalTime().toString(u"yyyy-MM-dd HH:mm:ss"_s);
    };
    const RunHeader &h = run->header;
    qCInfo(lcRecovery, "offering run %s: %d readings", qUtf8Printable(run->id),
           int(readings.size()));
    const QString text =
        tr("上次的测量没有结束：%1 个读数，开始于 %2，最后一个读数于 %3。\n"
           "检品名称：%4　批号：%5　检验者：%6\n\n"
           "是否继续这次测量？选“否”则该次测量标为放弃，记录保留在结果日志中。")
            .arg(QString::number(readings.size()), local(run->startedAt),
                 local(readings.constLast().confirmedAt), h.sampleName, h.batchNo, h.inspector);
    const auto answer = QMessageBox::question(this, ProgramName(), text,
                                              QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    if (answer != QMessageBox::Yes) {
        m_recorder.Abandon(*run);
        return;
    }
    // The continued run is shown and reported under its own login.
    m_session.unit = h.unit;
    m_session.sampleName = h.sampleName;
    m_session.batchNo = h.batchNo;
    m_session.inspector = h.inspector;
    ShowLogin();
    m_recorder.Continue(*run, readings);
}

void CVelmoraDlg::ShowLogin()
{
    m_stcInspector->setText(m_session.inspector);
    m_stcBatchNo->setText(m_session.batchNo);
    m_stcSampleName->setText(m_session.sampleName);
    m_stcUnit->setText(m_session.unit);
}

void CVelmoraDlg::PaintJournalState(bool available, const JournalResult &result)
{
    m_stcJournal->setToolTip(tr("结果日志不可用：读数没有存入日志"));
    m_stcJournal->setVisible(!available);
    LayOutRecordLines();
    if (available)
        return;
    QString reason;
    switch (result.error) {
    case JournalResult::Error::ReadOnly:
        reason = tr("文件是只读的");
        break;
    case JournalResult::Error::DiskFull:
        reason = tr("磁盘已满");
        break;
    case JournalResult::Error::Locked:
        reason = tr("另一个程序锁住了它");
        break;
    case JournalResult::Error::Corrupt:
        reason = tr("文件已损坏");
        break;
    case JournalResult::Error::NewerVersion:
        reason = tr("它由更新版本的程序写入");
        break;
    default:
        reason = tr("无法打开或写入");
        break;
    }
    const QString path = m_pJournal ? m_pJournal->database().path() : QString();
    // Not modal: the measurement goes on while the message is read.
    auto *box =
        new QMessageBox(QMessageBox::Warning, ProgramName(),
                        tr("结果日志 %1 无法写入（%2）。\n测量照常进行，但读数不会存入结果日志，"
                           "程序关闭后无法恢复。")
                            .arg(QDir::toNativeSeparators(path), reason),
                        QMessageBox::Ok, this);
    box->setDetailedText(result.text);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->show();
}

void CVelmoraDlg::StyleLabel(CStyledLabel *label, const QString &face, bool italic)
{
    label->ApplyFaceName(face);
    label->ApplyPointSize(kLabelPointSize);
    label->ApplyTextColor(QColor(0, 0, 0));
    label->ApplyItalic(italic);
    label->ApplyBold(false);
}

void CVelmoraDlg::OpenSerialPort()
{
    // With no port chosen in the login dialog (index -1) there is nothing to open: the name
    // "COM0" would stand for no port on any system.
    if (m_session.serialNo >= 0) {
        m_pSerialPort->SetPortLookup(
            [this](const QString &key) { return m_settings.Read(Keys::PortKey { key }); });
        m_pSerialPort->Configure(u"COM%1"_s.arg(m_session.serialNo + 1), 9600, 8, 0, 1);
        if (m_pSerialPort->Open())
            return;
    }
    QMessageBox::warning(this, ProgramName(), LoadString(StringId::OpenPortFailed));
}

void CVelmoraDlg::AddAboutMenuItem()
{
#ifdef Q_OS_WIN
    const QString text = LoadString(StringId::AboutMenu);
    HMENU menu = ::GetSystemMenu(reinterpret_cast<HWND>(winId()), FALSE);
    if (menu && !text.isEmpty()) {
        ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        ::AppendMenuW(menu, MF_STRING, IDM_ABOUTBOX, reinterpret_cast<LPCWSTR>(text.utf16()));
    }
#endif
}

#ifdef Q_OS_WIN
bool CVelmoraDlg::nativeEvent(const QByteArray &eventType, void *message, qintptr *result)
{
    const auto *msg = static_cast<const MSG *>(message);
    if (msg->message == WM_SYSCOMMAND && (msg->wParam & 0xFFF0) == IDM_ABOUTBOX) {
        OnAboutBox();
        *result = 0;
        return true;
    }
    return TemplateDialog::nativeEvent(eventType, message, result);
}
#endif

// Other platforms give a program no system menu, so the about item sits in a context menu of
// the window's top strip, where the command buttons are.
void CVelmoraDlg::contextMenuEvent(QContextMenuEvent *event)
{
    const QString text = LoadString(StringId::AboutMenu);
    if (text.isEmpty() || event->pos().y() >= BaseUnitsOf(font()).MapY(kAboutMenuArea)) {
        TemplateDialog::contextMenuEvent(event);
        return;
    }
    QMenu menu(this);
    connect(menu.addAction(text), &QAction::triggered, this, &CVelmoraDlg::OnAboutBox);
    menu.exec(event->globalPos());
}

void CVelmoraDlg::OnAboutBox()
{
    CAboutDlg about(this);
    about.exec();
}

void CVelmoraDlg::accept()
{
    OnOK();
}

void CVelmoraDlg::SetResultText(int row, int column, const QString &text)
{
    m_list->setItem(row, column, new QTableWidgetItem(text));
}

void CVelmoraDlg::OnOK()
{
    // Without a live link the held reading may be minutes old: entering it would look like a
    // real sample. Said on the state line, so that a lost link never blocks the window.
    m_strRefusal = m_link.ConfirmRefusal();
    if (m_strRefusal.isEmpty())
        m_recorder.Confirm();
    else
        PaintLinkState();
}

void CVelmoraDlg::PaintRow(int row)
{
    m_list->insertRow(row);
    SetResultText(row, ColumnNumber, QString::number(row + 1));
    SetResultText(row, ColumnValue, m_run.ValueTexts().at(row));
    m_list->scrollToItem(m_list->item(row, ColumnNumber));
}

void CVelmoraDlg::PaintCompletion()
{
    const int last = m_run.RowCount() - 1;
    SetResultText(last, ColumnMean, m_run.MeanText());
    if (!m_run.DeviationText().isEmpty())
        SetResultText(last, ColumnDeviation, m_run.DeviationText());
    m_btnConfirm->setEnabled(false);
}

void CVelmoraDlg::OnDeleteButton()
{
    m_recorder.Delete();
}

void CVelmoraDlg::PaintCleared()
{
    m_list->setRowCount(0);
    m_btnConfirm->setEnabled(true);
}

void CVelmoraDlg::OnSampleButton()
{
    CSampleCountDlg dialog(this);
    dialog.m_nCount = m_run.SampleCount();
    if (dialog.exec() != QDialog::Accepted)
        return;

    m_run.SetSampleCount(dialog.m_nCount);
    m_session.sampleCount = m_run.SampleCount();
    if (m_settings.Read(Keys::kIsLock) == 0)
        m_settings.Write(Keys::kSampleCount, m_run.SampleCount());
    update();
}

void CVelmoraDlg::OnColorButtonDown(int id)
{
    std::uint8_t command = 0;
    JournalEvent sent = JournalEvent::ZeroSent;
    switch (id) {
    case IDC_RETEST_PLUS:
        command = Frame::CMD_RETEST_PLUS;
        sent = JournalEvent::RetestPlusSent;
        break;
    case IDC_RETEST_MINUS:
        command = Frame::CMD_RETEST_MINUS;
        sent = JournalEvent::RetestMinusSent;
        break;
    case IDC_ZERO:
        command = Frame::CMD_ZERO;
        break;
    default:
        return;
    }
    const Frame::CommandFrame frame = BuildCommandFrame(command);
    m_pSerialPort->Write(frame);
    m_recorder.CommandSent(sent);
}

void CVelmoraDlg::OnSerialData(CSerialPort *port, RxBuffer *rx)
{
    m_run.DecodeBatch(*port, *rx);
}

void CVelmoraDlg::PaintReading()
{
    m_ctlReading->SetDisplayText(m_run.ReadingText());
    m_ctlConverted->SetDisplayText(m_run.ConvertedText());
    PaintLinkState(); // the time of the reading
}

void CVelmoraDlg::PaintLinkState()
{
    const bool live = m_link.IsLive();
    if (live)
        m_strRefusal.clear();
    const QColor digits = live ? m_ledColor : Dimmed(m_ledColor);
    for (CLedDigitDisplay *display : { m_ctlReading, m_ctlConverted }) {
        if (display->LedColor() != digits) {
            display->SetLedColor(digits);
            display->update();
        }
    }

    QStringList first { m_link.StateText() };
    if (!m_link.DetailText().isEmpty())
        first << m_link.DetailText();
    QStringList second;
    if (!m_strRefusal.isEmpty()) {
        second << m_strRefusal;
    } else {
        if (!m_link.StabilityText().isEmpty())
            second << m_link.StabilityText();
        // A clock time needs no timer to stay true, where "n seconds ago" would.
        if (const qint64 age = m_link.ReadingAgeMs(); age >= 0)
            second << tr("读数时刻 %1")
                          .arg(QTime::currentTime().addMSecs(-age).toString(u"HH:mm:ss"_s));
    }
    const QStringList lines { first.join(u"  "_s), second.join(u" · "_s) };

    const QFontMetrics metrics(m_stcLink->font());
    QStringList shown;
    for (const QString &line : lines)
        shown << metrics.elidedText(line, Qt::ElideMiddle, m_stcLink->width());
    m_stcLink->setText(shown.join(u'\n'));
    m_stcLink->setToolTip(lines.join(u'\n'));
    QPalette palette = m_stcLink->palette();
    palette.setColor(QPalette::WindowText, ToneColor(m_link.StateTone()));
    m_stcLink->setPalette(palette);
}

void CVelmoraDlg::LoadModeSettings()
{
    // A text without a usable number keeps the default.
    ModeConstants constants;
    if (const auto value = ParseModeConstant(m_settings.Read(Keys::kModeA)))
        constants.a = *value;
    if (const auto value = ParseModeConstant(m_settings.Read(Keys::kModeLenC)))
        constants.lenC = *value;
    if (const auto value = ParseModeConstant(m_settings.Read(Keys::kModeC)))
        constants.C = *value;
    if (const auto value = ParseModeConstant(m_settings.Read(Keys::kModeLena)))
        constants.lena = *value;
    m_run.ApplyMode(ModeFromInt(m_settings.Read(Keys::kSelMode)), constants);
}

void CVelmoraDlg::ApplyMeasurementMode()
{
    const int mode = static_cast<int>(m_run.Mode());
    const QString title = LoadString(StringId::ModeTitleBase + mode);
    const QString numberTitle = LoadString(StringId::SampleNumberColumn);

    m_list->setColumnCount(0);
    const std::array<std::pair<QString, int>, 4> columns { {
        { numberTitle, 60 },
        { title, 110 },
        { LoadString(StringId::MeanColumn), 80 },
        { LoadString(StringId::DeviationColumn), 140 },
    } };
    m_list->setColumnCount(int(columns.size()));
    for (int c = 0; c < int(columns.size()); ++c) {
        auto *header = new QTableWidgetItem(columns[c].first);
        header->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        m_list->setHorizontalHeaderItem(c, header);
        m_list->setColumnWidth(c, columns[c].second);
    }

    m_list->setShowGrid(true);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);

    const QDate today = QDate::currentDate();
    m_stcDate->setText(
        QString::asprintf("%04d-%02d-%02d", today.year(), today.month(), today.day()));

    const bool converted = m_run.Mode() != MeasurementMode::OpticalRotation;
    if (converted)
        m_stcModeName->setText(title + u':');
    m_stcModeName->setVisible(converted);
    m_ctlConverted->setVisible(converted);

    update();
}

void CVelmoraDlg::OnModeButton()
{
    CModeSelectDlg dialog(this);
    dialog.SetChoice(m_run.Constants(), static_cast<int>(m_run.Mode()));
    if (dialog.exec() != QDialog::Accepted)
        return;

    const ModeChoice choice = dialog.Choice();
    PersistModeChoice(choice);
    m_recorder.ApplyMode(ModeFromInt(choice.mode), choice.constants);
}

void CVelmoraDlg::PersistModeChoice(const ModeChoice &choice)
{
    // The texts as typed, also those without a number, then the mode index as checked.
    m_settings.Write({ { Keys::kModeA, choice.a },
                       { Keys::kModeLenC, choice.lenC },
                       { Keys::kModeC, choice.C },
                       { Keys::kModeLena, choice.lena },
                       { Keys::kSelMode, choice.mode } });
}

ReportContent CVelmoraDlg::CollectReportContent() const
{
    ReportContent content = m_run.Report();
    content.unit = m_session.unit;
    content.sampleName = m_session.sampleName;
    content.batchNo = m_session.batchNo;
    content.inspector = m_session.inspector;
    return content;
}

void CVelmoraDlg::OnSaveButton()
{
    const QString path = AskReportFilePath(this);
    if (path.isEmpty())
        return;
    SaveTextReport(this, path, CollectReportContent(), m_settings);
}

void CVelmoraDlg::OnPrintButton()
{
    PrintJob::Start(
        this, [this] { return CollectReportContent(); }, ReadReportTitle(m_settings, QString()));
}

void CVelmoraDlg::OnHistoryButton()
{
    CHistoryDlg::Show(this, JournalFilePath(m_settings.Path(), m_settings.Read(Keys::kJournalPath)),
                      m_settings);
}

void CVelmoraDlg::OnHelpButton()
{
    LaunchHelp(this, m_session.programDir, m_settings);
}
