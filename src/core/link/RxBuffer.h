#pragma once

#include <array>
#include <cstdint>

// The receive area that the receive thread fills and the decoder consumes. It is a linear area,
// not a ring: held bytes lie in data[nStart, nStart + nCount) in arrival order.
// Invariant: 0 <= nStart, 0 <= nCount, nStart + nCount <= kSize.
struct RxBuffer
{
    static constexpr int kSize = 10000;

    int nStart = 0;
    int nCount = 0;
    std::array<std::uint8_t, kSize> data {};
};
