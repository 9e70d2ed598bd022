#include "platform/xml_tree_preparation.h"

namespace tavik {

namespace {

// Pre-order successor of node that does not enter node's children; nullptr past the end of top.
xmlNodePtr nextOutside(xmlNodePtr node, xmlNodePtr top)
{
    while (node != top && !node->next)
        node = node->parent;
    return node == top ? nullptr : node->next;
}

} // namespace

bool removeBlankText(xmlNodePtr top)
{
    bool emptied = false;
    xmlNodePtr node = top->children;
    while (node) {
        if (node->type == XML_TEXT_NODE && xmlIsBlankNode(node) && xmlNodeGetSpacePreserve(node->parent) != 1) {
            emptied = emptied || (node->parent->children == node && !node->next);
            xmlNodePtr next = nextOutside(node, top);
            xmlUnlinkNode(node);
            xmlFreeNode(node);
            node = next;
        } else if (node->type == XML_ELEMENT_NODE) {
            node = node->children ? node->children : nextOutside(node, top);
        } else {
            node = nextOutside(node, top);
        }
    }
    return emptied;
}

} // namespace tavik
