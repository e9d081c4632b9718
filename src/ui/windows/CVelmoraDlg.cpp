#include "ui/windows/CVelmoraDlg.h"

#include "app/CVelmoraApp.h"
#include "core/link/CSerialPort.h"
#include "core/link/Frame.h"
#include "core/link/FrameScanner.h"
#include "core/measure/RunStatistics.h"
#include "core/settings/ProfileFile.h"
#include "core/text/StringTable.h"
#include "ui/controls/ColorButton.h"
#include "ui/controls/HotTrackButton.h"
#include "ui/controls/LedDigitDisplay.h"
#include "ui/controls/ResourceImages.h"
#include "ui/controls/StateImageButton.h"
#include "ui/controls/StyledLabel.h"
#include "ui/report/HelpLauncher.h"
#include "ui/report/PrintJob.h"
#include "ui/report/ReportSaver.h"
#include "ui/windows/CAboutDlg.h"
#include "ui/windows/CModeSelectDlg.h"
#include "ui/windows/CSampleCountDlg.h"

#include <QContextMenuEvent>
#include <QDate>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

using namespace Qt::StringLiterals;
namespace Keys = SettingsKeys;

namespace {

constexpr int kLabelPointSize = 9;
constexpr int kLampDark = 0;
constexpr int kLampHalf = 1;
constexpr int kLampLit = 2;
constexpr int kDigitCount = 7;
constexpr int kBevelWidth = 2;
constexpr int kAboutMenuArea = 31; // dialog units: the strip above the upper separator

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

QString Format3(double value)
{
    return QString::asprintf("%.3f", value);
}

} // namespace

CVelmoraDlg::CVelmoraDlg(CVelmoraApp &app, QWidget *parent)
    : TemplateDialog(kTemplateId, parent, &CreateMainItem)
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
    , m_hIcon(QPixmap::fromImage(LoadResourceImage(ResourceId::MainIcon)))
    , m_app(app)
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
    m_stcInspector->setText(m_app.m_strInspector);
    StyleLabel(m_stcBatchNo, face, true);
    m_stcBatchNo->setText(m_app.m_strBatchNo);
    StyleLabel(m_stcSampleName, face, true);
    m_stcSampleName->setText(m_app.m_strSampleName);
    StyleLabel(m_stcUnit, face, true);
    m_stcUnit->setText(m_app.m_strUnit);
    StyleLabel(m_stcSampleCount, face, true);
    m_stcSampleCount->setText(QString::number(m_app.m_nSampleCount));
    StyleLabel(m_stcDate, face, false);

    m_btnZero->SubclassWithColors(IDC_ZERO, this, QColor(0, 128, 255), QColor(255, 255, 255),
                                  QColor(0, 0, 128), kBevelWidth);
    m_btnRetestPlus->SubclassWithColors(IDC_RETEST_PLUS, this, QColor(192, 192, 192),
                                        QColor(1, 1, 1), QColor(128, 128, 128), kBevelWidth);
    m_btnRetestMinus->SubclassWithColors(IDC_RETEST_MINUS, this, QColor(192, 192, 192),
                                         QColor(1, 1, 1), QColor(128, 128, 128), kBevelWidth);

    m_btnStatus->AssignStateBitmapIds(151, 150, 149, 151);
    m_btnStatus->SetState(kLampDark);

    m_btnHelp->AssignBitmapIds(152, 152, 152);
    m_btnHelp->SetLayout(CHotTrackButton::Layout::ImageLeft);

    const ProfileFile ini(m_app.m_strIniPath);
    const QColor ledColor(ini.Read(Keys::kLedR) & 0xFF, ini.Read(Keys::kLedG) & 0xFF,
                          ini.Read(Keys::kLedB) & 0xFF);
    for (CLedDigitDisplay *display : { m_ctlReading, m_ctlConverted }) {
        display->SetDigitCount(kDigitCount);
        display->SetLedColor(ledColor);
    }

    OpenSerialPort();
    LoadModeSettings();
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
    if (m_app.m_nSerialNo >= 0) {
        const QString iniPath = m_app.m_strIniPath;
        m_pSerialPort->SetPortLookup([iniPath](const QString &key) {
            return ProfileFile(iniPath).ReadString(Keys::kSectionPorts, key, QString(),
                                                   Keys::kPortBufferSize);
        });
        m_pSerialPort->Configure(u"COM%1"_s.arg(m_app.m_nSerialNo + 1), 9600, 8, 0, 1);
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
    // A complete run takes no more rows, whatever route the command came by.
    if (!m_btnConfirm->isEnabled())
        return;
    const int i = m_list->rowCount();
    if (i >= Keys::kSampleStoreSize)
        return;

    m_list->insertRow(i);
    SetResultText(i, ColumnNumber, QString::number(i + 1));
    SetResultText(i, ColumnValue, Format3(m_dReading));
    m_fSamples[i] = static_cast<float>(m_dReading);
    m_list->scrollToItem(m_list->item(i, ColumnNumber));

    const int n = i + 1;
    if (n < m_app.m_nSampleCount && n < Keys::kSampleStoreSize)
        return;

    const RunStatistics statistics =
        ComputeRunStatistics(std::span<const float>(m_fSamples.data(), n));
    SetResultText(i, ColumnMean, Format3(static_cast<double>(statistics.mean)));
    if (m_app.m_nSampleCount == 6)
        SetResultText(i, ColumnDeviation, Format3(statistics.deviation));
    m_btnConfirm->setEnabled(false);
    m_btnStatus->SetState(kLampLit);
}

void CVelmoraDlg::OnDeleteButton()
{
    m_list->setRowCount(0);
    m_btnConfirm->setEnabled(true);
    m_btnStatus->SetState(kLampDark);
}

void CVelmoraDlg::OnSampleButton()
{
    CSampleCountDlg dialog(this);
    dialog.m_nCount = m_app.m_nSampleCount;
    if (dialog.exec() != QDialog::Accepted)
        return;

    m_app.m_nSampleCount = dialog.m_nCount;
    m_stcSampleCount->setText(QString::number(m_app.m_nSampleCount));

    ProfileFile ini(m_app.m_strIniPath);
    if (ini.Read(Keys::kIsLock) == 0)
        ini.WriteInt(Keys::kSampleCount.section, Keys::kSampleCount.key, m_app.m_nSampleCount);
    update();
}

void CVelmoraDlg::OnColorButtonDown(int id)
{
    std::uint8_t command = 0;
    switch (id) {
    case IDC_RETEST_PLUS:
        command = Frame::CMD_RETEST_PLUS;
        break;
    case IDC_RETEST_MINUS:
        command = Frame::CMD_RETEST_MINUS;
        break;
    case IDC_ZERO:
        command = Frame::CMD_ZERO;
        break;
    default:
        return;
    }
    const Frame::CommandFrame frame = BuildCommandFrame(command);
    m_pSerialPort->Write(frame);
}

void CVelmoraDlg::OnSerialData(CSerialPort *port, RxBuffer *rx)
{
    m_btnStatus->SetState(kLampHalf);
    m_btnStatus->SetState(kLampDark);
    ScanHeldBytes(*rx, [this](const FrameEvent &event) { OnFrame(event); });
    port->SetReadPermission();
}

void CVelmoraDlg::OnFrame(const FrameEvent &event)
{
    const QString zeroText = QLatin1StringView(kZeroDisplayText);
    const auto mode = ModeFromInt(m_nSelMode);
    switch (event.kind) {
    case FrameEvent::Kind::Reading:
        m_dDegrees = ReadingDegrees(event.reading);
        m_dReading = *m_dDegrees;
        m_ctlReading->SetDisplayText(event.DisplayText());
        if (mode != MeasurementMode::OpticalRotation) {
            m_dReading = ConvertReading(mode, m_dReading, CurrentModeConstants());
            m_ctlConverted->SetDisplayText(FormatConvertedValue(mode, m_dReading));
        }
        break;
    case FrameEvent::Kind::ZeroReading:
        m_ctlReading->SetDisplayText(zeroText);
        m_dReading = 0.0;
        m_dDegrees.reset();
        if (mode != MeasurementMode::OpticalRotation)
            m_ctlConverted->SetDisplayText(zeroText);
        break;
    case FrameEvent::Kind::Zero:
        m_ctlReading->SetDisplayText(zeroText);
        m_ctlConverted->SetDisplayText(zeroText);
        m_dReading = 0.0;
        m_dDegrees.reset();
        break;
    case FrameEvent::Kind::Status:
        m_btnStatus->SetState(kLampLit);
        break;
    }
}

void CVelmoraDlg::LoadModeSettings()
{
    const ProfileFile ini(m_app.m_strIniPath);
    // A text without a leading number keeps the default.
    if (const auto value = ParseModeConstant(ini.Read(Keys::kModeA)))
        m_a = *value;
    if (const auto value = ParseModeConstant(ini.Read(Keys::kModeLenC)))
        m_lenC = *value;
    if (const auto value = ParseModeConstant(ini.Read(Keys::kModeC)))
        m_C = *value;
    if (const auto value = ParseModeConstant(ini.Read(Keys::kModeLena)))
        m_lena = *value;
    m_nSelMode = Keys::ValidSelMode(ini.Read(Keys::kSelMode));
    ApplyMeasurementMode(m_nSelMode);
}

void CVelmoraDlg::ApplyMeasurementMode(int mode)
{
    mode = Keys::ValidSelMode(mode);
    const QString title = LoadString(StringId::ModeTitleBase + mode);
    const QString numberTitle = LoadString(StringId::SampleNumberColumn);

    OnDeleteButton();

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

    const bool converted = mode != int(MeasurementMode::OpticalRotation);
    if (converted)
        m_stcModeName->setText(title + u':');
    m_stcModeName->setVisible(converted);
    m_ctlConverted->setVisible(converted);
    ConvertCurrentReading(mode);

    update();
}

// The reading held in the unit of the previous mode would otherwise be entered by the next
// Confirm under the new mode's title.
void CVelmoraDlg::ConvertCurrentReading(int mode)
{
    const MeasurementMode measurement = ModeFromInt(mode);
    if (!m_dDegrees) {
        m_dReading = 0.0;
        return;
    }
    m_dReading = ConvertReading(measurement, *m_dDegrees, CurrentModeConstants());
    if (measurement != MeasurementMode::OpticalRotation)
        m_ctlConverted->SetDisplayText(FormatConvertedValue(measurement, m_dReading));
}

void CVelmoraDlg::OnModeButton()
{
    CModeSelectDlg dialog(this);
    dialog.SetChoice(CurrentModeConstants(), m_nSelMode);
    if (dialog.exec() != QDialog::Accepted)
        return;

    ProfileFile ini(m_app.m_strIniPath);
    ModeConstants constants = CurrentModeConstants();
    dialog.StoreChoice(ini, constants);
    m_a = constants.a;
    m_lenC = constants.lenC;
    m_C = constants.C;
    m_lena = constants.lena;
    m_nSelMode = Keys::ValidSelMode(dialog.m_nSelMode);
    ApplyMeasurementMode(m_nSelMode);
}

ReportContent CVelmoraDlg::CollectReportContent() const
{
    ReportContent content;
    content.mode = ModeFromInt(m_nSelMode);
    content.unit = m_app.m_strUnit;
    content.sampleName = m_app.m_strSampleName;
    content.batchNo = m_app.m_strBatchNo;
    content.inspector = m_app.m_strInspector;
    const auto cellText = [this](int row, int column) {
        const QTableWidgetItem *item = m_list->item(row, column);
        return item ? item->text() : QString();
    };
    const int rows = m_list->rowCount();
    for (int row = 0; row < rows; ++row)
        content.values << cellText(row, ColumnValue);
    if (rows > 0) {
        content.mean = cellText(rows - 1, ColumnMean);
        content.deviation = cellText(rows - 1, ColumnDeviation);
    }
    return content;
}

void CVelmoraDlg::OnSaveButton()
{
    const QString path = AskReportFilePath(this);
    if (path.isEmpty())
        return;
    SaveTextReport(this, path, CollectReportContent(), ProfileFile(m_app.m_strIniPath));
}

void CVelmoraDlg::OnPrintButton()
{
    PrintJob::Start(
        this, [this] { return CollectReportContent(); }, m_app.m_strIniPath);
}

void CVelmoraDlg::OnHelpButton()
{
    LaunchHelp(m_app.ProgramDir(), ProfileFile(m_app.m_strIniPath));
}
