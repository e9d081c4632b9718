#include "measure/RunStatistics.h"

#include <QTest>

#include <vector>

class tst_RunStatistics : public QObject
{
    Q_OBJECT

private slots:
    void statistics_data();
    void statistics();
};

void tst_RunStatistics::statistics_data()
{
    QTest::addColumn<std::vector<float>>("values");
    QTest::addColumn<QString>("mean");
    QTest::addColumn<QString>("deviation");
    QTest::newRow("1 to 6") << std::vector<float> { 1, 2, 3, 4, 5, 6 } << QStringLiteral("3.500")
                            << QStringLiteral("1.871");
    QTest::newRow("signs dropped") << std::vector<float> { -1, 1, -1, 1, -1, 1 }
                                   << QStringLiteral("1.000") << QStringLiteral("0.000");
    QTest::newRow("one value has no deviation")
        << std::vector<float> { 12.345f } << QStringLiteral("12.345") << QStringLiteral("0.000");
    QTest::newRow("no values") << std::vector<float> {} << QStringLiteral("0.000")
                               << QStringLiteral("0.000");
}

void tst_RunStatistics::statistics()
{
    QFETCH(std::vector<float>, values);
    QFETCH(QString, mean);
    QFETCH(QString, deviation);
    const RunStatistics result = ComputeRunStatistics(values);
    QCOMPARE(QString::asprintf("%.3f", double(result.mean)), mean);
    QCOMPARE(QString::asprintf("%.3f", result.deviation), deviation);
    if (values.size() == 6 && values[5] == 6.0f)
        QCOMPARE(result.deviation, std::sqrt(17.5 / 5.0));
}

QTEST_GUILESS_MAIN(tst_RunStatistics)
#include "tst_runstatistics.moc"
