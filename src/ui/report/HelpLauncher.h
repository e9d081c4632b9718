#pragma once

#include <QString>
#include <QStringList>

class Settings;

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

// Reads "SYSTEM"/"HelpFilePath" and starts the viewer detached. False when the viewer could not
// be started; a missing help file is left to the viewer to report.
bool LaunchHelp(const QString &programDir, const Settings &settings);
