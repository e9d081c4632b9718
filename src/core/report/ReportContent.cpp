#include "core/report/ReportContent.h"

#include "core/settings/Settings.h"
#include "core/text/StringTable.h"

QString FormatReportDate(QDate date)
{
    return QStringLiteral("%1-%2-%3")
        .arg(date.year(), 4, 10, QLatin1Char('0'))
        .arg(date.month(), 2, 10, QLatin1Char('0'))
        .arg(date.day(), 2, 10, QLatin1Char('0'));
}

QString ReadReportTitle(const Settings &settings, const QString &fallback)
{
    return settings.Read(SettingsKeys::kPrintTitle, fallback);
}

QString ReportTitleLine(const ReportContent &content)
{
    return content.title + LoadString(StringId::ModeTitleBase + static_cast<int>(content.mode))
        + QLatin1Char(' ') + LoadString(StringId::ReportWord);
}

QString ReportLabelLine(int stringId, const QString &text)
{
    // Only the first "%s" is the field; the text itself is inserted as it stands.
    QString format = LoadString(stringId);
    const qsizetype at = format.indexOf(QLatin1StringView("%s"));
    if (at < 0)
        return format;
    return format.replace(at, 2, text);
}

QString ReportValueLine(const ReportContent &content, int number)
{
    const QString &value =
        number >= 1 && number <= content.values.size() ? content.values.at(number - 1) : QString();
    return QString::number(number) + QLatin1Char('.')
        + ReportLabelLine(StringId::RowLabelBase + static_cast<int>(content.mode), value);
}
