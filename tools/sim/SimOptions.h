#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// One step of what the instrument sends on its own.
struct SimItem
{
    enum Kind { Reading, AReading, Zero, Status } kind = Reading;
    long reading = 0; // thousandths of a degree, Reading only

    static std::optional<SimItem> Parse(QStringView text);
};

enum class SimFault { BadCheck, BadEnd, Split, Garbage, Burst };

struct SimFaultRule
{
    SimFault fault = SimFault::BadCheck;
    int every = 1; // applies to every n-th frame sent
};

struct SimOptions
{
    std::vector<SimItem> sequence; // empty: a steady stream of `value` readings
    bool repeat = false;
    long value = 12345;
    long noise = 0;
    quint32 seed = 1;
    double rate = 2.0; // frames per second; 0: as fast as the line takes them
    qint64 count = -1; // frames to send; -1: the sequence once, or without end for a stream
    std::vector<SimFaultRule> faults;
    int garbageSize = 16;
    int burstSize = 12000;
    int splitGapMs = 50;
    double unplugAfter = -1; // seconds after each connection; -1: never
    double replugAfter = -1; // seconds after each unplug; -1: end at the unplug
    double exitAfter = -1; // seconds
    bool script = false; // steps come from standard input, no stream of its own
    bool stay = false; // wait for the next client instead of ending when one leaves
    bool quiet = false;
    QString link;
    QString settings; // a settings file whose port `port` is mapped to the terminal
    QString port = QStringLiteral("COM1");
};

// Parses the command line (the first argument is the program). On a mistake returns nothing and
// sets `error`; with --help sets `text` to what to print and returns nothing with `error` empty.
std::optional<SimOptions> ParseSimOptions(const QStringList &arguments, QString &error,
                                          QString &text);
