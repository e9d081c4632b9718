#pragma once

#include "core/journal/methods/Method.h"

#include <QCoreApplication>
#include <QRect>

class QFont;
class QLabel;
class QWidget;

// What the main window shows of a method, in free space of its own: between the help button and
// the status lamp, the method with its version, or that the runs left it; right of the mode's
// caption, above the converted value, the verdict on the completed run in green or red.
class MethodLines
{
    Q_DECLARE_TR_FUNCTIONS(MethodLines)

public:
    // The labels become children of window, in its dialog units; small: the state lines' font.
    MethodLines(QWidget &window, const QFont &small);

    // The method the runs are under, or the one they left; nothing without either.
    void showMethod(const std::optional<Method> &method, const std::optional<Method> &left);
    // The verdict and the mean it was made on; nothing without a verdict.
    void showVerdict(const std::optional<Verdict> &verdict, const QString &mean);

    // What the mode and sampling-count dialogs say while a method run is on.
    static QString DialogNote(const Method &method);
    // A wrapped line of such a note in a dialog, at a rectangle in its dialog units.
    static QLabel *AddNote(QWidget &dialog, const QString &text, const QRect &units);

private:
    QLabel *m_method = nullptr;
    QLabel *m_verdict = nullptr;
};
