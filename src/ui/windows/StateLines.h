#pragma once

#include "core/journal/store/JournalTypes.h"

#include <QCoreApplication>
#include <QFont>

class LinkMonitor;
class QLabel;
class QWidget;
struct ForwardState;

// The lines the main window shows beyond its original controls, in its free space: the link's
// state in the strip above Confirm; below Exit, a lasting mark while the journal cannot be
// written and the lab server's state. Each is elided to its place, the whole text in its tooltip.
class StateLines
{
    Q_DECLARE_TR_FUNCTIONS(StateLines)

public:
    // The labels become children of window, placed in its dialog units.
    explicit StateLines(QWidget &window);

    // The state line's font, smaller than the window's so that two lines fit.
    const QFont &smallFont() const { return m_small; }

    // The state and its detail; then the refusal of the last input or the reading's stability
    // and time.
    void showLink(const LinkMonitor &link, const QString &refusal);
    void showJournal(bool available);
    void showServer(const ForwardState &state);

    // Why a journal cannot be written, in a few words.
    static QString JournalProblem(JournalResult::Error error);
    // The warning that the journal at path cannot be written, and that measuring goes on.
    static QString journalWarning(const QString &path, JournalResult::Error error);

private:
    // Alone, the journal's mark may take two lines; with the server's state, one line each.
    void layOutRecords();

    QWidget &m_window;
    QFont m_small;
    QLabel *m_link = nullptr;
    QLabel *m_journal = nullptr;
    QLabel *m_server = nullptr;
};
