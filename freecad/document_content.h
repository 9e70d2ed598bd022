#pragma once
// What the objects of a FreeCAD document make: the shapes a person sees as the part, and whether
// the document is an assembly.

#include "freecad/document_xml.h"

#include <QStringList>

namespace tavik {

// The archive entries holding the shapes of the visible objects that no other shape-holding
// object uses: a cut's tool and base, or a body's features, are part of the cut or the body. A
// group or a container without a shape of its own consumes nothing, so its members still count.
QStringList partShapeEntries(const QList<FreeCadObject> &objects);

// An assembly links other document files or holds an assembly object; anything else is a part.
bool isAssembly(const QList<FreeCadObject> &objects);

} // namespace tavik
