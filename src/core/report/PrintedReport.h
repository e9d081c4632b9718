#pragma once

#include "core/report/ReportContent.h"

#include <QString>

// A page in units of 0.1 mm, x to the right and y upward from the top-left corner of the
// printable area (positions down the page are negative). A text's position is the top-left
// corner of its first character cell.
class ReportCanvas
{
public:
    struct Font
    {
        QString face; // string 107
        int characterHeight = 0; // in 0.1 mm, the character's own height, not the cell's
        int weight = 400; // 400 normal, 700 bold
    };

    struct TextMetrics
    {
        int height = 0; // cell height of the selected font, 0.1 mm
        int externalLeading = 0;
    };

    virtual ~ReportCanvas() = default;

    virtual void SelectFont(const Font &font) = 0;
    virtual TextMetrics GetTextMetrics() const = 0;
    virtual void DrawText(int x, int y, const QString &text) = 0;
    // Height of the printable area in 0.1 mm; 0 or less when unknown (then nothing moves to a
    // further page).
    virtual int PrintableHeight() const = 0;
    // Ends the current page and starts the next; false when that failed.
    virtual bool NewPage() = 0;
};

inline constexpr int kTitleFontHeight = 60;
inline constexpr int kTitleFontWeight = 700;
inline constexpr int kBodyFontHeight = 40;
inline constexpr int kBodyFontWeight = 400;

// Line pitch of the body: cell height plus external leading plus 1 mm.
int ReportLinePitch(const ReportCanvas::TextMetrics &metrics);

// Draws the report page. Lines that would fall below the printable area continue on further
// pages at the same x positions, from the height of the first body line. False when a further
// page could not be started.
bool DrawPrintedReport(ReportCanvas &canvas, const ReportContent &content);
