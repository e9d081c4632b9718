#pragma once

#include "core/session/MeasurementSession.h"

#include <QObject>
#include <QPointer>

class QMessageBox;
class QWidget;

// What the main window asks the inspector about its session beyond the measuring itself: whether
// another device standing at the port is to be used, and whether a run left open goes on.
class SessionQuestions : public QObject
{
    Q_OBJECT

public:
    // The questions open over window; the session and the window outlive them.
    SessionQuestions(MeasurementSession &session, QWidget &window);

    // The link's state changed: a device that has come to stand at the port is asked about once.
    void followLink();
    // Another device at the port is used only when the inspector says so; not modal, so that the
    // window goes on meanwhile. A question already open is raised.
    void askAboutOtherDevice();

    // A run that a crash or an exit left open: what it was and whether it is to go on.
    static QString recoveryQuestion(const MeasurementSession::RecoveryOffer &offer);

private:
    MeasurementSession &m_session;
    QWidget &m_window;
    QPointer<QMessageBox> m_otherDeviceQuestion;
    bool m_otherDeviceAsked = false; // for the device standing at the port now
};
