// velmora-journal: list, export and verify the results journal (see --help).
#include "JournalCommand.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // The per-user fallback of the settings file is found under the program's name.
    QCoreApplication::setApplicationName(QStringLiteral("Velmora"));

    JournalCommand command;
    QString error;
    if (!command.parse(QCoreApplication::arguments().mid(1), error)) {
        std::fprintf(stderr, "velmora-journal: %s\nTry 'velmora-journal --help'.\n",
                     error.toUtf8().constData());
        return JournalCommand::Usage;
    }
    return command.run(stdout, stderr);
}
