#include "core/link/PortChoices.h"

#include <QFile>
#include <QHash>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class tst_PortChoices : public QObject
{
    Q_OBJECT

private slots:

    void entries_data()
    {
        // "$" stands for a temporary directory holding a file "target" and a link "link" to it.
        QTest::addColumn<QString>("mapped"); // the `ports` section: "COM21=/dev/ttyUSB0 ..."
        QTest::addColumn<QString>("devices"); // what the system lists, blank-separated
        QTest::addColumn<QString>("shown"); // entries with a device; "*": choosing it maps the port
        QTest::addColumn<int>("count");

        QTest::newRow("a built-in port beside its entry")
            << QString() << u"/dev/ttyS0"_s << u"1=/dev/ttyS0"_s << 20;
        QTest::newRow("an adapter no port resolves to is offered as entry 21")
            << QString() << u"/dev/ttyS0 /dev/ttyUSB0"_s << u"1=/dev/ttyS0 21=/dev/ttyUSB0*"_s
            << 21;
        QTest::newRow("an adapter mapped at an earlier start keeps its entry")
            << u"COM21=/dev/ttyUSB0"_s << u"/dev/ttyUSB0"_s << u"21=/dev/ttyUSB0"_s << 21;
        QTest::newRow("a mapping by hand shows even without its device")
            << u"COM3=/dev/ttyACM7"_s << QString() << u"3=/dev/ttyACM7"_s << 20;
        QTest::newRow("a link to a device is that device")
            << u"COM2=$/link"_s << u"$/target"_s << u"2=$/link"_s << 20;
    }

    void entries()
    {
        QFETCH(QString, mapped);
        QFETCH(QString, devices);
        QFETCH(QString, shown);
        QFETCH(int, count);
        QTemporaryDir dir;
        QFile(dir.filePath(u"target"_s)).open(QIODevice::WriteOnly);
        QVERIFY(QFile::link(dir.filePath(u"target"_s), dir.filePath(u"link"_s)));
        for (QString *text : { &mapped, &devices, &shown })
            text->replace(u"$"_s, dir.path());

        QHash<QString, QString> section;
        for (const QString &entry : mapped.split(u' ', Qt::SkipEmptyParts))
            section.insert(entry.section(u'=', 0, 0), entry.section(u'=', 1));
        QList<SerialDevice> listed;
        for (const QString &device : devices.split(u' ', Qt::SkipEmptyParts))
            listed.append({ device, u"USB UART"_s, u"FTDI"_s });

        const PortChoices choices(
            20, [&](const QString &key) { return section.value(key); }, listed);
        QStringList seen;
        for (int i = 0; i < choices.entries().size(); ++i) {
            const PortChoices::Entry &entry = choices.entries()[i];
            QCOMPARE(entry.number, i + 1);
            if (!entry.device.isEmpty())
                seen << u"%1=%2%3"_s.arg(entry.number)
                            .arg(entry.device, entry.needsMapping ? u"*"_s : QString());
        }
        QCOMPARE(seen.join(u' '), shown);
        QCOMPARE(choices.entries().size(), count);
    }
};

QTEST_GUILESS_MAIN(tst_PortChoices)
#include "tst_portchoices.moc"
