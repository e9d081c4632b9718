#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

// Frames as the polarimeter sends them, and the reading of what the PC sends back.
namespace SimFrames {

// A reading of r thousandths of a degree, its text as the instrument writes it ("%+06ld").
QByteArray MakeReadingFrame(long r);

// The same frame with its check byte or its end byte spoiled.
QByteArray WithBadCheck(QByteArray frame);
QByteArray WithBadEnd(QByteArray frame);

// Line noise that can never start a frame: printable bytes only (no 0x02, no 0x03).
QByteArray Garbage(int size, std::uint32_t seed);

// "02 01 02 01 03"
QString Hex(const QByteArray &bytes);

// Splits what the PC sent into frames and tells what each one is, one line per item, as it
// completes: "CMD_ZERO: 02 01 02 01 03", "bad frame (check byte 05, expected 01): ...",
// "stray bytes: ...". Bytes of an incomplete frame stay until the rest arrives.
class CommandReader
{
public:
    struct Item
    {
        enum Kind { Command, OtherFrame, BadFrame, Stray } kind = Stray;
        std::uint8_t type = 0; // Command and OtherFrame
        QString text; // the line to print
    };

    void Append(const QByteArray &bytes) { m_pending += bytes; }
    // The next complete item, if any.
    bool Next(Item &item);
    // What is left when the line goes away.
    bool Flush(Item &item);

private:
    QByteArray m_pending;
};

} // namespace SimFrames
