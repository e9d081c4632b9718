#pragma once

#include "core/report/PrintedReport.h"

#include <QFont>

class QPagedPaintDevice;
class QPainter;

// The report page on a Qt painter: the painter's transform is set to 0.1 mm units from the
// top-left of the device's paint area, and the report's upward y is turned downward per text.
class QtPainterCanvas : public ReportCanvas
{
public:
    // The painter must be active on the device.
    QtPainterCanvas(QPainter &painter, QPagedPaintDevice &device);

    void SelectFont(const Font &font) override;
    TextMetrics GetTextMetrics() const override;
    void DrawText(int x, int y, const QString &text) override;
    int PrintableHeight() const override;
    bool NewPage() override;

private:
    void ApplyUnits();

    QPainter &m_painter;
    QPagedPaintDevice &m_device;
    QFont m_font;
};
