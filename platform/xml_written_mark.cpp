#include "platform/xml_written_mark.h"

namespace tavik {

namespace {
char g_writtenMark;
} // namespace

void markWrittenAttributes(xmlNodePtr root)
{
    // Iterative walk: a deeply nested hostile file must not exhaust the stack.
    xmlNodePtr node = root;
    while (node) {
        if (node->type == XML_ELEMENT_NODE)
            for (xmlAttr *attr = node->properties; attr; attr = attr->next)
                attr->_private = &g_writtenMark;
        if (node->type == XML_ELEMENT_NODE && node->children) {
            node = node->children;
            continue;
        }
        while (node && node != root && !node->next)
            node = node->parent;
        if (!node || node == root)
            break;
        node = node->next;
    }
}

bool isMarkedWritten(const xmlAttr *attr)
{
    return attr && attr->_private == &g_writtenMark;
}

} // namespace tavik
