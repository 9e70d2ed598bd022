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
    double volume = 0; // mm³
    double area = 0; // mm²
    std::array<double, 3> centreOfMass{}; // mm; all zero when there is no solid
};

// Each shape: the archive entry's name and its bytes, text or binary BREP as FreeCAD writes them
// (the bytes tell which); an empty entry is an empty shape. The measure is taken over all solids
// of all shapes together; shapes without solids add nothing. The shapes are read and measured in
// a child process, so that a damaged entry cannot crash or stall the caller. Throws RuntimeError
// naming the entry that cannot be read.
ShapeMeasure measureSolids(const std::vector<std::pair<QString, QByteArray>> &shapes);

} // namespace tavik
