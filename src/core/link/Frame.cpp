#include "core/link/Frame.h"

#include <utility>

bool IsFrameValid(std::span<const std::uint8_t> bytes, int length)
{
    if (length < 0 || bytes.size() < static_cast<std::size_t>(length) + 4)
        return false;
    std::uint8_t check = 0;
    for (int i = 0; i < length + 3; ++i)
        check ^= bytes[i];
    return check == 0 && bytes[length + 3] == Frame::kEnd;
}

Frame::CommandFrame BuildCommandFrame(std::uint8_t type)
{
    const std::uint8_t check = Frame::kStart ^ 0x01 ^ type;
    return { Frame::kStart, 0x01, type, check, Frame::kEnd };
}

QByteArray BuildFrame(std::uint8_t type, QByteArrayView payload)
{
    QByteArray frame;
    frame.reserve(payload.size() + 5);
    frame += char(Frame::kStart);
    frame += char(payload.size() + 1);
    frame += char(type);
    frame += payload;
    char check = 0;
    for (const char c : std::as_const(frame))
        check ^= c;
    frame += check;
    frame += char(Frame::kEnd);
    return frame;
}
