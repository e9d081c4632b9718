#pragma once

#include <QList>
#include <QString>

// A page of the PDF report as plain geometry: A4 in units of 0.1 mm, x to the right and y downward
// from the page's top-left corner. Whatever draws it only paints what it is given.

inline constexpr int kReportPageWidth = 2100;
inline constexpr int kReportPageHeight = 2970;

enum class ReportStyle { Title, Heading, Body, Bold, Small };

// The character height of a style in 0.1 mm.
constexpr int ReportCharacterHeight(ReportStyle style)
{
    switch (style) {
    case ReportStyle::Title:
        return 55;
    case ReportStyle::Heading:
        return 40;
    case ReportStyle::Body:
    case ReportStyle::Bold:
        return 30;
    case ReportStyle::Small:
        break;
    }
    return 24;
}

constexpr bool ReportStyleIsBold(ReportStyle style)
{
    return style == ReportStyle::Title || style == ReportStyle::Heading
        || style == ReportStyle::Bold;
}

// One line of text in its box, centred vertically.
struct ReportText
{
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    QString text;
    ReportStyle style = ReportStyle::Body;
    bool alignRight = false;
    bool struck = false;
};

struct ReportRule
{
    int x1 = 0;
    int y1 = 0;
    int x2 = 0;
    int y2 = 0;
};

struct ReportPage
{
    QList<ReportText> texts;
    QList<ReportRule> rules;
};

// The width a text takes in a style, in 0.1 mm, from the fonts the page will be drawn with.
class ReportTextMeasure
{
public:
    virtual ~ReportTextMeasure() = default;
    virtual int width(const QString &text, ReportStyle style) const = 0;
};
