// velmora-sim: a simulated polarimeter on a pseudo-terminal (see --help).
#include "SimInstrument.h"
#include "SimOptions.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("velmora-sim"));
    // A reader of our output that goes away must not end us in the middle of a write.
    std::signal(SIGPIPE, SIG_IGN);

    QString error;
    QString text;
    const auto options = ParseSimOptions(QCoreApplication::arguments(), error, text);
    if (!options) {
        if (!error.isEmpty()) {
            std::fprintf(stderr, "velmora-sim: %s\nTry 'velmora-sim --help'.\n", qPrintable(error));
            return 2;
        }
        std::fputs(qPrintable(text), stdout);
        return 0;
    }

    CSimInstrument instrument(*options);
    QObject::connect(&instrument, &CSimInstrument::finished, &app, &QCoreApplication::exit,
                     Qt::QueuedConnection);
    if (!instrument.Start())
        return 1;
    return app.exec();
}
