#include "freecad/freecad_units.h"

#include <QLocale>
#include <QRegularExpression>
#include <array>
#include <cmath>
#include <utility>

namespace tavik {

namespace {

struct Factor {
    const char *unit;
    double value; // in kilograms or cubic metres
};

constexpr std::array<Factor, 5> masses = {{{"kg", 1.0}, {"g", 1e-3}, {"mg", 1e-6}, {"t", 1e3}, {"lb", 0.45359237}}};
constexpr std::array<Factor, 8> volumes = {{{"m^3", 1.0}, {"dm^3", 1e-3}, {"cm^3", 1e-6}, {"mm^3", 1e-9}, {"l", 1e-3},
    {"ml", 1e-6}, {"in^3", 1.6387064e-5}, {"ft^3", 0.028316846592}}};

template <size_t N>
std::optional<double> factorOf(const std::array<Factor, N> &table, const QString &unit)
{
    for (const Factor &f : table)
        if (unit == QLatin1String(f.unit))
            return f.value;
    return std::nullopt;
}

// Index by index, as FreeCAD numbers its unit systems.
constexpr std::array<const char *, 10> systemLengths = {"mm", "m", "in", "in", "cm", "ft-in", "mm", "ft", "mm", "m"};

} // namespace

std::optional<double> densityFromText(const QString &text)
{
    static const QRegularExpression form(QStringLiteral(R"(^\s*((?:\d+\.?\d*|\.\d+)(?:[eE][-+]?\d+)?)\s*(.*?)\s*$)"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    bool ok = false;
    const double number = QLocale::c().toDouble(m.captured(1), &ok);
    if (!ok || !std::isfinite(number))
        return std::nullopt;
    QString unit = m.captured(2);
    unit.remove(QLatin1Char(' ')).replace(QChar(0x00B3), QLatin1String("^3"));
    if (unit.isEmpty())
        return number;
    const qsizetype slash = unit.indexOf(QLatin1Char('/'));
    if (slash < 0)
        return std::nullopt;
    const auto mass = factorOf(masses, unit.left(slash));
    const auto volume = factorOf(volumes, unit.mid(slash + 1));
    if (!mass || !volume)
        return std::nullopt;
    const double density = number * *mass / *volume;
    return std::isfinite(density) ? std::optional<double>(density) : std::nullopt;
}

QString densityText(double kilogramsPerCubicMetre)
{
    return QString::number(kilogramsPerCubicMetre, 'f', QLocale::FloatingPointShortest) + QStringLiteral(" kg/m^3");
}

QString unitSystemLength(long long index)
{
    return index >= 0 && index < qsizetype(systemLengths.size()) ? QString::fromLatin1(systemLengths[size_t(index)])
                                                                 : QString();
}

std::optional<long long> unitSystemFor(const QString &length)
{
    for (size_t i = 0; i < systemLengths.size(); ++i)
        if (length == QLatin1String(systemLengths[i]))
            return (long long)i;
    return std::nullopt;
}

} // namespace tavik
