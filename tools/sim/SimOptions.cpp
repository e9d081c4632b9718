#include "SimOptions.h"

#include <QCommandLineParser>

using namespace Qt::StringLiterals;

namespace {

constexpr auto kDescription = R"help(Simulated polarimeter on a pseudo-terminal.

Prints the terminal's device path on the first line of standard output, waits until a program
opens it, then sends frames (0x02, length, type, payload, check byte, 0x03): readings, "A"
readings, zero and status frames. It answers the zero command with a zero frame and each retest
command with a fresh reading, and prints every frame it receives, checked ("CMD_ZERO: 02 01 02 01
03", "bad frame (check byte ...)"). Ends when the program closes the terminal (unless --stay).

Sequence items: a reading in thousandths of a degree (12345, -500), A (an "A" reading), Z (a zero
frame), S (a status frame).

Faults (--fault=KIND[:N], on every N-th frame sent, N = 1 by default; repeat the option for more):
  bad-check  spoil the check byte        bad-end  spoil the end byte
  split      send the frame in two writes, --split-gap ms apart
  garbage    send --garbage-size printable bytes (never 0x02) before the frame
  burst      send a run of readings of at least --burst-size bytes in one write

Script (--script), one step per line on standard input:
  ITEM | bad-check ITEM | bad-end ITEM | split ITEM | garbage N | burst BYTES | raw HEX... |
  unplug | quit

Unplug and replug (--unplug-after, --replug-after): the terminal is closed as if the cable were
pulled, and with --replug-after a new terminal takes its place, under the same --link and
--settings mapping; the stream goes on where it stopped once a program opens it. The new terminal
is another device: Velmora names it and opens it only once the port is chosen again.
Output lines: "connected", "disconnected", "sent ...", "received ...", "unplugged",
"replugged DEVICE", "done ...".)help";

std::optional<SimFault> ParseFault(QStringView name)
{
    if (name == u"bad-check")
        return SimFault::BadCheck;
    if (name == u"bad-end")
        return SimFault::BadEnd;
    if (name == u"split")
        return SimFault::Split;
    if (name == u"garbage")
        return SimFault::Garbage;
    if (name == u"burst")
        return SimFault::Burst;
    return std::nullopt;
}

} // namespace

std::optional<SimItem> SimItem::Parse(QStringView text)
{
    text = text.trimmed();
    if (text.compare(u"A", Qt::CaseInsensitive) == 0)
        return SimItem { AReading, 0 };
    if (text.compare(u"Z", Qt::CaseInsensitive) == 0)
        return SimItem { Zero, 0 };
    if (text.compare(u"S", Qt::CaseInsensitive) == 0)
        return SimItem { Status, 0 };
    bool ok = false;
    const long r = text.toLong(&ok);
    if (!ok)
        return std::nullopt;
    return SimItem { Reading, r };
}

std::optional<SimOptions> ParseSimOptions(const QStringList &arguments, QString &error,
                                          QString &text)
{
    error.clear();
    text.clear();
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8(kDescription));
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({ u"h"_s, u"help"_s }, u"Show this help."_s);
    const QCommandLineOption sequence(u"sequence"_s,
                                      u"Send these items in order, comma-separated "
                                      u"(e.g. 12345,-500,A,Z,S)."_s,
                                      u"items"_s);
    const QCommandLineOption repeat(u"repeat"_s, u"Play the sequence again and again."_s);
    const QCommandLineOption value(u"value"_s,
                                   u"Reading of the steady stream and of retest answers, in "
                                   u"thousandths of a degree (default 12345)."_s,
                                   u"r"_s);
    const QCommandLineOption noise(
        u"noise"_s, u"Add uniform noise of up to +-n thousandths (default 0)."_s, u"n"_s);
    const QCommandLineOption seed(u"seed"_s, u"Seed of the noise and the garbage (default 1)."_s,
                                  u"n"_s);
    const QCommandLineOption rate(u"rate"_s,
                                  u"Frames per second (default 2); 0 sends as fast as the line "
                                  u"takes them."_s,
                                  u"hz"_s);
    const QCommandLineOption count(u"count"_s,
                                   u"Frames to send (default: the sequence once, or no end for "
                                   u"the stream)."_s,
                                   u"n"_s);
    const QCommandLineOption fault(u"fault"_s,
                                   u"Inject a fault: bad-check, bad-end, split, garbage, burst, "
                                   u"each optionally :N (every N-th frame)."_s,
                                   u"kind[:n]"_s);
    const QCommandLineOption garbageSize(u"garbage-size"_s,
                                         u"Bytes of garbage per fault (default 16)."_s, u"n"_s);
    const QCommandLineOption burstSize(u"burst-size"_s,
                                       u"Least bytes of a burst (default 12000)."_s, u"n"_s);
    const QCommandLineOption splitGap(u"split-gap"_s,
                                      u"Pause inside a split frame in ms (default 50)."_s, u"ms"_s);
    const QCommandLineOption unplugAfter(u"unplug-after"_s,
                                         u"Close the terminal s seconds after a program has "
                                         u"opened it, as if unplugged."_s,
                                         u"s"_s);
    const QCommandLineOption replugAfter(u"replug-after"_s,
                                         u"Open a new terminal s seconds after each unplug "
                                         u"(default: end at the unplug)."_s,
                                         u"s"_s);
    const QCommandLineOption exitAfter(u"exit-after"_s, u"End after this many seconds."_s, u"s"_s);
    const QCommandLineOption script(u"script"_s,
                                    u"Take the steps from standard input instead (see above)."_s);
    const QCommandLineOption stay(
        u"stay"_s, u"When the program closes the terminal, wait for the next one."_s);
    const QCommandLineOption quiet(u"quiet"_s, u"Do not print the frames sent."_s);
    const QCommandLineOption link(u"link"_s,
                                  u"Keep PATH a symbolic link to the current terminal (renewed "
                                  u"at each replug, removed at the end)."_s,
                                  u"path"_s);
    const QCommandLineOption settings(u"settings"_s,
                                      u"Map --port to the terminal in this Velmora.ini (section "
                                      u"[ports]; every other line is kept)."_s,
                                      u"file"_s);
    const QCommandLineOption port(u"port"_s, u"Port name mapped by --settings (default COM1)."_s,
                                  u"COMn"_s, u"COM1"_s);
    parser.addOptions(
        { help,   sequence, repeat,      value,     noise,    seed,        rate,
          count,  fault,    garbageSize, burstSize, splitGap, unplugAfter, exitAfter,
          script, stay,     quiet,       link,      settings, port,        replugAfter });

    if (!parser.parse(arguments)) {
        error = parser.errorText();
        return std::nullopt;
    }
    if (parser.isSet(help)) {
        text = parser.helpText();
        return std::nullopt;
    }
    if (!parser.positionalArguments().isEmpty()) {
        error = u"unexpected argument: "_s + parser.positionalArguments().first();
        return std::nullopt;
    }

    SimOptions options;
    auto number = [&](const QCommandLineOption &option, auto &target, double least) {
        if (!parser.isSet(option))
            return true;
        bool ok = false;
        const double v = parser.value(option).toDouble(&ok);
        if (!ok || v < least) {
            error =
                u"bad value for --%1: %2"_s.arg(option.names().constFirst(), parser.value(option));
            return false;
        }
        target = static_cast<std::remove_reference_t<decltype(target)>>(v);
        return true;
    };
    if (!number(value, options.value, -1e9) || !number(noise, options.noise, 0)
        || !number(seed, options.seed, 0) || !number(rate, options.rate, 0)
        || !number(count, options.count, 0) || !number(garbageSize, options.garbageSize, 0)
        || !number(burstSize, options.burstSize, 1) || !number(splitGap, options.splitGapMs, 0)
        || !number(unplugAfter, options.unplugAfter, 0)
        || !number(replugAfter, options.replugAfter, 0) || !number(exitAfter, options.exitAfter, 0))
        return std::nullopt;

    if (parser.isSet(sequence)) {
        for (const QString &part : parser.value(sequence).split(u',', Qt::SkipEmptyParts)) {
            const auto item = SimItem::Parse(part);
            if (!item) {
                error = u"bad sequence item: "_s + part;
                return std::nullopt;
            }
            options.sequence.push_back(*item);
        }
        if (options.sequence.empty()) {
            error = u"empty sequence"_s;
            return std::nullopt;
        }
    }
    for (const QString &rule : parser.values(fault)) {
        const QStringList parts = rule.split(u':');
        const auto kind = ParseFault(parts.constFirst());
        bool ok = parts.size() <= 2;
        const int every = parts.size() == 2 ? parts[1].toInt(&ok) : 1;
        if (!kind || !ok || every < 1) {
            error = u"bad fault: "_s + rule;
            return std::nullopt;
        }
        options.faults.push_back({ *kind, every });
    }
    options.repeat = parser.isSet(repeat);
    options.script = parser.isSet(script);
    options.stay = parser.isSet(stay);
    options.quiet = parser.isSet(quiet);
    options.link = parser.value(link);
    options.settings = parser.value(settings);
    options.port = parser.value(port);
    return options;
}
