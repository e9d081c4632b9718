#include "core/link/PortName.h"

#include <QTest>

using namespace Qt::StringLiterals;

class tst_PortName : public QObject
{
    Q_OBJECT

private slots:

    void resolve_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("entry"); // value of the `ports` key, "-" for no lookup at all
        QTest::addColumn<QString>("key"); // the key asked for, empty when none
        QTest::addColumn<QString>("device");

        QTest::newRow("COM1 without lookup") << u"COM1"_s << u"-"_s << QString() << u"/dev/ttyS0"_s;
        QTest::newRow("entry wins")
            << u"COM3"_s << u"/dev/ttyUSB0"_s << u"COM3"_s << u"/dev/ttyUSB0"_s;
        QTest::newRow("blank entry falls back")
            << u"COM3"_s << u"   "_s << u"COM3"_s << u"/dev/ttyS2"_s;
        QTest::newRow("lower-case name, canonical key")
            << u"com2"_s << u"/tmp/sim"_s << u"COM2"_s << u"/tmp/sim"_s;
        QTest::newRow("device path as it stands")
            << u"/dev/pts/4"_s << u"x"_s << QString() << u"/dev/pts/4"_s;
        QTest::newRow("COM0 is no port") << u"COM0"_s << u"x"_s << QString() << u"COM0"_s;
    }

    void resolve()
    {
        QFETCH(QString, name);
        QFETCH(QString, entry);
        QFETCH(QString, key);
        QFETCH(QString, device);

        QString asked;
        PortLookup lookup;
        if (entry != u"-"_s) {
            lookup = [&](const QString &k) {
                asked = k;
                return entry;
            };
        }
#ifdef Q_OS_WIN
        if (device.startsWith(u"/dev/ttyS"_s))
            device = u"COM"_s + QString::number(device.mid(9).toInt() + 1);
#endif
        QCOMPARE(ResolvePortDevice(name, lookup), device);
        QCOMPARE(asked, key);
    }
};

QTEST_GUILESS_MAIN(tst_PortName)
#include "tst_portname.moc"
