#pragma once
// The mark that tells an attribute written in the file from one that schema validation added for
// a declared default: every attribute present right after parsing carries it in its application
// pointer; the validator creates its defaults unmarked.

#include <libxml/tree.h>

namespace tavik {

void markWrittenAttributes(xmlNodePtr root);
bool isMarkedWritten(const xmlAttr *attr);

} // namespace tavik
