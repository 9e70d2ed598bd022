#pragma once
// The zip archive a FreeCAD document is kept in.
