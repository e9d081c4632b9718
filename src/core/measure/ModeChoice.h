#pragma once

#include "core/measure/Conversions.h"

#include <QString>

// What OK in the mode dialog chose. A text without a number keeps the constant the dialog was
// shown with; the texts themselves are kept as typed, for the settings file.
struct ModeChoice
{
    int mode = -1; // the checked button's index; -1: none
    ModeConstants constants;
    QString a;
    QString lenC;
    QString C;
    QString lena;
};
