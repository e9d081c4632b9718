#pragma once

#include <QByteArray>
#include <QSocketNotifier>
#include <QString>

#include <memory>

// The instrument's end of a pseudo-terminal: the test writes and reads the master side, the
// channel opens the slave device by its path. Writes go out as the line takes them, while
// events run.
class PtyPair
{
public:
    PtyPair();
    ~PtyPair();

    bool IsValid() const { return m_master >= 0; }
    QString SlavePath() const { return m_slavePath; }

    // Queues bytes for the line; they go out in order as fast as the terminal takes them.
    void Send(const QByteArray &bytes);
    bool AllSent() const { return m_out.isEmpty(); }

    // Everything the channel wrote so far.
    QByteArray Received();

    // The instrument is unplugged.
    void CloseMaster();
    // The line fails while the device stays, as after a USB bus reset: the channel's next read
    // gets end-of-file.
    void FailLine();
    // Whether a program holds the channel's end open.
    bool IsOpenAtFarEnd() const;

private:
    void Pump();

    int m_master = -1;
    QString m_slavePath;
    QByteArray m_out;
    QByteArray m_in;
    std::unique_ptr<QSocketNotifier> m_writable;
};
