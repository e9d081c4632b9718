#include "InstrumentFrames.h"

#include <cstdio>

QByteArray ReadingFrame(long r)
{
    char text[24];
    const int n = std::snprintf(text, sizeof text, "%+06ld", r);
    return ReadingFrame(QByteArrayView(text, n));
}

QByteArray ReadingFrame(QByteArrayView text)
{
    return BuildFrame(Frame::FRAME_READING, text);
}
