#pragma once

#include "core/link/RxBuffer.h"

#include <QtGlobal>

// Room-keeping of the receive area, done by the receive thread before each read while it holds
// the read permission.

// The longest frame: start, length 255, 254 payload bytes, type, check and end byte.
inline constexpr int kLongestFrame = 255 + 4;

// Free room behind the held bytes.
int RxFreeRoom(const RxBuffer &rx);

// Prepares the area for up to `wanted` new bytes and returns how many held bytes it dropped.
// - Nothing held: the next read starts at the front.
// - Held bytes too close to the end for what waits: they move to the front of the area.
// - The area is full: the decoder has scanned every held byte and consumed none, so no complete
//   frame lies among them. Only a frame whose tail is still to come can start in the last
//   kLongestFrame - 1 bytes; everything before them is dropped, so the link never stalls and no
//   frame that could still complete is lost.
// Held bytes keep their order; nothing is added. An area whose start and count break its
// invariant is emptied (its bytes count as dropped).
int MakeRxRoom(RxBuffer &rx, qsizetype wanted);
