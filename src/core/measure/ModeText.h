#pragma once

#include "core/measure/Conversions.h"

#include <QJsonObject>
#include <QString>

// The mode and its constants as exports carry them for other programs: a name that stays the
// same in every language, and numbers that read back as the very constants measured with.

// "optical-rotation", "sugar-degree", "concentration", "specific-rotation".
QString ModeName(MeasurementMode mode);

// The shortest text that reads back as the same single-precision value: 1.1, not 1.10000002.
QString ConstantText(float value);

// The constants as JSON numbers: {"a", "lenC", "C", "lena"}.
QJsonObject ModeConstantsJson(const ModeConstants &constants);
