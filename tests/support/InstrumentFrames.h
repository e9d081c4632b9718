#pragma once

#include "core/link/Frame.h"

#include <QByteArray>
#include <QByteArrayView>

// Frames as the polarimeter sends them; any other frame is BuildFrame(type, payload).
QByteArray ReadingFrame(long r); // text "%+06ld", as the instrument writes it
QByteArray ReadingFrame(QByteArrayView text);
