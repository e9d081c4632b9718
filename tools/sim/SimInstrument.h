#pragma once

#include "SimFrames.h"
#include "SimOptions.h"

#include <QByteArray>
#include <QObject>
#include <QRandomGenerator>
#include <QSocketNotifier>
#include <QTextStream>
#include <QTimer>

#include <deque>
#include <memory>

// The polarimeter at the far end of a pseudo-terminal.
class CSimInstrument : public QObject
{
    Q_OBJECT

public:
    explicit CSimInstrument(SimOptions options, QObject *parent = nullptr);
    ~CSimInstrument() override;

    // Creates the terminal and prints its device path; false (with a message) on failure.
    bool Start();

signals:
    void finished(int exitCode);

private:
    struct Chunk
    {
        QByteArray bytes;
        int gapBeforeMs = 0; // pause before the first byte, to make the far end read twice
        QString note; // printed once the chunk is written
    };

    void CheckClient();
    void SetConnected(bool connected);
    void OnReadable();
    void OnCommand(std::uint8_t type);
    void SendNextScheduled();
    // The faults due for the n-th frame, as bits 1 << SimFault.
    unsigned DueFaults(qint64 n) const;
    // Queues the item's frame with the given faults, and counts it.
    void Plan(const SimItem &item, unsigned faults);
    void QueueBurst(int leastBytes);
    void QueueGarbage(int size);
    void Queue(QByteArray bytes, const QString &note, int gapBeforeMs = 0);
    void Pump();
    void RunScriptLine(const QString &line);
    void ReadScript();
    void Unplug();
    bool OpenTerminal();
    bool RenewLink();
    void Replug();
    void Finish(int exitCode);
    QByteArray FrameFor(const SimItem &item) const;
    QString Describe(const SimItem &item) const;
    long FreshReading();
    void Print(const QString &line);

    SimOptions m_options;
    int m_master = -1;
    QString m_device;
    bool m_connected = false;
    bool m_everConnected = false;
    bool m_done = false;
    bool m_reportedDone = false;
    bool m_unplugPending = false; // close the terminal once the queue is on the line
    bool m_quitPending = false;
    qint64 m_sent = 0; // frames planned so far, faults included
    std::size_t m_nextItem = 0;
    std::deque<Chunk> m_out;
    bool m_gapDone = false;
    SimFrames::CommandReader m_reader;
    QRandomGenerator m_random;
    QTimer m_clientPoll;
    QTimer m_schedule;
    QTimer m_gap;
    QTimer m_unplugDue; // --unplug-after, from each connection
    std::unique_ptr<QSocketNotifier> m_readable;
    std::unique_ptr<QSocketNotifier> m_writable;
    std::unique_ptr<QSocketNotifier> m_stdin;
    QByteArray m_stdinPending;
    std::deque<QString> m_scriptLines; // waiting for a client
    QTextStream m_stdout;
};
