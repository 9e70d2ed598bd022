#include "config/error_text.h"

namespace tavik {

QString Str(long long n)
{
    const QString digits = QString::number(n);
    return n >= 0 ? QLatin1Char(' ') + digits : digits;
}

QString Str(double x)
{
    // Fifteen significant digits, as the number type holds them; "." whatever the locale.
    const QString digits = QString::number(x, 'g', 15);
    return x >= 0 ? QLatin1Char(' ') + digits : digits;
}

QString standardErrorText(int number, const QString &description, const QString &proc)
{
    return QStringLiteral("Error ") + Str(static_cast<long long>(number)) + QStringLiteral(" (")
        + description + QStringLiteral(") in <") + proc + QStringLiteral(">     ");
}

QString exitingErrorText(int number, const QString &description, const QString &proc)
{
    return standardErrorText(number, description, proc) + QStringLiteral("\r\nExiting");
}

} // namespace tavik
