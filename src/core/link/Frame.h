#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <array>
#include <cstdint>
#include <span>

// Frames in both directions: 0x02, length L, type, L - 1 payload bytes, check byte, 0x03.
// The check byte makes the exclusive-or of every byte before the end byte zero.
namespace Frame {

inline constexpr std::uint8_t kStart = 0x02;
inline constexpr std::uint8_t kEnd = 0x03;

enum Type : std::uint8_t {
    FRAME_READING = 1,
    FRAME_ZERO = 2,
    FRAME_STATUS = 7,
};

enum Command : std::uint8_t {
    CMD_ZERO = 2,
    CMD_RETEST_PLUS = 3,
    CMD_RETEST_MINUS = 4,
};

using CommandFrame = std::array<std::uint8_t, 5>;

} // namespace Frame

// True when the exclusive-or of the first L + 3 bytes is zero and byte L + 3 is the end byte.
// The caller guarantees that at least L + 4 bytes are readable.
bool IsFrameValid(std::span<const std::uint8_t> bytes, int length);

Frame::CommandFrame BuildCommandFrame(std::uint8_t type);

// A frame of any type around any payload of at most 254 bytes: what the instrument sends.
QByteArray BuildFrame(std::uint8_t type, QByteArrayView payload = {});
