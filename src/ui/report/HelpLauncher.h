#pragma once

#include <QString>
#include <QStringList>

class Settings;
class QWidget;

// How the help text is opened: a program and its arguments, never a shell command line, so a
// path with blanks or shell characters reaches the viewer as one argument.
struct HelpCommand
{
    QString program;
    QStringList arguments;

    bool operator==(const HelpCommand &) const = default;
};

enum class HelpViewer {
    Notepad, // Windows
    TextEdit, // macOS: the default text editor through "open -t"
    XdgOpen, // other desktops: the viewer the user chose for text files
};

HelpViewer PlatformHelpViewer();

// The help file's name when the settings give none; the English catalogue names the English text.
QString DefaultHelpFileName();

// The program directory followed by the settings value ("help.txt" when empty). The value is
// always taken relative to the program directory, even when it is a full path of its own.
QString HelpFilePath(const QString &programDir, const QString &value);

HelpCommand HelpCommandFor(const QString &programDir, const QString &value, HelpViewer viewer);

// Starts the viewer without waiting for it. When it cannot be started or ends with an error code
// (xdg-open does when no program is set up for text files), a message under window names the
// help file at helpPath, so that the user can open it by hand.
void StartHelpViewer(QWidget *window, const HelpCommand &command, const QString &helpPath);

// Reads "SYSTEM"/"HelpFilePath" and starts the viewer on that file; a missing help file is left
// to the viewer to report.
void LaunchHelp(QWidget *window, const QString &programDir, const Settings &settings);
