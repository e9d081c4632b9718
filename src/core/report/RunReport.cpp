#include "core/report/RunReport.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

QString ReceivedDegrees(const QString &received)
{
    // Text arithmetic, so that no count gains a digit through binary fractions.
    static const QRegularExpression kCount(u"^(-?)0*([0-9]+)$"_s);
    const QRegularExpressionMatch match = kCount.match(received);
    if (!match.hasMatch())
        return received;
    const QString digits = match.captured(2).rightJustified(4, u'0');
    const QString sign = digits.count(u'0') == digits.size() ? QString() : match.captured(1);
    return sign + digits.first(digits.size() - 3) + u'.' + digits.last(3);
}
