#pragma once
// FreeCAD's forms of the units the host keeps: a density as a quantity text ("7850 kg/m^3"), and
// the length unit of each of FreeCAD's unit systems.

#include <QString>
#include <optional>

namespace tavik {

// kg/m³ from a quantity text: a number and a mass per volume ("2.7 g/cm^3", "7850 kg/m³"); a bare
// number is taken as kg/m³. None for any other text, or a negative or infinite density.
std::optional<double> densityFromText(const QString &text);
// The quantity text FreeCAD writes for a density in kg/m³.
QString densityText(double kilogramsPerCubicMetre);

// The length unit of a FreeCAD unit system by its index ("mm", "m", "in", "cm", "ft", "ft-in");
// empty for an index FreeCAD does not define.
QString unitSystemLength(long long index);
// The unit system FreeCAD shows lengths in that unit with; none when no system does.
std::optional<long long> unitSystemFor(const QString &length);

} // namespace tavik
