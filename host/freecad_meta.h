#pragma once
// The Meta map of a FreeCAD document as the host reads it: the custom properties of the document
// level, and, under keys that begin with "Tavik:", the host's own settings that FreeCAD has no
// place for: the title, subject and keywords, a length unit that no unit system names, and the
// attributes. FreeCAD keeps every key of the map on its own saves.

#include "freecad/document_xml.h"
#include "host/document_data.h"

#include <optional>

namespace tavik::freecadMeta {

inline constexpr const char *ReservedPrefix = "Tavik:";
bool isReserved(const QString &key);

// Fills data's document-level custom properties, title, subject, keywords and attributes from
// the items, and returns the length unit they name. Throws FcstdError for a reserved key whose
// value is not one the host writes.
std::optional<int> read(const FreeCadItems &items, DocumentData &data);

// The items for data: its document-level custom properties in the host's order, then its own
// settings (lengthUnit when given), then, as they were, the keys of original that are neither
// (reserved keys the host does not know, a key without a name). Throws FcstdError for a custom property or attribute name that the map
// cannot hold apart from the host's settings.
FreeCadItems write(const DocumentData &data, std::optional<int> lengthUnit, const FreeCadItems &original);

// Whether two maps say the same: the same custom properties in the same order, and the same
// other keys with the same values in any order.
bool sameContent(const FreeCadItems &a, const FreeCadItems &b);

} // namespace tavik::freecadMeta
