#include "config/value_conversion.h"

#include <QLocale>
#include <cmath>
#include <limits>

namespace tavik {

namespace {

// A plain decimal number such as "12", "-3", "2.5" or "1e3", blanks around it allowed; no group
// separators, no infinities or NaN.
std::optional<double> toNumber(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    static const QLocale c = [] {
        QLocale locale = QLocale::c();
        locale.setNumberOptions(QLocale::RejectGroupSeparator);
        return locale;
    }();
    bool ok = false;
    const double value = c.toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// A plain decimal integer of up to nine digits with an optional minus sign, as most files write
// their numbers: read without going through the locale.
std::optional<long long> plainInteger(const QString &text)
{
    const qsizetype sign = !text.isEmpty() && text.front() == QLatin1Char('-') ? 1 : 0;
    const qsizetype digits = text.size() - sign;
    if (digits < 1 || digits > 9)
        return std::nullopt;
    long long value = 0;
    for (qsizetype k = sign; k < text.size(); ++k) {
        const char16_t c = text[k].unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c - u'0');
    }
    return sign ? -value : value;
}

template <typename Int>
std::optional<Int> toInteger(const QString &text)
{
    if (const std::optional<long long> plain = plainInteger(text)) {
        if (*plain < std::numeric_limits<Int>::min() || *plain > std::numeric_limits<Int>::max())
            return std::nullopt;
        return static_cast<Int>(*plain);
    }
    const std::optional<double> number = toNumber(text);
    if (!number)
        return std::nullopt;
    // std::nearbyint in the default rounding mode takes a half to the even neighbour.
    const double rounded = std::nearbyint(*number);
    if (rounded < double(std::numeric_limits<Int>::min()) || rounded > double(std::numeric_limits<Int>::max()))
        return std::nullopt;
    return static_cast<Int>(rounded);
}

} // namespace

std::optional<bool> toBoolean(const QString &text)
{
    // The common spellings first, without making a trimmed copy.
    if (text == QLatin1String("true"))
        return true;
    if (text == QLatin1String("false"))
        return false;
    const QString trimmed = text.trimmed();
    if (trimmed.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    if (trimmed.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        return false;
    const std::optional<double> number = toNumber(trimmed);
    if (!number)
        return std::nullopt;
    return *number != 0.0;
}

std::optional<int16_t> toInt16(const QString &text)
{
    return toInteger<int16_t>(text);
}

std::optional<int32_t> toInt32(const QString &text)
{
    return toInteger<int32_t>(text);
}

} // namespace tavik
