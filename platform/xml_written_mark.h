#pragma once
// The mark that tells an attribute written in the file from one that schema validation added for
// a declared default: every attribute present right after parsing carries it in its application
// pointer; the validator creates its defaults unmarked.

#include <libxml/tree.h>

namespace tavik {

// Marks the attributes that the element carries now as written.
void markWrittenAttributes(xmlNodePtr element);
bool isMarkedWritten(const xmlAttr *attr);

} // namespace tavik
