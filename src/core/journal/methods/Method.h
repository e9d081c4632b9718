#pragma once

#include "core/journal/store/JournalTypes.h"

#include <QString>

#include <optional>

// A named way of measuring one product again and again: the mode and its constants, the number
// of readings, the limits of the result (inclusive; either may be absent), the decimals the result
// is judged at, and whether a stable reading is confirmed by itself. Each change is a new
// version; the old ones stay in the journal.
struct Method
{
    static constexpr int kMaxNameLength = 64;
    // As the sampling dialog allows.
    static constexpr int kMinSampleCount = 1;
    static constexpr int kMaxSampleCount = 100;
    // The table shows three decimals; a result is never judged finer than it is shown.
    static constexpr int kMaxDecimals = 3;

    QString name;
    int version = 0; // 1 for the first; 0 before it is stored
    MeasurementMode mode = MeasurementMode::OpticalRotation;
    ModeConstants constants;
    int sampleCount = 12;
    std::optional<double> lower;
    std::optional<double> upper;
    int decimals = kMaxDecimals;
    bool autoConfirm = false;
    bool retired = false; // as the journal lists it

    // Why it cannot be stored; empty when it can.
    QString problem() const;
    // Everything but name, version and retirement.
    bool sameDefinition(const Method &other) const;
    // What a run under it records.
    RunMethod forRun() const;
    // The method a run was measured under, as its header records it (not its auto-confirm).
    static Method OfRun(const RunHeader &header);

    // The detail of its method-set event, and back.
    QString detail() const;
    static std::optional<Method> FromDetail(const QString &detail);
};
