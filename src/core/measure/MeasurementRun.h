#pragma once

#include "core/link/FrameScanner.h"
#include "core/measure/Conversions.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <optional>

class CSerialPort;

// One measurement run of the main window: the instrument's current reading, the mode with its
// constants, the sampling count and the values confirmed so far. It holds no widget: its signals
// tell the window what to paint. It lives on the user-interface thread.
class MeasurementRun : public QObject
{
    Q_OBJECT

public:
    // The values a run can hold; a larger sampling count ends the run here.
    static constexpr int kSampleStoreSize = 256;
    static constexpr int kDefaultSampleCount = 12;
    // The standard deviation is given for runs of exactly this sampling count only.
    static constexpr int kDeviationSampleCount = 6;
    // How long the lamp shows that data came: long enough for the eye, once per batch or stream.
    static constexpr int kLampFlashMs = 150;

    enum Lamp { LampDark = 0, LampHalf = 1, LampLit = 2 };

    // What the next Confirm enters, known before it is entered, so that a record of it can be
    // committed first.
    struct NextRow
    {
        int number = 0; // 1-based
        double value = 0.0;
        bool completes = false;
        QString mean; // when it completes the run, exactly as the table will show them
        QString deviation;
    };

    explicit MeasurementRun(QObject *parent = nullptr);

    // One burst of the receive thread: every complete frame held in rx is acted on, and only
    // then does handBack give the area back to the receive thread, which may refill it at once.
    void DecodeBatch(RxBuffer &rx, const std::function<void()> &handBack);
    // The same for the channel's own burst, handed back by its read permission.
    void DecodeBatch(CSerialPort &port, RxBuffer &rx);
    void OnFrame(const FrameEvent &event);
    void OnReading(long thousandths);
    void OnZeroReading(); // a reading text "A"
    void OnZero();
    void OnStatus();

    // The current reading becomes the next value; false once the run is complete.
    bool Confirm();
    // A value confirmed earlier enters the table as a Confirm would (a continued run).
    bool Enter(double value);
    // Values confirmed earlier, as rows; they never complete the run, the next Confirm does
    // (a continued run whose count was lowered below its rows).
    void Refill(const QList<double> &values);
    // Empty once the run is complete.
    std::optional<NextRow> Next(double value) const;
    std::optional<NextRow> NextConfirm() const { return Next(m_dReading); }
    // No values, Confirm possible again, lamp dark.
    void Clear();
    // Clears the run, then converts the held reading into the new mode's quantity.
    void ApplyMode(MeasurementMode mode, const ModeConstants &constants);
    // Bounded to 1 .. kSampleStoreSize. It takes effect at the next Confirm; a complete run
    // stays complete.
    void SetSampleCount(int count);

    double Reading() const { return m_dReading; } // in the unit of the mode
    const QString &ReadingText() const { return m_readingText; }
    const QString &ConvertedText() const { return m_convertedText; }
    // The held reading as the instrument sent it: thousandths of a degree, "A" for a reading text
    // "A", empty before any reading and after a zero frame.
    const QString &ReceivedText() const { return m_receivedText; }
    MeasurementMode Mode() const { return m_mode; }
    const ModeConstants &Constants() const { return m_constants; }
    int SampleCount() const { return m_nSampleCount; }
    Lamp LampState() const { return m_lamp; }

    int RowCount() const { return int(m_values.size()); }
    bool IsComplete() const { return m_bComplete; }
    const QList<double> &Values() const { return m_values; } // exactly as confirmed
    const QStringList &ValueTexts() const { return m_valueTexts; } // as the table shows them
    // Empty until the run is complete; the deviation also for any count other than 6.
    const QString &MeanText() const { return m_meanText; }
    const QString &DeviationText() const { return m_deviationText; }

signals:
    // A valid frame of the line, before the run acts on it; within the batch, so before the
    // read permission goes back.
    void frameDecoded(const FrameEvent &event);
    void readingChanged();
    void rowAdded(int row);
    void runCompleted();
    void cleared();
    void lampChanged(int state);
    void modeApplied();
    void sampleCountChanged(int count);

private:
    void SetLamp(Lamp state);
    void ConvertHeldReading();
    void AppendRow(double value);
    // The lamp's state once a flash is over: lit while the run is complete or a status frame of
    // the last batch lit it.
    Lamp RestingLamp() const { return m_bComplete || m_bStatusLit ? LampLit : LampDark; }

    double m_dReading = 0.0;
    // The last reading in degrees, from which a new mode converts m_dReading again; empty
    // before the first reading and after a zero.
    std::optional<double> m_dDegrees;
    QString m_readingText;
    QString m_convertedText;
    QString m_receivedText;
    MeasurementMode m_mode = MeasurementMode::OpticalRotation;
    ModeConstants m_constants;
    int m_nSampleCount = kDefaultSampleCount;
    Lamp m_lamp = LampDark;
    bool m_bStatusLit = false;
    QTimer m_lampFlash;
    QList<double> m_values;
    QStringList m_valueTexts;
    QString m_meanText;
    QString m_deviationText;
    bool m_bComplete = false;
};
