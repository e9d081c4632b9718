#include "core/journal/methods/Method.h"

#include "core/journal/store/HashChain.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

// 17 significant digits: a limit reads back as the very double it was.
QString Exact(double value)
{
    return QString::number(value, 'g', 17);
}

bool Usable(float constant)
{
    return std::isfinite(constant) && constant != 0.0f;
}

} // namespace

QString Method::problem() const
{
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty() || trimmed != name)
        return u"a method needs a name without blanks around it"_s;
    if (name.size() > kMaxNameLength)
        return u"a method's name has at most %1 characters"_s.arg(kMaxNameLength);
    for (const QChar c : name) {
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format)
            return u"a method's name holds no control characters"_s;
    }
    if (static_cast<int>(mode) < 0 || static_cast<int>(mode) > 3)
        return u"the mode is 0, 1, 2 or 3"_s;
    // Every constant divides in one of the conversions.
    if (!Usable(constants.a) || !Usable(constants.lenC) || !Usable(constants.C)
        || !Usable(constants.lena))
        return u"a constant is zero or beyond single precision"_s;
    if (sampleCount < kMinSampleCount || sampleCount > kMaxSampleCount)
        return u"N is %1 to %2"_s.arg(kMinSampleCount).arg(kMaxSampleCount);
    if ((lower && !std::isfinite(*lower)) || (upper && !std::isfinite(*upper)))
        return u"a limit is a finite number"_s;
    if (lower && upper && *lower > *upper)
        return u"the lower limit is above the upper one"_s;
    if (decimals < 0 || decimals > kMaxDecimals)
        return u"decimals are 0 to %1"_s.arg(kMaxDecimals);
    return {};
}

bool Method::sameDefinition(const Method &other) const
{
    const auto sameConstants = [](const ModeConstants &x, const ModeConstants &y) {
        return x.a == y.a && x.lenC == y.lenC && x.C == y.C && x.lena == y.lena;
    };
    return mode == other.mode && sameConstants(constants, other.constants)
        && sampleCount == other.sampleCount && lower == other.lower && upper == other.upper
        && decimals == other.decimals && autoConfirm == other.autoConfirm;
}

RunMethod Method::forRun() const
{
    return { name, version, lower, upper, decimals };
}

Method Method::OfRun(const RunHeader &header)
{
    Method method;
    if (const std::optional<RunMethod> &m = header.method) {
        method.name = m->name;
        method.version = m->version;
        method.lower = m->lower;
        method.upper = m->upper;
        method.decimals = m->decimals;
    }
    method.mode = header.mode;
    method.constants = header.constants;
    method.sampleCount = header.sampleCount;
    return method;
}

QString Method::detail() const
{
    // The mode and constants as a run's start records them.
    QJsonObject object =
        QJsonDocument::fromJson(HashChain::ModeDetail(mode, constants).toUtf8()).object();
    object.insert(u"name"_s, name);
    object.insert(u"version"_s, version);
    object.insert(u"n"_s, sampleCount);
    if (lower)
        object.insert(u"lower"_s, Exact(*lower));
    if (upper)
        object.insert(u"upper"_s, Exact(*upper));
    object.insert(u"decimals"_s, decimals);
    object.insert(u"auto"_s, autoConfirm);
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

std::optional<Method> Method::FromDetail(const QString &detail)
{
    const QJsonObject o = QJsonDocument::fromJson(detail.toUtf8()).object();
    if (!o.value(u"name"_s).isString())
        return std::nullopt;
    const auto limit = [&o](const QString &key) {
        return o.contains(key) ? std::optional(o.value(key).toString().toDouble()) : std::nullopt;
    };
    Method method;
    method.name = o.value(u"name"_s).toString();
    method.version = o.value(u"version"_s).toInt();
    method.mode = ModeFromInt(o.value(u"mode"_s).toInt());
    method.constants = { o.value(u"a"_s).toString().toFloat(),
                         o.value(u"lenC"_s).toString().toFloat(),
                         o.value(u"C"_s).toString().toFloat(),
                         o.value(u"lena"_s).toString().toFloat() };
    method.sampleCount = o.value(u"n"_s).toInt();
    method.lower = limit(u"lower"_s);
    method.upper = limit(u"upper"_s);
    method.decimals = o.value(u"decimals"_s).toInt();
    method.autoConfirm = o.value(u"auto"_s).toBool();
    return method;
}
