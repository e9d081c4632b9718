#include "app/CVelmoraApp.h"

#include <QApplication>

using namespace Qt::StringLiterals;

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(u"Velmora"_s);
    // The program takes no arguments of its own; Qt's (-platform and the like) still apply.
    CVelmoraApp velmora;
    return velmora.InitInstance();
}
