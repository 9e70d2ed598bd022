#include "config/error_text.h"

namespace tavik {

QString Str(long long n)
{
    const QString digits = QString::number(n);
    return n >= 0 ? QLatin1Char(' ') + digits : digits;
}

QString Str(double x)
{
    // "." whatever the locale; fifteen significant digits and a capital exponent mark, as the
    // number type prints them (1.2E-05).
    const QString digits = QString::number(x, 'g', 15).toUpper();
    return x >= 0 ? QLatin1Char(' ') + digits : digits;
}

QString standardErrorText(int number, const QString &description, const QString &proc)
{
    return QStringLiteral("Error ") + Str(static_cast<long long>(number)) + QStringLiteral(" (") + description
        + QStringLiteral(") in <") + proc + QStringLiteral(">     ");
}

QString exitingErrorText(int number, const QString &description, const QString &proc)
{
    return standardErrorText(number, description, proc) + QStringLiteral("\r\nExiting");
}

} // namespace tavik
