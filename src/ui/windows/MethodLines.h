#pragma once

#include <QObject>
#include <QRect>

class MeasurementSession;
class QFont;
class QLabel;
class QWidget;

// What the main window shows of a method, in free space of its own: between the help button and
// the status lamp, the method with its version, or that the runs left it; right of the mode's
// caption, above the converted value, the verdict on the completed run in green or red. Both
// follow the session's changes.
class MethodLines : public QObject
{
    Q_OBJECT

public:
    // The labels become children of window, in its dialog units; small: the state lines' font.
    // The session outlives the lines.
    MethodLines(QWidget &window, const QFont &small, const MeasurementSession &session);

    // The method the runs are under, or the one they left; nothing without either.
    void showMethod();

    // What the mode and sampling-count dialogs say while a method run is on; empty without one.
    QString dialogNote() const;
    // A wrapped line of such a note in a dialog, at a rectangle in its dialog units.
    static QLabel *AddNote(QWidget &dialog, const QString &text, const QRect &units);

private:
    // The verdict and the mean it was made on; nothing without a verdict.
    void showVerdict();

    const MeasurementSession &m_session;
    QLabel *m_method = nullptr;
    QLabel *m_verdict = nullptr;
};
