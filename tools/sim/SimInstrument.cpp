#include "SimInstrument.h"

#include "core/link/Frame.h"
#include "core/settings/Settings.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <limits>
#include <optional>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Frames planned ahead when sending flat out: enough to keep the terminal busy.
constexpr qsizetype kFlatOutBatch = 4096;

constexpr unsigned FaultBit(SimFault fault)
{
    return 1u << unsigned(fault);
}

} // namespace

CSimInstrument::CSimInstrument(SimOptions options, QObject *parent)
    : QObject(parent)
    , m_options(std::move(options))
    , m_random(m_options.seed)
    , m_stdout(stdout)
{
    m_clientPoll.setInterval(20);
    connect(&m_clientPoll, &QTimer::timeout, this, &CSimInstrument::CheckClient);
    m_schedule.setTimerType(Qt::PreciseTimer);
    if (m_options.rate > 0)
        m_schedule.setInterval(qMax(1, qRound(1000.0 / m_options.rate)));
    connect(&m_schedule, &QTimer::timeout, this, &CSimInstrument::SendNextScheduled);
    m_gap.setSingleShot(true);
    connect(&m_gap, &QTimer::timeout, this, [this] {
        m_gapDone = true;
        Pump();
    });
    m_unplugDue.setSingleShot(true);
    connect(&m_unplugDue, &QTimer::timeout, this, [this] {
        m_unplugPending = true; // once what is queued is on the line
        Pump();
    });
}

CSimInstrument::~CSimInstrument()
{
    m_readable.reset();
    m_writable.reset();
    if (m_master >= 0)
        ::close(m_master);
    if (!m_options.link.isEmpty() && QFileInfo(m_options.link).isSymLink())
        QFile::remove(m_options.link);
}

bool CSimInstrument::Start()
{
    if (!OpenTerminal())
        return false;
    Print(m_device);

    if (m_options.script) {
        ::fcntl(STDIN_FILENO, F_SETFL, ::fcntl(STDIN_FILENO, F_GETFL) | O_NONBLOCK);
        m_stdin = std::make_unique<QSocketNotifier>(STDIN_FILENO, QSocketNotifier::Read);
        connect(m_stdin.get(), &QSocketNotifier::activated, this, &CSimInstrument::ReadScript);
    }
    if (m_options.exitAfter >= 0)
        QTimer::singleShot(qRound(m_options.exitAfter * 1000), this, [this] { Finish(0); });

    m_clientPoll.start();
    CheckClient();
    return true;
}

// A terminal of its own, published under --link and in --settings: at the start and at every
// replug, as a USB adapter gets a new device when plugged in again.
bool CSimInstrument::OpenTerminal()
{
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    const char *name = m_master >= 0 && ::grantpt(m_master) == 0 && ::unlockpt(m_master) == 0
        ? ::ptsname(m_master)
        : nullptr;
    if (!name) {
        std::fprintf(stderr, "velmora-sim: no pseudo-terminal: %s\n", std::strerror(errno));
        return false;
    }
    m_device = QString::fromLocal8Bit(name);

    // Opening and closing the far end once sets raw mode and makes the terminal report a
    // hang-up until a program opens it: that is how a client is noticed.
    const int slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave >= 0) {
        termios raw {};
        if (::tcgetattr(slave, &raw) == 0) {
            ::cfmakeraw(&raw);
            ::tcsetattr(slave, TCSANOW, &raw);
        }
        ::close(slave);
    }

    if (!RenewLink()) {
        std::fprintf(stderr, "velmora-sim: cannot create the link %s\n",
                     qPrintable(m_options.link));
        return false;
    }
    if (!m_options.settings.isEmpty()) {
        Settings settings(m_options.settings);
        settings.Load();
        if (!settings.Write(SettingsKeys::PortKey { m_options.port }, m_device)) {
            std::fprintf(stderr, "velmora-sim: cannot write %s\n", qPrintable(m_options.settings));
            return false;
        }
    }

    m_readable = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Read);
    m_readable->setEnabled(false);
    connect(m_readable.get(), &QSocketNotifier::activated, this, &CSimInstrument::OnReadable);
    m_writable = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Write);
    m_writable->setEnabled(false);
    connect(m_writable.get(), &QSocketNotifier::activated, this, &CSimInstrument::Pump);
    return true;
}

// Replaced in one rename, so that a program looking at the link never finds it missing.
bool CSimInstrument::RenewLink()
{
    if (m_options.link.isEmpty())
        return true;
    const QFileInfo existing(m_options.link);
    if (existing.exists() && !existing.isSymLink())
        return false; // a file of the user's, not ours to replace
    const QByteArray link = QFile::encodeName(m_options.link);
    const QByteArray fresh = link + ".new";
    ::unlink(fresh.constData());
    return ::symlink(QFile::encodeName(m_device).constData(), fresh.constData()) == 0
        && ::rename(fresh.constData(), link.constData()) == 0;
}

void CSimInstrument::CheckClient()
{
    if (m_master < 0)
        return;
    pollfd p { m_master, POLLIN, 0 };
    if (::poll(&p, 1, 0) < 0)
        return;
    SetConnected((p.revents & POLLHUP) == 0);
}

void CSimInstrument::SetConnected(bool connected)
{
    if (connected == m_connected || m_done)
        return;
    m_connected = connected;
    if (connected) {
        m_everConnected = true;
        m_clientPoll.stop();
        Print(u"connected"_s);
        if (m_options.unplugAfter >= 0)
            m_unplugDue.start(qRound(m_options.unplugAfter * 1000));
        m_readable->setEnabled(true);
        while (!m_scriptLines.empty() && m_connected) {
            const QString line = m_scriptLines.front();
            m_scriptLines.pop_front();
            RunScriptLine(line);
        }
        if (!m_options.script) {
            if (m_options.rate > 0)
                m_schedule.start();
            SendNextScheduled();
        }
        Pump();
        return;
    }

    m_readable->setEnabled(false);
    m_writable->setEnabled(false);
    m_schedule.stop();
    m_gap.stop();
    m_unplugDue.stop();
    m_out.clear();
    SimFrames::CommandReader::Item item;
    while (m_reader.Flush(item))
        Print(u"received "_s + item.text);
    Print(u"disconnected"_s);
    if (m_options.stay)
        m_clientPoll.start();
    else
        Finish(0);
}

void CSimInstrument::OnReadable()
{
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n > 0) {
            m_reader.Append(QByteArray(buffer, n));
            continue;
        }
        if (n < 0 && errno == EAGAIN)
            break;
        // EIO: the program closed its end.
        SetConnected(false);
        return;
    }
    SimFrames::CommandReader::Item item;
    while (m_reader.Next(item)) {
        Print(u"received "_s + item.text);
        if (item.kind == SimFrames::CommandReader::Item::Command)
            OnCommand(item.type);
    }
}

void CSimInstrument::OnCommand(std::uint8_t type)
{
    const SimItem answer = type == Frame::CMD_ZERO ? SimItem { SimItem::Zero, 0 }
                                                   : SimItem { SimItem::Reading, FreshReading() };
    const QByteArray frame = FrameFor(answer);
    Queue(frame, u"sent "_s + Describe(answer) + u" (answer): "_s + SimFrames::Hex(frame));
    Pump();
}

void CSimInstrument::SendNextScheduled()
{
    if (!m_connected || m_done || m_options.script)
        return;
    const qint64 limit = m_options.count >= 0              ? m_options.count
        : !m_options.sequence.empty() && !m_options.repeat ? qint64(m_options.sequence.size())
                                                           : std::numeric_limits<qint64>::max();
    if (m_sent >= limit) {
        m_schedule.stop();
        if (!m_reportedDone)
            Print(u"done: %1 frames sent"_s.arg(m_sent));
        m_reportedDone = true;
        Pump();
        return;
    }

    // Flat out: plan a batch at a time, more when the terminal has taken it (see Pump).
    qsizetype planned = 0;
    do {
        const SimItem item = m_options.sequence.empty()
            ? SimItem { SimItem::Reading, FreshReading() }
            : m_options.sequence[m_nextItem++ % m_options.sequence.size()];
        Plan(item, DueFaults(m_sent + 1));
        planned += m_out.empty() ? 0 : m_out.back().bytes.size();
    } while (m_options.rate <= 0 && planned < kFlatOutBatch && m_sent < limit);
    Pump();
}

unsigned CSimInstrument::DueFaults(qint64 n) const
{
    unsigned faults = 0;
    for (const SimFaultRule &rule : m_options.faults) {
        if (n % rule.every == 0)
            faults |= FaultBit(rule.fault);
    }
    return faults;
}

void CSimInstrument::Plan(const SimItem &item, unsigned faults)
{
    ++m_sent;
    const auto has = [faults](SimFault fault) {
        return (faults & FaultBit(fault)) != 0;
    };
    if (has(SimFault::Burst)) {
        QueueBurst(m_options.burstSize);
        return;
    }
    if (has(SimFault::Garbage))
        QueueGarbage(m_options.garbageSize);
    QByteArray frame = FrameFor(item);
    QString note = u"sent "_s + Describe(item);
    if (has(SimFault::BadCheck)) {
        frame = SimFrames::WithBadCheck(frame);
        note += u" with a bad check byte"_s;
    }
    if (has(SimFault::BadEnd)) {
        frame = SimFrames::WithBadEnd(frame);
        note += u" with a bad end byte"_s;
    }
    note += u": "_s + SimFrames::Hex(frame);
    if (has(SimFault::Split)) {
        const qsizetype half = frame.size() / 2;
        Queue(frame.left(half), QString());
        Queue(frame.mid(half), note + u" (split after byte %1)"_s.arg(half), m_options.splitGapMs);
    } else {
        Queue(frame, note);
    }
}

void CSimInstrument::QueueBurst(int leastBytes)
{
    QByteArray burst;
    int frames = 0;
    while (burst.size() < leastBytes) {
        burst += SimFrames::MakeReadingFrame(FreshReading());
        ++frames;
    }
    Queue(burst, u"sent burst of %1 readings (%2 bytes)"_s.arg(frames).arg(burst.size()));
}

void CSimInstrument::QueueGarbage(int size)
{
    const QByteArray garbage = SimFrames::Garbage(size, m_random.generate());
    Queue(garbage, u"sent garbage: "_s + SimFrames::Hex(garbage));
}

void CSimInstrument::Queue(QByteArray bytes, const QString &note, int gapBeforeMs)
{
    m_out.push_back({ std::move(bytes), gapBeforeMs, note });
}

void CSimInstrument::Pump()
{
    while (!m_out.empty() && m_connected) {
        Chunk &chunk = m_out.front();
        if (chunk.gapBeforeMs > 0 && !m_gapDone) {
            m_writable->setEnabled(false);
            if (!m_gap.isActive())
                m_gap.start(chunk.gapBeforeMs);
            return;
        }
        const ssize_t n = ::write(m_master, chunk.bytes.constData(), size_t(chunk.bytes.size()));
        if (n < 0) {
            // EAGAIN: the program has not read yet. Anything else: the reader sees it go away.
            m_writable->setEnabled(errno == EAGAIN);
            return;
        }
        chunk.bytes.remove(0, n);
        if (!chunk.bytes.isEmpty()) {
            m_writable->setEnabled(true);
            return;
        }
        if (!m_options.quiet && !chunk.note.isEmpty())
            Print(chunk.note);
        m_out.pop_front();
        m_gapDone = false;
    }
    if (m_writable)
        m_writable->setEnabled(false);
    if (!m_out.empty() || !m_connected)
        return;
    if (m_unplugPending)
        Unplug();
    else if (m_quitPending)
        Finish(0);
    else if (m_options.rate <= 0 && !m_options.script)
        QTimer::singleShot(0, this, &CSimInstrument::SendNextScheduled);
}

void CSimInstrument::ReadScript()
{
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n > 0) {
            m_stdinPending.append(buffer, n);
            continue;
        }
        if (n == 0 || errno != EAGAIN)
            m_stdin->setEnabled(false); // end of the script: keep answering commands
        break;
    }
    qsizetype end = 0;
    while ((end = m_stdinPending.indexOf('\n')) >= 0) {
        const QString line = QString::fromUtf8(m_stdinPending.left(end)).trimmed();
        m_stdinPending.remove(0, end + 1);
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        if (m_connected && m_scriptLines.empty())
            RunScriptLine(line);
        else
            m_scriptLines.push_back(line);
    }
}

void CSimInstrument::RunScriptLine(const QString &line)
{
    const QStringList words = line.split(u' ', Qt::SkipEmptyParts);
    const QString verb = words.constFirst().toLower();
    const QString rest = words.mid(1).join(u' ');
    std::optional<SimFault> fault;
    if (verb == u"bad-check")
        fault = SimFault::BadCheck;
    else if (verb == u"bad-end")
        fault = SimFault::BadEnd;
    else if (verb == u"split")
        fault = SimFault::Split;

    bool ok = true;
    if (verb == u"quit") {
        m_quitPending = true; // once everything before it is on the line
    } else if (verb == u"unplug") {
        m_unplugPending = true;
    } else if (fault) {
        const auto item = SimItem::Parse(rest);
        ok = item.has_value();
        if (ok)
            Plan(*item, FaultBit(*fault));
    } else if (verb == u"garbage") {
        const int size = rest.toInt(&ok);
        if (ok)
            QueueGarbage(size);
    } else if (verb == u"burst") {
        const int least = rest.toInt(&ok);
        if (ok)
            QueueBurst(least);
    } else if (verb == u"raw") {
        const QByteArray bytes = QByteArray::fromHex(rest.toLatin1());
        ok = !bytes.isEmpty();
        Queue(bytes, u"sent raw: "_s + SimFrames::Hex(bytes));
    } else if (const auto item = SimItem::Parse(line)) {
        Plan(*item, 0);
    } else {
        ok = false;
    }
    if (!ok)
        std::fprintf(stderr, "velmora-sim: bad script line: %s\n", qPrintable(line));
    Pump();
}

void CSimInstrument::Unplug()
{
    if (m_done)
        return;
    // The notifiers may be the callers: silence them, delete them with the instrument.
    m_readable->setEnabled(false);
    m_writable->setEnabled(false);
    ::close(m_master);
    m_master = -1;
    // The device goes, and its name with it: a link left behind could come to point at a
    // terminal that another program opens under the same number.
    if (!m_options.link.isEmpty() && QFileInfo(m_options.link).isSymLink())
        QFile::remove(m_options.link);
    m_connected = false;
    m_unplugPending = false;
    m_schedule.stop();
    m_unplugDue.stop();
    Print(u"unplugged"_s);
    if (m_options.replugAfter < 0)
        return Finish(0);
    QTimer::singleShot(qRound(m_options.replugAfter * 1000), this, &CSimInstrument::Replug);
}

void CSimInstrument::Replug()
{
    if (m_done)
        return;
    if (!OpenTerminal())
        return Finish(1);
    Print(u"replugged "_s + m_device);
    m_clientPoll.start();
    CheckClient();
}

void CSimInstrument::Finish(int exitCode)
{
    if (m_done)
        return;
    m_done = true;
    m_schedule.stop();
    m_clientPoll.stop();
    m_stdout.flush();
    emit finished(exitCode);
}

QByteArray CSimInstrument::FrameFor(const SimItem &item) const
{
    switch (item.kind) {
    case SimItem::Reading:
        return SimFrames::MakeReadingFrame(item.reading);
    case SimItem::AReading:
        return BuildFrame(Frame::FRAME_READING, "A");
    case SimItem::Zero:
        return BuildFrame(Frame::FRAME_ZERO);
    case SimItem::Status:
        return BuildFrame(Frame::FRAME_STATUS);
    }
    return {};
}

QString CSimInstrument::Describe(const SimItem &item) const
{
    switch (item.kind) {
    case SimItem::Reading:
        return u"reading "_s + QString::asprintf("%+06ld", item.reading);
    case SimItem::AReading:
        return u"A reading"_s;
    case SimItem::Zero:
        return u"zero frame"_s;
    case SimItem::Status:
        return u"status frame"_s;
    }
    return {};
}

long CSimInstrument::FreshReading()
{
    if (m_options.noise <= 0)
        return m_options.value;
    return m_options.value
        + long(m_random.bounded(-qint64(m_options.noise), qint64(m_options.noise) + 1));
}

void CSimInstrument::Print(const QString &line)
{
    m_stdout << line << Qt::endl;
}
