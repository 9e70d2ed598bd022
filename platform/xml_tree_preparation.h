#pragma once
// How documents are parsed, and the one change made to a parsed tree, shared by whole and
// streamed loads so that both see the same tree.

#include <libxml/parser.h>

namespace tavik {

// No network; entities are expanded so that the tree holds plain text, which keeps libxml2's
// entity-expansion limits in force (no XML_PARSE_HUGE); external DTDs and entities are asked for
// so that the session's policy refuses them loudly instead of leaving them silently unread. Blank
// text is dropped while parsing where the parser can tell (see removeBlankText), which spares
// making and freeing a node for each line break of an indented file.
constexpr int DocumentParseOptions = XML_PARSE_NONET | XML_PARSE_NOENT | XML_PARSE_DTDLOAD | XML_PARSE_NOBLANKS;

// Text that is only white space is not part of the document's content: removing it from the tree
// below top means that no caller ever sees it as a child node. Inside an element marked
// xml:space="preserve" (or below one) it is content, as XML says, so that a blank text such as a
// " " separator can be written. The parser already left out most of it; this removes what its
// rules keep, such as the blank content of an otherwise empty element. True when some element
// lost its only content so.
bool removeBlankText(xmlNodePtr top);

} // namespace tavik
