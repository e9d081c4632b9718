#pragma once

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QWidget>

#include <optional>

// Where everything of a run's chart goes inside the plot rectangle: the values left to right in
// reading order, a vertical scale with round steps that holds every value and the band, the mean
// line and the band of one deviation either side of it.
struct RunChartGeometry
{
    struct Tick
    {
        double value = 0.0; // the scale value, or the reading number
        double at = 0.0; // its y (scale) or x (reading) in the plot
    };

    double low = 0.0; // the scale's bottom and top values
    double high = 1.0;
    // One per finite value, at the x of its reading number; a value that is not a number has
    // no point.
    QList<QPointF> points;
    std::optional<double> meanY;
    QRectF band; // empty without a deviation
    QList<Tick> scaleTicks;
    QList<Tick> readingTicks;
};

// The pure geometry of the chart, so that paintEvent only draws. minTickSpacing is the room one
// reading number needs on the x axis; numbers are skipped evenly where they would crowd.
RunChartGeometry ComputeRunChart(const QList<double> &values, std::optional<double> mean,
                                 std::optional<double> deviation, const QRectF &plot,
                                 double minTickSpacing = 24.0);

// The readings of one run as points joined by lines, over the band of one deviation either side
// of the mean and the mean line, with a legend naming both.
class RunChart : public QWidget
{
    Q_OBJECT

public:
    explicit RunChart(QWidget *parent = nullptr);

    // mean: where the line goes, named in the legend.
    void setRun(const QList<double> &values, std::optional<double> mean,
                std::optional<double> deviation);
    void clear();

    const QList<double> &values() const { return m_values; }
    std::optional<double> mean() const { return m_mean; }
    std::optional<double> deviation() const { return m_deviation; }

    static QString LegendText(bool noValues, std::optional<double> mean,
                              std::optional<double> deviation);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QRectF plotRect(const QFontMetricsF &metrics) const;

    QList<double> m_values;
    std::optional<double> m_mean;
    std::optional<double> m_deviation;
};
