#include "ui/report/HelpLauncher.h"

#include "core/settings/Settings.h"
#include "core/settings/SettingsKeys.h"
#include "ui/dialogs/DialogBuilder.h"

#include <QCoreApplication>
#include <QDir>
#include <QMessageBox>
#include <QPointer>
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

void StartHelpViewer(QWidget *window, const HelpCommand &command, const QString &helpPath)
{
    // Owned by the application, not the window, so that no handler runs on a window being
    // destroyed. A process still running at the end of the program is ended by Qt; for xdg-open
    // that is only the opener, the viewer it started goes on.
    auto *viewer = new QProcess(QCoreApplication::instance());
    viewer->setProcessChannelMode(QProcess::ForwardedChannels);
    const auto report = [window = QPointer<QWidget>(window), helpPath] {
        if (!window)
            return;
        auto *box =
            new QMessageBox(QMessageBox::Warning, ProgramName(),
                            QCoreApplication::translate(
                                "HelpLauncher", "无法打开帮助文件 %1。请用文本编辑器打开它。")
                                .arg(QDir::toNativeSeparators(helpPath)),
                            QMessageBox::Ok, window);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    };
    QObject::connect(viewer, &QProcess::errorOccurred, viewer,
                     [viewer, report](QProcess::ProcessError error) {
                         if (error == QProcess::FailedToStart) {
                             viewer->deleteLater();
                             report();
                         }
                     });
    // A viewer ended by a signal (so also by Qt, when the program ends) did not fail to open.
    QObject::connect(viewer, &QProcess::finished, viewer,
                     [viewer, report](int exitCode, QProcess::ExitStatus status) {
                         viewer->deleteLater();
                         if (status == QProcess::NormalExit && exitCode != 0)
                             report();
                     });
    viewer->start(command.program, command.arguments);
}

void LaunchHelp(QWidget *window, const QString &programDir, const Settings &settings)
{
    const QString value = settings.Read(SettingsKeys::kHelpFilePath, DefaultHelpFileName());
    const HelpCommand command = HelpCommandFor(programDir, value, PlatformHelpViewer());
    StartHelpViewer(window, command, HelpFilePath(programDir, value));
}
