#include "ui/windows/CVelmoraDlg.h"

#include "core/journal/server/JournalForwarder.h"
#include "core/journal/store/Journal.h"
#include "core/journal/store/JournalLocation.h"
#include "core/measure/ModeChoice.h"
#include "core/settings/Settings.h"
#include "core/settings/SettingsKeys.h"
#include "core/text/StringTable.h"
#include "ui/controls/ColorButton.h"
#include "ui/controls/HotTrackButton.h"
#include "ui/controls/LedDigitDisplay.h"
#include "ui/controls/ResourceImages.h"
#include "ui/controls/StateImageButton.h"
#include "ui/controls/StyledLabel.h"
#include "ui/dialogs/AccountDialog.h"
#include "ui/history/CHistoryDlg.h"
#include "ui/report/HelpLauncher.h"
#include "ui/report/PrintJob.h"
#include "ui/report/ReportSaver.h"
#include "ui/windows/CAboutDlg.h"
#include "ui/windows/CModeSelectDlg.h"
#include "ui/windows/CSampleCountDlg.h"
#include "ui/windows/StateLines.h"
#include "ui/windows/WindowLock.h"

#include <QContextMenuEvent>
#include <QDate>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLoggingCategory>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QShortcut>
#include <QTableWidget>

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

CVelmoraDlg::CVelmoraDlg(const Session &session, Settings &settings, QWidget *parent)
    : TemplateDialog(kTemplateId, parent, &CreateMainItem)
    , m_session(session, settings)
    , m_settings(settings)
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
    , m_hIcon(QPixmap::fromImage(LoadResourceImage(ResourceId::MainIcon)))
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

    const MeasurementRun &run = m_session.run();
    connect(&run, &MeasurementRun::readingChanged, this, &CVelmoraDlg::PaintReading);
    connect(&run, &MeasurementRun::rowAdded, this, &CVelmoraDlg::PaintRow);
    connect(&run, &MeasurementRun::runCompleted, this, &CVelmoraDlg::PaintCompletion);
    connect(&run, &MeasurementRun::cleared, this, &CVelmoraDlg::PaintCleared);
    connect(&run, &MeasurementRun::modeApplied, this, &CVelmoraDlg::ApplyMeasurementMode);
    connect(&run, &MeasurementRun::lampChanged, m_btnStatus, &CStateImageButton::SetState);
    connect(&run, &MeasurementRun::sampleCountChanged, m_stcSampleCount,
            [this](int count) { m_stcSampleCount->setText(QString::number(count)); });
    connect(&m_session, &MeasurementSession::stateChanged, this, &CVelmoraDlg::PaintLinkState);
    connect(&m_session, &MeasurementSession::runLoginChanged, this, &CVelmoraDlg::PaintLogin);
    connect(&m_session, &MeasurementSession::journalAvailabilityChanged, this,
            &CVelmoraDlg::PaintJournalState);
    connect(&m_session, &MeasurementSession::forwardStateChanged, this,
            [this](const ForwardState &state) { m_stateLines.showServer(state); });
    CreateHistoryButton();
    if (m_session.accounts())
        m_lock = std::make_unique<WindowLock>(m_session, *this);
}

// The session, its line included, ends before the controls go, so no burst reaches a
// half-destroyed window.
CVelmoraDlg::~CVelmoraDlg() = default;

void CVelmoraDlg::CreateHistoryButton()
{
    m_btnHistory = new QPushButton(tr("历史记录"), this);
    m_btnHistory->setObjectName(u"history"_s);
    m_btnHistory->setGeometry(BaseUnitsOf(font()).MapRect(263, 207, 48, 17));
    // Enter stays Confirm, wherever the focus is.
    m_btnHistory->setAutoDefault(false);
    connect(m_btnHistory, &QPushButton::clicked, this, &CVelmoraDlg::OnHistoryButton);
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_H), this), &QShortcut::activated, this,
            &CVelmoraDlg::OnHistoryButton);
}

void CVelmoraDlg::AttachJournal(Journal *journal, const JournalResult &opened)
{
    m_session.attachJournal(journal, opened);
    if (const JournalForwarder *forwarder = m_session.forwarder())
        m_stateLines.showServer(forwarder->state());
}

void CVelmoraDlg::UseMethod(const std::optional<Method> &method)
{
    m_session.setMethod(method);
}

void CVelmoraDlg::OnInitDialog()
{
    TemplateDialog::OnInitDialog();

    AddAboutMenuItem();
    setWindowIcon(m_hIcon);

    const QString face = LoadString(StringId::FontFace);
    for (CStyledLabel *label : { m_stcInspector, m_stcBatchNo, m_stcSampleName, m_stcUnit })
        StyleLabel(label, face, true);
    PaintLogin();
    StyleLabel(m_stcSampleCount, face, true);
    m_stcSampleCount->setText(QString::number(m_session.run().SampleCount()));
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

    m_ledColor = QColor(m_settings.Read(Keys::kLedR) & 0xFF, m_settings.Read(Keys::kLedG) & 0xFF,
                        m_settings.Read(Keys::kLedB) & 0xFF);
    for (CLedDigitDisplay *display : { m_ctlReading, m_ctlConverted }) {
        display->SetDigitCount(kDigitCount);
        display->SetLedColor(m_ledColor);
    }

    if (!m_session.openPort())
        QMessageBox::warning(this, ProgramName(), LoadString(StringId::OpenPortFailed));
    m_session.loadModeSettings();
    m_methodLines.showMethod();
    PaintLinkState();
    if (const auto offer = m_session.startRecording())
        OfferRecovery(*offer);
}

void CVelmoraDlg::OfferRecovery(const MeasurementSession::RecoveryOffer &offer)
{
    qCInfo(lcRecovery, "offering run %s: %d readings", qUtf8Printable(offer.run.id),
           int(offer.readings.size()));
    const auto answer =
        QMessageBox::question(this, ProgramName(), SessionQuestions::recoveryQuestion(offer),
                              QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    if (answer != QMessageBox::Yes) {
        m_session.abandonRun(offer);
        return;
    }
    if (const JournalResult result = m_session.continueRun(offer); !result.ok())
        QMessageBox::warning(this, ProgramName(),
                             tr("这次测量已由另一个程序接管，无法在这里继续：%1").arg(result.text));
}

void CVelmoraDlg::PaintLogin()
{
    const RunHeader &login = m_session.runLogin();
    m_stcInspector->setText(login.inspector);
    m_stcBatchNo->setText(login.batchNo);
    m_stcSampleName->setText(login.sampleName);
    m_stcUnit->setText(login.unit);
}

void CVelmoraDlg::PaintJournalState(bool available, const JournalResult &result)
{
    m_stateLines.showJournal(available);
    if (available)
        return;
    const QString path = JournalFilePath(m_settings.Path(), m_settings.Read(Keys::kJournalPath));
    // Not modal: the measurement goes on while the message is read.
    auto *box =
        new QMessageBox(QMessageBox::Warning, ProgramName(),
                        StateLines::journalWarning(path, result.error), QMessageBox::Ok, this);
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

void CVelmoraDlg::keyPressEvent(QKeyEvent *event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        && event->modifiers() == Qt::NoModifier && !m_btnConfirm->isEnabled()) {
        OnOK();
        return;
    }
    TemplateDialog::keyPressEvent(event);
}

void CVelmoraDlg::mousePressEvent(QMouseEvent *event)
{
    if (m_session.link().state() == LinkMonitor::State::OtherDevice
        && childAt(event->position().toPoint()) == findChild<QLabel *>(u"linkState"_s))
        m_questions.askAboutOtherDevice();
    TemplateDialog::mousePressEvent(event);
}

void CVelmoraDlg::SetResultText(int row, int column, const QString &text)
{
    m_list->setItem(row, column, new QTableWidgetItem(text));
}

void CVelmoraDlg::OnOK()
{
    m_session.confirm();
}

void CVelmoraDlg::PaintRow(int row)
{
    m_list->insertRow(row);
    SetResultText(row, ColumnNumber, QString::number(row + 1));
    SetResultText(row, ColumnValue, m_session.run().ValueTexts().at(row));
    m_list->scrollToItem(m_list->item(row, ColumnNumber));
}

void CVelmoraDlg::PaintCompletion()
{
    const MeasurementRun &run = m_session.run();
    const int last = run.RowCount() - 1;
    SetResultText(last, ColumnMean, run.MeanText());
    if (!run.DeviationText().isEmpty())
        SetResultText(last, ColumnDeviation, run.DeviationText());
    PaintLinkState();
}

void CVelmoraDlg::OnDeleteButton()
{
    // The journal keeps a discarded run, but the table's rows are gone from the window.
    const int rows = m_session.run().RowCount();
    const QString question = tr("删除表中的 %n 个读数并开始新的测量？", nullptr, rows);
    if (rows > 0 && m_session.accounts() && !m_session.isLocked()) {
        // Where accounts are required, the discard names its reason.
        AccountDialog dialog(tr("删除"), question, AccountDialog::ReasonField, this);
        if (dialog.exec() == QDialog::Accepted)
            m_session.deleteRun(dialog.reason());
        return;
    }
    if (rows > 0 && !m_session.isLocked()) {
        const auto answer = QMessageBox::question(
            this, ProgramName(), question, QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (answer != QMessageBox::Yes)
            return;
    }
    m_session.deleteRun();
}

void CVelmoraDlg::PaintCleared()
{
    m_list->setRowCount(0);
    PaintLinkState();
}

void CVelmoraDlg::OnSampleButton()
{
    CSampleCountDlg dialog(this);
    dialog.m_nCount = m_session.run().SampleCount();
    dialog.m_strMethodNote = m_methodLines.dialogNote();
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_session.setSampleCount(dialog.m_nCount);
    update();
}

void CVelmoraDlg::OnColorButtonDown(int id)
{
    switch (id) {
    case IDC_RETEST_PLUS:
        m_session.sendCommand(MeasurementSession::Command::RetestPlus);
        break;
    case IDC_RETEST_MINUS:
        m_session.sendCommand(MeasurementSession::Command::RetestMinus);
        break;
    case IDC_ZERO:
        m_session.sendCommand(MeasurementSession::Command::Zero);
        break;
    default:
        break;
    }
}

void CVelmoraDlg::PaintReading()
{
    m_ctlReading->SetDisplayText(m_session.run().ReadingText());
    m_ctlConverted->SetDisplayText(m_session.run().ConvertedText());
    PaintLinkState(); // the time of the reading
}

void CVelmoraDlg::PaintLinkState()
{
    const LinkMonitor &link = m_session.link();
    const QColor digits = link.isLive() ? m_ledColor : Dimmed(m_ledColor);
    for (CLedDigitDisplay *display : { m_ctlReading, m_ctlConverted }) {
        if (display->LedColor() != digits) {
            display->SetLedColor(digits);
            display->update();
        }
    }
    m_questions.followLink();
    m_btnConfirm->setEnabled(m_session.canConfirm());
    m_btnConfirm->setToolTip(m_session.confirmBlockedReason());

    m_stateLines.showLink(link, m_session.refusal());
}

void CVelmoraDlg::ApplyMeasurementMode()
{
    const int mode = static_cast<int>(m_session.run().Mode());
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
    // The deviation column takes the room the table has left, so that the four columns never
    // need a horizontal scroll bar.
    m_list->horizontalHeader()->setSectionResizeMode(ColumnDeviation, QHeaderView::Stretch);

    const QDate today = QDate::currentDate();
    m_stcDate->setText(
        QString::asprintf("%04d-%02d-%02d", today.year(), today.month(), today.day()));

    const bool converted = m_session.run().Mode() != MeasurementMode::OpticalRotation;
    if (converted)
        m_stcModeName->setText(title + u':');
    m_stcModeName->setVisible(converted);
    m_ctlConverted->setVisible(converted);

    update();
}

void CVelmoraDlg::OnModeButton()
{
    CModeSelectDlg dialog(this);
    dialog.SetChoice(m_session.run().Constants(), static_cast<int>(m_session.run().Mode()));
    dialog.m_strMethodNote = m_methodLines.dialogNote();
    if (dialog.exec() == QDialog::Accepted)
        m_session.applyMode(dialog.Choice());
}

void CVelmoraDlg::OnSaveButton()
{
    const QString path = AskReportFilePath(this);
    if (!path.isEmpty())
        SaveTextReport(this, path, m_session.reportContent(), m_settings);
}

void CVelmoraDlg::OnPrintButton()
{
    PrintJob::Start(
        this, [this] { return m_session.reportContent(); }, ReadReportTitle(m_settings, QString()));
}

void CVelmoraDlg::OnHistoryButton()
{
    CHistoryDlg::Show(this, JournalFilePath(m_settings.Path(), m_settings.Read(Keys::kJournalPath)),
                      m_settings);
}

void CVelmoraDlg::OnHelpButton()
{
    LaunchHelp(this, m_session.login().programDir, m_settings);
}
