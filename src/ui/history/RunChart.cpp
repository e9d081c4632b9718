#include "ui/history/RunChart.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

namespace {

constexpr int kScaleSteps = 4; // about this many steps between the scale's ends
constexpr double kShownStep = 0.001; // the table's last decimal

// 1, 2 or 5 times a power of ten, at least `step`.
double RoundStep(double step)
{
    const double power = std::pow(10.0, std::floor(std::log10(step)));
    for (const double factor : { 1.0, 2.0, 5.0 }) {
        if (factor * power >= step * (1.0 - 1e-9))
            return factor * power;
    }
    return 10.0 * power;
}

// Scale labels need no more decimals than the step has.
int StepDecimals(double step)
{
    return std::clamp(static_cast<int>(std::ceil(-std::log10(step) - 1e-9)), 0, 6);
}

} // namespace

RunChartGeometry ComputeRunChart(const QList<double> &values, std::optional<double> mean,
                                 std::optional<double> deviation, const QRectF &plot,
                                 double minTickSpacing)
{
    RunChartGeometry g;
    const bool hasMean = mean && std::isfinite(*mean);
    const double m = hasMean ? *mean : 0.0;
    const bool hasBand = hasMean && deviation && std::isfinite(*deviation) && *deviation > 0.0;
    const double d = hasBand ? *deviation : 0.0;

    double low = std::numeric_limits<double>::infinity();
    double high = -low;
    const auto include = [&](double v) {
        low = std::min(low, v);
        high = std::max(high, v);
    };
    for (const double v : values) {
        if (std::isfinite(v))
            include(v);
    }
    if (hasMean)
        include(m);
    if (hasBand) {
        include(m - d);
        include(m + d);
    }
    if (low > high) {
        low = 0.0;
        high = 1.0;
    }
    // Values the table shows alike (their float noise below its last decimal: a run of equal
    // readings and its mean) get a scale of their own, a small span around them.
    double span = high - low;
    if (span < kShownStep) {
        const double middle = (low + high) / 2;
        span = std::max(std::abs(middle) * 0.02, 10 * kShownStep);
        low = middle - span / 2;
        high = middle + span / 2;
    }
    // A little room so that no point sits on the frame, then round ends.
    low -= span * 0.05;
    high += span * 0.05;
    const double step = RoundStep((high - low) / kScaleSteps);
    g.low = std::floor(low / step) * step;
    g.high = std::ceil(high / step) * step;

    const auto yOf = [&](double v) {
        return plot.bottom() - (v - g.low) / (g.high - g.low) * plot.height();
    };
    const int steps = static_cast<int>(std::lround((g.high - g.low) / step));
    for (int i = 0; i <= steps; ++i) {
        const double v = g.low + i * step;
        g.scaleTicks.append({ std::abs(v) < step * 1e-9 ? 0.0 : v, yOf(v) });
    }

    const auto n = values.size();
    const auto xOf = [&](qsizetype i) {
        return plot.left() + (static_cast<double>(i) + 0.5) * plot.width() / static_cast<double>(n);
    };
    for (qsizetype i = 0; i < n; ++i) {
        if (std::isfinite(values.at(i)))
            g.points.append({ xOf(i), yOf(values.at(i)) });
    }
    if (n > 0) {
        const double slot = plot.width() / static_cast<double>(n);
        const auto every =
            static_cast<qsizetype>(std::max(1.0, std::ceil(minTickSpacing / std::max(slot, 1e-9))));
        for (qsizetype i = 0; i < n; i += every)
            g.readingTicks.append({ static_cast<double>(i + 1), xOf(i) });
    }
    if (hasMean)
        g.meanY = yOf(m);
    if (hasBand)
        g.band = QRectF(QPointF(plot.left(), yOf(m + d)), QPointF(plot.right(), yOf(m - d)));
    return g;
}

RunChart::RunChart(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void RunChart::setRun(const QList<double> &values, std::optional<double> mean,
                      std::optional<double> deviation)
{
    m_values = values;
    m_mean = mean;
    m_deviation = deviation;
    update();
}

void RunChart::clear()
{
    setRun({}, std::nullopt, std::nullopt);
}

QSize RunChart::sizeHint() const
{
    return { 420, 240 };
}

QSize RunChart::minimumSizeHint() const
{
    return { 200, 120 };
}

QRectF RunChart::plotRect(const QFontMetricsF &metrics) const
{
    // Room on the left for scale labels such as "-100.05", below for the reading numbers, above
    // for the legend.
    const double left = metrics.horizontalAdvance(u"-000.000"_s) + 8;
    const double line = metrics.height();
    return QRectF(rect()).adjusted(left, line * 1.8, -10, -(line + 8));
}

void RunChart::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    painter.setRenderHint(QPainter::Antialiasing);
    const QFontMetricsF metrics(font());
    const QRectF plot = plotRect(metrics);
    if (plot.width() < 10 || plot.height() < 10)
        return;
    const QColor text = palette().color(QPalette::Text);
    const QColor frame = palette().color(QPalette::Mid);
    const QColor accent = palette().color(QPalette::Highlight);
    const QColor meanColor(200, 40, 40);

    const RunChartGeometry g =
        ComputeRunChart(m_values, m_mean, m_deviation, plot, metrics.horizontalAdvance(u"000"_s));

    if (!g.band.isEmpty()) {
        QColor band = meanColor;
        band.setAlpha(40);
        painter.fillRect(g.band, band);
    }

    const int decimals = g.scaleTicks.size() > 1
        ? StepDecimals(g.scaleTicks.at(1).value - g.scaleTicks.at(0).value)
        : 0;
    painter.setPen(text);
    for (const RunChartGeometry::Tick &tick : g.scaleTicks) {
        painter.save();
        painter.setPen(QPen(frame, 0, Qt::DotLine));
        painter.drawLine(QPointF(plot.left(), tick.at), QPointF(plot.right(), tick.at));
        painter.restore();
        const QRectF label(0, tick.at - metrics.height() / 2, plot.left() - 5, metrics.height());
        painter.drawText(label, Qt::AlignRight | Qt::AlignVCenter,
                         QString::number(tick.value, 'f', decimals));
    }
    for (const RunChartGeometry::Tick &tick : g.readingTicks) {
        const QRectF label(tick.at - 30, plot.bottom() + 3, 60, metrics.height());
        painter.drawText(label, Qt::AlignHCenter | Qt::AlignTop, QString::number(tick.value));
    }
    painter.setPen(QPen(frame, 1));
    painter.drawRect(plot);

    if (g.meanY) {
        painter.setPen(QPen(meanColor, 1.5, Qt::DashLine));
        painter.drawLine(QPointF(plot.left(), *g.meanY), QPointF(plot.right(), *g.meanY));
    }
    if (!g.points.isEmpty()) {
        painter.setPen(QPen(accent, 1.5));
        painter.drawPolyline(g.points.constData(), static_cast<int>(g.points.size()));
        painter.setBrush(accent);
        for (const QPointF &point : g.points)
            painter.drawEllipse(point, 3.0, 3.0);
    }

    // The legend: what the line and the band are, with their values.
    painter.setPen(text);
    const QString legend = LegendText(m_values.isEmpty(), m_mean, m_deviation);
    const QRectF legendRect(plot.left(), 2, plot.width(), metrics.height() * 1.5);
    if (m_mean) {
        painter.setPen(QPen(meanColor, 1.5, Qt::DashLine));
        const double y = legendRect.center().y();
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.left() + 18, y));
        painter.setPen(text);
        painter.drawText(legendRect.adjusted(24, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                         legend);
    } else {
        painter.drawText(legendRect, Qt::AlignLeft | Qt::AlignVCenter, legend);
    }
}

QString RunChart::LegendText(bool noValues, std::optional<double> mean,
                             std::optional<double> deviation)
{
    QString legend;
    if (noValues)
        legend = tr("没有读数");
    else if (mean)
        // Signed, as the run's statistics are: a laevorotatory sample's mean is negative.
        legend = tr("平均 %1").arg(*mean, 0, 'f', 3);
    if (mean && deviation && *deviation > 0)
        legend += u"    "_s + tr("±1 标准偏差 %1").arg(*deviation, 0, 'f', 3);
    return legend;
}
