#include "core/session/MeasurementSession.h"

#include "core/journal/server/JournalForwarder.h"
#include "core/journal/store/Journal.h"
#include "core/journal/store/JournalLocation.h"
#include "core/link/Frame.h"
#include "core/link/FrameScanner.h"
#include "core/measure/ModeChoice.h"
#include "core/settings/Settings.h"
#include "core/settings/SettingsKeys.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

using namespace Qt::StringLiterals;
namespace Keys = SettingsKeys;

namespace {

// A pulled cable never ends the run: the channel reopens the same port once a second.
constexpr int kReconnectIntervalMs = 1000;

// A silence limit beyond this is no limit: the setting was mistyped.
constexpr int kLongestSilentSeconds = 60;

LinkMonitor::Options LinkOptions(const Settings &settings)
{
    LinkMonitor::Options options = LinkMonitor::Options::fromSettings(
        settings.Read(Keys::kLinkStableTolerance), settings.Read(Keys::kLinkStableSeconds));
    if (const int seconds = settings.Read(Keys::kLinkSilentSeconds);
        seconds >= 1 && seconds <= kLongestSilentSeconds)
        options.silentMs = seconds * 1000;
    return options;
}

RunHeader LoginHeader(const Session &login)
{
    RunHeader header;
    header.unit = login.unit;
    header.sampleName = login.sampleName;
    header.batchNo = login.batchNo;
    header.inspector = login.inspector;
    header.account = login.account;
    return header;
}

} // namespace

MeasurementSession::MeasurementSession(const Session &login, Settings &settings, QObject *parent)
    : QObject(parent)
    , m_login(login)
    , m_settings(settings)
    , m_runLogin(LoginHeader(login))
    , m_link(LinkOptions(settings))
    , m_silentMs(LinkOptions(settings).silentMs)
    , m_stableTolerance(LinkOptions(settings).stableTolerance)
{
    m_clock.start();
    m_port.SetReconnectInterval(kReconnectIntervalMs);
    m_link.watch(m_port);
    connect(&m_port, &CSerialPort::serialData, this,
            [this](CSerialPort *port, RxBuffer *rx) { m_run.DecodeBatch(*port, *rx); });
    connect(&m_run, &MeasurementRun::frameDecoded, this, &MeasurementSession::onFrame);
    connect(&m_port, &CSerialPort::opened, this, &MeasurementSession::onLinkOpened);
    connect(&m_port, &CSerialPort::opened, &m_recorder, &RunRecorder::linkOpened);
    connect(&m_port, &CSerialPort::linkLost, &m_recorder, &RunRecorder::linkLost);
    connect(&m_link, &LinkMonitor::changed, this, [this] {
        if (m_link.isLive())
            m_refusal.clear();
        emit stateChanged();
    });
    connect(&m_run, &MeasurementRun::runCompleted, this, &MeasurementSession::stateChanged);
    // A new run is the current login's, also after a continued run of another login.
    connect(&m_run, &MeasurementRun::cleared, this, [this] {
        const RunHeader current = LoginHeader(m_login);
        if (current.inspector != m_runLogin.inspector || current.unit != m_runLogin.unit
            || current.sampleName != m_runLogin.sampleName
            || current.batchNo != m_runLogin.batchNo) {
            m_runLogin = current;
            emit runLoginChanged();
        }
        emit stateChanged();
    });
    connect(&m_recorder, &RunRecorder::availabilityChanged, this,
            &MeasurementSession::journalAvailabilityChanged);
    connect(&m_link, &LinkMonitor::changed, this, &MeasurementSession::onStabilityChanged);
    // A new run may take the reading that settled while the last one was complete.
    connect(&m_run, &MeasurementRun::cleared, this, &MeasurementSession::tryAutoConfirm);
    m_run.SetSampleCount(m_login.sampleCount);
    if (const AccountPolicy policy = AccountPolicy::FromSettings(settings); policy.required) {
        m_accounts = std::make_unique<AccountSession>(policy);
        connect(m_accounts.get(), &AccountSession::lockedChanged, this, [this](bool locked) {
            if (!locked)
                m_refusal.clear();
            emit stateChanged();
        });
        connect(m_accounts.get(), &AccountSession::accountChanged, this,
                &MeasurementSession::onAccountChanged);
    }
}

MeasurementSession::~MeasurementSession()
{
    // Rows not sent yet wait in the journal for the next start.
    if (m_forwarder)
        m_forwarder->stop();
    m_port.Close();
}

void MeasurementSession::attachJournal(Journal *journal, const JournalResult &opened)
{
    m_journal = journal;
    m_journalOpened = opened;
    // Even a journal this instance cannot write holds rows the server may lack.
    const QString server = m_settings.Read(Keys::kJournalServer).trimmed();
    if (!journal || server.isEmpty())
        return;
    m_forwarder = std::make_unique<JournalForwarder>(
        JournalFilePath(m_settings.Path(), m_settings.Read(Keys::kJournalPath)), server);
    connect(m_forwarder.get(), &JournalForwarder::stateChanged, this,
            &MeasurementSession::forwardStateChanged);
    connect(&m_recorder, &RunRecorder::committed, m_forwarder.get(),
            &JournalForwarder::notifyCommitted);
}

bool MeasurementSession::openPort()
{
    // With no port chosen at the login (index -1) there is nothing to open: the name "COM0"
    // would stand for no port on any system.
    if (m_login.serialNo < 0)
        return false;
    m_port.SetPortLookup(
        [this](const QString &key) { return m_settings.Read(Keys::PortKey { key }); });
    m_port.Configure(u"COM%1"_s.arg(m_login.serialNo + 1), 9600, 8, 0, 1);
    return m_port.Open();
}

void MeasurementSession::loadModeSettings()
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
    applyMethod();
}

void MeasurementSession::setMethod(const std::optional<Method> &method)
{
    m_method = method;
    m_leftMethod.reset();
    m_recorder.setMethod(method ? std::optional(method->forRun()) : std::nullopt);
}

// The method's values for this session only: the settings keep the inspector's own.
void MeasurementSession::applyMethod()
{
    if (!m_method)
        return;
    m_run.ApplyMode(m_method->mode, m_method->constants);
    m_run.SetSampleCount(m_method->sampleCount);
}

void MeasurementSession::leaveMethod(const QString &what)
{
    const QJsonObject detail { { u"method"_s, m_method->name },
                               { u"version"_s, m_method->version },
                               { u"changed"_s, what } };
    m_recorder.leaveMethod(QString::fromUtf8(QJsonDocument(detail).toJson(QJsonDocument::Compact)));
    m_leftMethod = std::exchange(m_method, std::nullopt);
    emit methodChanged();
}

std::optional<MeasurementSession::RecoveryOffer> MeasurementSession::startRecording()
{
    m_recorder.start(m_journal, LoginHeader(m_login), m_journalOpened);
    if (m_forwarder)
        m_forwarder->start();
    if (m_accounts)
        m_accounts->start(m_journal, m_login.account);
    if (!m_recorder.isAvailable())
        return std::nullopt;
    RecoveryOffer offer;
    const std::optional<JournalRun> run = m_recorder.findRecoverable(offer.readings);
    if (!run)
        return std::nullopt;
    offer.run = *run;
    return offer;
}

JournalResult MeasurementSession::continueRun(const RecoveryOffer &offer)
{
    const JournalResult result =
        m_recorder.continueRun(offer.run, offer.readings, m_login.inspector);
    if (!result.ok())
        return result;
    // The continued run is shown and reported under its own login.
    m_runLogin = offer.run.header;
    emit runLoginChanged();
    emit stateChanged();
    // ... and goes on under its own method, as far as it kept to it. Auto-confirm is the login's
    // choice, for the very method chosen.
    const RunHeader &h = offer.run.header;
    const std::optional<Method> chosen = m_method;
    m_method.reset();
    if (h.method && !offer.run.leftMethod) {
        m_method = Method::OfRun(h);
        m_method->autoConfirm = chosen && chosen->name == h.method->name
            && chosen->version == h.method->version && chosen->autoConfirm;
    }
    m_leftMethod =
        h.method && offer.run.leftMethod ? std::optional(Method::OfRun(h)) : std::nullopt;
    emit methodChanged();
    return result;
}

void MeasurementSession::abandonRun(const RecoveryOffer &offer)
{
    m_recorder.abandonRun(offer.run);
}

void MeasurementSession::onLinkOpened()
{
    // What was held before the link went live proves nothing about the instrument now.
    m_liveSinceMs = m_clock.elapsed();
    m_readingAtMs = -1;
}

void MeasurementSession::onFrame(const FrameEvent &event)
{
    watchForAutoConfirm(event);
    m_link.noteFrame(event);
    switch (event.kind) {
    case FrameEvent::Kind::Reading:
    case FrameEvent::Kind::ZeroReading:
        if (m_link.isLive())
            m_readingAtMs = m_clock.elapsed();
        break;
    case FrameEvent::Kind::Zero:
        m_readingAtMs = -1; // the instrument cleared its reading
        break;
    case FrameEvent::Kind::Status:
        break;
    }
}

QString MeasurementSession::readingRefusal() const
{
    if (!m_link.isLive())
        return m_link.confirmRefusal();
    if (m_readingAtMs < 0 || m_readingAtMs < m_liveSinceMs)
        return tr("还没有新的读数，读数未录入");
    const qint64 limitMs = m_silentMs;
    if (m_clock.elapsed() - m_readingAtMs > limitMs)
        return tr("读数已超过 %1 秒没有更新，读数未录入").arg(limitMs / 1000);
    return {};
}

bool MeasurementSession::canConfirm() const
{
    return !m_run.IsComplete() && m_link.isLive() && !isLocked();
}

QString MeasurementSession::lockRefusal() const
{
    return isLocked() ? tr("窗口已锁定：输入密码后才能继续") : QString();
}

bool MeasurementSession::refusedWhileLocked()
{
    if (!isLocked())
        return false;
    setRefusal(lockRefusal());
    return true;
}

void MeasurementSession::onAccountChanged(const QString &account)
{
    // The readings from now on, and the runs after this one, are the new account's.
    m_login.account = account;
    m_login.inspector = account;
    m_recorder.setAccount(account);
    if (m_run.RowCount() == 0) {
        m_runLogin = LoginHeader(m_login);
        emit runLoginChanged();
    }
}

QString MeasurementSession::confirmBlockedReason() const
{
    if (isLocked())
        return lockRefusal();
    if (m_run.IsComplete())
        return tr("本次测量已完成；按“删除”开始新的测量");
    return m_link.isLive() ? QString() : m_link.confirmRefusal();
}

void MeasurementSession::setRefusal(const QString &text)
{
    m_refusal = text;
    emit stateChanged();
}

QString MeasurementSession::confirm(bool automatic)
{
    if (m_run.IsComplete())
        return {};
    if (refusedWhileLocked())
        return m_refusal;
    // Without a live link or a fresh reading the held value may be minutes old or none at all:
    // entering it would look like a real sample. Said on the state line, never in a box.
    if (const QString refused = readingRefusal(); !refused.isEmpty()) {
        setRefusal(refused);
        return refused;
    }
    // Whoever confirmed it, this reading is taken: auto-confirm waits for the next one.
    m_autoArmed = false;
    m_confirmedDegrees = m_degrees;
    m_recorder.confirm(QDateTime::currentDateTime(), automatic);
    if (!m_refusal.isEmpty())
        setRefusal({});
    return {};
}

void MeasurementSession::watchForAutoConfirm(const FrameEvent &event)
{
    if (event.kind != FrameEvent::Kind::Reading && event.kind != FrameEvent::Kind::ZeroReading)
        return;
    m_degrees = event.kind == FrameEvent::Kind::Reading ? ReadingDegrees(event.reading) : 0.0;
    // Before the link hears the frame, so that the unsettled moment it brings counts.
    constexpr double kRoundingSlack = 1e-9;
    if (!m_autoArmed
        && std::abs(m_degrees - m_confirmedDegrees) > m_stableTolerance + kRoundingSlack) {
        m_autoArmed = true;
        m_unsettledSinceArmed = false;
    }
}

void MeasurementSession::onStabilityChanged()
{
    if (!m_link.isStable())
        m_unsettledSinceArmed = true;
    tryAutoConfirm();
}

void MeasurementSession::tryAutoConfirm()
{
    if (m_method && m_method->autoConfirm && m_autoArmed && m_unsettledSinceArmed
        && m_link.isStable() && canConfirm() && readingRefusal().isEmpty())
        confirm(true);
}

QString MeasurementSession::deleteRun(const QString &reason)
{
    if (refusedWhileLocked())
        return m_refusal;
    if (m_accounts && reason.trimmed().isEmpty() && m_run.RowCount() > 0) {
        setRefusal(tr("删除要说明原因"));
        return m_refusal;
    }
    m_recorder.deleteRun(reason.trimmed(), m_accounts ? m_accounts->account() : QString());
    return {};
}

void MeasurementSession::setSampleCount(int count)
{
    if (refusedWhileLocked())
        return;
    if (m_method && count != m_method->sampleCount)
        leaveMethod(u"n"_s);
    m_run.SetSampleCount(count);
    m_login.sampleCount = m_run.SampleCount();
    if (m_settings.Read(Keys::kIsLock) == 0)
        m_settings.Write(Keys::kSampleCount, m_run.SampleCount());
}

void MeasurementSession::applyMode(const ModeChoice &choice)
{
    if (refusedWhileLocked())
        return;
    const ModeConstants &c = choice.constants;
    const ModeConstants &fixed = m_method ? m_method->constants : c;
    if (m_method
        && (ModeFromInt(choice.mode) != m_method->mode || c.a != fixed.a || c.lenC != fixed.lenC
            || c.C != fixed.C || c.lena != fixed.lena))
        leaveMethod(u"mode"_s);
    // The texts as typed, also those without a number, then the mode index as checked.
    m_settings.Write({ { Keys::kModeA, choice.a },
                       { Keys::kModeLenC, choice.lenC },
                       { Keys::kModeC, choice.C },
                       { Keys::kModeLena, choice.lena },
                       { Keys::kSelMode, choice.mode } });
    m_recorder.applyMode(ModeFromInt(choice.mode), choice.constants);
}

QString MeasurementSession::sendCommand(Command command)
{
    if (refusedWhileLocked())
        return m_refusal;
    std::uint8_t type = Frame::CMD_ZERO;
    JournalEvent sent = JournalEvent::ZeroSent;
    QString name = u"zero"_s;
    switch (command) {
    case Command::RetestPlus:
        type = Frame::CMD_RETEST_PLUS;
        sent = JournalEvent::RetestPlusSent;
        name = u"retest-plus"_s;
        break;
    case Command::RetestMinus:
        type = Frame::CMD_RETEST_MINUS;
        sent = JournalEvent::RetestMinusSent;
        name = u"retest-minus"_s;
        break;
    case Command::Zero:
        break;
    }
    const Frame::CommandFrame frame = BuildCommandFrame(type);
    // The journal records what the line took: a command without a line was not sent.
    if (m_port.Write(frame) < 0) {
        m_recorder.noteEvent(JournalEvent::CommandRefused, name);
        const QString refused = tr("仪器未连接，命令未发送");
        setRefusal(refused);
        return refused;
    }
    m_recorder.noteEvent(sent);
    return {};
}

bool MeasurementSession::acceptNewDevice()
{
    return m_port.AcceptNewDevice();
}

ReportContent MeasurementSession::reportContent() const
{
    // What the table shows: its values, mean and deviation as their texts.
    ReportContent content;
    content.mode = m_run.Mode();
    content.values = m_run.ValueTexts();
    content.mean = m_run.MeanText();
    content.deviation = m_run.DeviationText();
    content.unit = m_runLogin.unit;
    content.sampleName = m_runLogin.sampleName;
    content.batchNo = m_runLogin.batchNo;
    content.inspector = m_runLogin.inspector;
    return content;
}
