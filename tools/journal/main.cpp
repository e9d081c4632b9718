// velmora-journal: list, export, report and verify the results journal (see --help).
#include "JournalCommand.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <cstdio>
#include <memory>

int main(int argc, char *argv[])
{
    // Parsed before the application object exists: which kind of object it is depends on the
    // command.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    JournalCommand command;
    QString error;
    const bool parsed = command.parse(arguments, error);

    std::unique_ptr<QCoreApplication> app;
    if (parsed && command.rendersPdf()) {
        // Fonts and a painter, but never a display: a tool for scripts and servers.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    // The per-user fallback of the settings file is found under the program's name.
    QCoreApplication::setApplicationName(QStringLiteral("Velmora"));

    if (!parsed) {
        std::fprintf(stderr, "velmora-journal: %s\nTry 'velmora-journal --help'.\n",
                     error.toUtf8().constData());
        return JournalCommand::Usage;
    }
    return command.run(stdout, stderr);
}
