#include "core/journal/accounts/AccountTypes.h"

#include <array>

using namespace Qt::StringLiterals;

namespace {

constexpr std::array kRoleTexts { u"operator", u"reviewer", u"admin" };
constexpr std::array kMeaningTexts { u"performed", u"reviewed", u"approved" };

template<typename Enum, std::size_t N>
std::optional<Enum> FromText(const std::array<const char16_t *, N> &texts, const QString &text)
{
    for (std::size_t i = 0; i < N; ++i) {
        if (text == QStringView(texts[i]))
            return static_cast<Enum>(i);
    }
    return std::nullopt;
}

} // namespace

QString RoleText(Role role)
{
    return QString::fromUtf16(kRoleTexts.at(static_cast<std::size_t>(role)));
}

std::optional<Role> RoleFromText(const QString &text)
{
    return FromText<Role>(kRoleTexts, text);
}

QString MeaningText(Meaning meaning)
{
    return QString::fromUtf16(kMeaningTexts.at(static_cast<std::size_t>(meaning)));
}

std::optional<Meaning> MeaningFromText(const QString &text)
{
    return FromText<Meaning>(kMeaningTexts, text);
}
