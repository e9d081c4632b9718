#include "SimFrames.h"

#include "core/link/Frame.h"

#include <QRandomGenerator>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace SimFrames {

namespace {

QString CommandName(std::uint8_t type)
{
    switch (type) {
    case Frame::CMD_ZERO:
        return u"CMD_ZERO"_s;
    case Frame::CMD_RETEST_PLUS:
        return u"CMD_RETEST_PLUS"_s;
    case Frame::CMD_RETEST_MINUS:
        return u"CMD_RETEST_MINUS"_s;
    default:
        return {};
    }
}

} // namespace

QByteArray MakeReadingFrame(long r)
{
    char text[24];
    const int n = std::snprintf(text, sizeof text, "%+06ld", r);
    return BuildFrame(Frame::FRAME_READING, QByteArrayView(text, n));
}

QByteArray WithBadCheck(QByteArray frame)
{
    frame[frame.size() - 2] = char(frame[frame.size() - 2] ^ 0x5A);
    return frame;
}

QByteArray WithBadEnd(QByteArray frame)
{
    frame[frame.size() - 1] = char(Frame::kEnd + 1);
    return frame;
}

QByteArray Garbage(int size, std::uint32_t seed)
{
    QRandomGenerator random(seed);
    QByteArray bytes(qMax(0, size), Qt::Uninitialized);
    for (char &c : bytes)
        c = char(random.bounded(0x20, 0x7F));
    return bytes;
}

QString Hex(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

bool CommandReader::Next(Item &item)
{
    const qsizetype start = m_pending.indexOf(char(Frame::kStart));
    if (start != 0) {
        if (m_pending.isEmpty())
            return false;
        const qsizetype stray = start < 0 ? m_pending.size() : start;
        item = { Item::Stray, 0, u"stray bytes: "_s + Hex(m_pending.left(stray)) };
        m_pending.remove(0, stray);
        return true;
    }
    if (m_pending.size() < 2)
        return false;
    const int length = std::uint8_t(m_pending[1]);
    const qsizetype size = length + 4;
    if (m_pending.size() < size)
        return false;

    const QByteArray frame = m_pending.left(size);
    m_pending.remove(0, size);
    const std::uint8_t type = std::uint8_t(frame[2]);
    const char check = length < 1 ? 0 : BuildFrame(type, frame.mid(3, length - 1))[length + 2];
    if (length < 1) {
        item = { Item::BadFrame, type, u"bad frame (length 0): "_s + Hex(frame) };
    } else if (frame[length + 2] != check) {
        item = { Item::BadFrame, type,
                 u"bad frame (check byte %1, expected %2): "_s.arg(Hex(frame.mid(length + 2, 1)),
                                                                   Hex(QByteArray(1, check)))
                     + Hex(frame) };
    } else if (frame[length + 3] != char(Frame::kEnd)) {
        item = { Item::BadFrame, type,
                 u"bad frame (end byte %1): "_s.arg(Hex(frame.mid(length + 3, 1))) + Hex(frame) };
    } else if (length == 1 && !CommandName(type).isEmpty()) {
        item = { Item::Command, type, CommandName(type) + u": "_s + Hex(frame) };
    } else {
        item = { Item::OtherFrame, type,
                 u"frame of type %1 (no command): "_s.arg(type) + Hex(frame) };
    }
    return true;
}

bool CommandReader::Flush(Item &item)
{
    if (Next(item))
        return true;
    if (m_pending.isEmpty())
        return false;
    item = { Item::Stray, 0, u"incomplete frame: "_s + Hex(m_pending) };
    m_pending.clear();
    return true;
}

} // namespace SimFrames
