#include "ui/report/HelpLauncher.h"

#include "core/settings/Settings.h"

#include <QCoreApplication>
#include <QProcess>

using namespace Qt::StringLiterals;

HelpViewer PlatformHelpViewer()
{
#if defined(Q_OS_WIN)
    return HelpViewer::Notepad;
#elif defined(Q_OS_MACOS)
    return HelpViewer::TextEdit;
#else
    return HelpViewer::XdgOpen;
#endif
}

QString DefaultHelpFileName()
{
    return QCoreApplication::translate("HelpLauncher", "help.txt");
}

QString HelpFilePath(const QString &programDir, const QString &value)
{
    QString dir = programDir;
    if (!dir.endsWith(u'/') && !dir.endsWith(u'\\'))
        dir += u'/';
    return dir + (value.isEmpty() ? DefaultHelpFileName() : value);
}

HelpCommand HelpCommandFor(const QString &programDir, const QString &value, HelpViewer viewer)
{
    const QString path = HelpFilePath(programDir, value);
    switch (viewer) {
    case HelpViewer::Notepad:
        return { u"notepad"_s, { QString(path).replace(u'/', u'\\') } };
    case HelpViewer::TextEdit:
        return { u"open"_s, { u"-t"_s, path } };
    case HelpViewer::XdgOpen:
        break;
    }
    return { u"xdg-open"_s, { path } };
}

bool LaunchHelp(const QString &programDir, const Settings &settings)
{
    const QString value = settings.Read(SettingsKeys::kHelpFilePath, DefaultHelpFileName());
    const HelpCommand command = HelpCommandFor(programDir, value, PlatformHelpViewer());
    return QProcess::startDetached(command.program, command.arguments);
}
