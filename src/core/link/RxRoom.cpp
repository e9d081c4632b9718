#include "core/link/RxRoom.h"

#include <cstring>

int RxFreeRoom(const RxBuffer &rx)
{
    return RxBuffer::kSize - rx.nStart - rx.nCount;
}

int MakeRxRoom(RxBuffer &rx, qsizetype wanted)
{
    // The owner's decoder edits the area between reads; never write outside it on its word.
    if (rx.nStart < 0 || rx.nCount < 0 || rx.nCount > RxBuffer::kSize - rx.nStart) {
        const int lost = qBound(0, rx.nCount, RxBuffer::kSize);
        rx.nStart = 0;
        rx.nCount = 0;
        return lost;
    }
    if (rx.nCount == 0) {
        rx.nStart = 0;
        return 0;
    }
    int dropped = 0;
    if (rx.nCount == RxBuffer::kSize) {
        constexpr int kKeep = kLongestFrame - 1;
        dropped = rx.nCount - kKeep;
        rx.nStart += dropped;
        rx.nCount = kKeep;
    }
    if (rx.nStart > 0 && RxFreeRoom(rx) < wanted) {
        std::memmove(rx.data.data(), rx.data.data() + rx.nStart, static_cast<size_t>(rx.nCount));
        rx.nStart = 0;
    }
    return dropped;
}
