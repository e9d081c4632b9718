#pragma once

#include "core/measure/Conversions.h"
#include "core/measure/RunStatistics.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// What the PDF report of one run shows. Times are texts with their UTC offset, formatted by
// whoever reads the run. Parts that not every run has are optional or empty, and the report
// leaves them out: the instrument's identity, the method, flags, exclusions, limits, verdict,
// signatures.
struct RunReport
{
    struct Exclusion
    {
        QString reason;
        QString by; // who excluded it
        QString at;
    };

    struct Reading
    {
        int number = 0;
        QString confirmed; // the time of its Confirm
        // As the instrument sent it: thousandths of a degree, "A", or empty before any reading.
        QString received;
        QString value; // as the table shows it
        std::optional<bool> stable;
        std::optional<bool> autoConfirmed;
        std::optional<Exclusion> exclusion; // struck through, never left out
    };

    enum class Meaning { Performed, Reviewed, Approved };

    struct Signature
    {
        QString fullName;
        Meaning meaning = Meaning::Performed;
        QString at;
        QString comment;
        bool changedAfter = false; // the run changed after it was signed
    };

    QString lab; // settings [report] Lab
    QString station;
    QString port;
    QString instrument; // the instrument's identity, where it is known
    QString method;
    QString methodVersion;
    QString status; // what became of the run, in the report's language
    QString started;
    QString ended;
    QString unit;
    QString sampleName;
    QString batchNo;
    QString inspector;
    MeasurementMode mode = MeasurementMode::OpticalRotation;
    ModeConstants constants;

    QList<Reading> readings;
    std::optional<RunSummary> summary; // none until the run has a result
    std::optional<double> lowerLimit;
    std::optional<double> upperLimit;
    std::optional<bool> passed;
    QList<Signature> signatures;

    QString runId;
    QByteArray lastHash; // of the run's last row in the journal
};

// A received count of thousandths as degrees, digit by digit ("-12345" gives "-12.345"); any other
// text ("A") as it is.
QString ReceivedDegrees(const QString &received);
