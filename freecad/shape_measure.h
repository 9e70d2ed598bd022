#pragma once
// Volume, surface area and centre of mass of the solids in shapes stored as FreeCAD stores them,
// computed with OpenCASCADE.

#include <QByteArray>
#include <QString>
#include <array>
#include <utility>
#include <vector>

namespace tavik {

struct ShapeMeasure {
    double volume = 0;                    // mm³
    double area = 0;                      // mm²
    std::array<double, 3> centreOfMass{}; // mm; all zero when there is no solid
};

// Each shape: the archive entry's name (it tells text BREP from binary) and its bytes. The measure
// is taken over all solids of all shapes together. Throws RuntimeError naming the entry that
// cannot be read.
ShapeMeasure measureSolids(const std::vector<std::pair<QString, QByteArray>> &shapes);

} // namespace tavik
