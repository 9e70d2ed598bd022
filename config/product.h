#pragma once
// The product's name, version and notice line, as the editor's caption, the menu text, the
// status bar and the About box show them.

#include "tavik_build.h"

#include <QString>

namespace tavik::product {

inline QString title()
{
    return QStringLiteral("Tavik");
}
inline QString version()
{
    return QStringLiteral(TAVIK_VERSION " L");
}
inline QString notice()
{
    return QStringLiteral("Custom properties editor for part and assembly documents");
}

} // namespace tavik::product
