#include "platform/xml_attribute_defaults.h"

#include "platform/xml_session.h"

#include <algorithm>
#include <cstring>
#include <libxml/dict.h>
#include <libxml/tree.h>
#include <libxml/xmlschemas.h>

namespace tavik {

namespace {

const char *const SchemaInstanceNamespace = "http://www.w3.org/2001/XMLSchema-instance";

struct DocFree {
    void operator()(xmlDoc *d) const { xmlFreeDoc(d); }
};
struct ValidContextFree {
    void operator()(xmlSchemaValidCtxt *c) const { xmlSchemaFreeValidCtxt(c); }
};

const char *nsHref(const xmlNode *node)
{
    return node->ns && node->ns->href ? reinterpret_cast<const char *>(node->ns->href) : "";
}

const xmlNode *firstElement(const xmlNode *node)
{
    while (node && node->type != XML_ELEMENT_NODE)
        node = node->next;
    return node;
}

// Pre-order successor among the elements of a subtree; nullptr past its end.
template <typename Node>
Node *nextElement(Node *node, Node *top)
{
    if (Node *child = const_cast<Node *>(firstElement(node->children)))
        return child;
    while (node != top) {
        if (Node *sibling = const_cast<Node *>(firstElement(node->next)))
            return sibling;
        node = node->parent;
    }
    return nullptr;
}

bool namesItsOwnType(const xmlNode *element)
{
    for (const xmlAttr *attr = element->properties; attr; attr = attr->next)
        if (attr->ns && attr->ns->href
            && std::strcmp(reinterpret_cast<const char *>(attr->ns->href), SchemaInstanceNamespace) == 0)
            return true;
    return false;
}

} // namespace

// One element kind: its name, its defaults once learned, and the kinds of its child elements.
struct XmlAttributeDefaults::Kind {
    QByteArray namespaceUri;
    QByteArray localName;
    bool learned = false;
    std::vector<DefaultAttribute> defaults;
    std::vector<Kind *> children;
};

XmlAttributeDefaults::XmlAttributeDefaults(_xmlDict *names, _xmlSchema *schema)
    : m_names(names)
    , m_schema(schema)
    , m_documentKind(&m_kinds.emplace_back())
{
    m_documentKind->learned = true;
}

XmlAttributeDefaults::~XmlAttributeDefaults() = default;

const std::vector<DefaultAttribute> &XmlAttributeDefaults::of(const _xmlNode *element)
{
    static const std::vector<DefaultAttribute> none;
    const auto *kind = element ? static_cast<const Kind *>(element->_private) : nullptr;
    return kind ? kind->defaults : none;
}

bool XmlAttributeDefaults::writes(const _xmlNode *element, const DefaultAttribute &attribute)
{
    for (const xmlAttr *attr = element->properties; attr; attr = attr->next)
        // Names are interned in the document's dictionary: equal names are mostly the same pointer.
        if ((attr->name == attribute.localName
                || (attr->name[0] == attribute.localName[0] && xmlStrEqual(attr->name, attribute.localName)))
            && attribute.namespaceUri
                == (attr->ns && attr->ns->href ? reinterpret_cast<const char *>(attr->ns->href) : ""))
            return true;
    return false;
}

XmlAttributeDefaults::Kind *XmlAttributeDefaults::kindOf(Kind *parent, const _xmlNode *element)
{
    const char *name = reinterpret_cast<const char *>(element->name);
    const char *ns = nsHref(element);
    for (Kind *child : parent->children)
        if (child->localName == name && child->namespaceUri == ns)
            return child;
    Kind &kind = m_kinds.emplace_back();
    kind.localName = name;
    kind.namespaceUri = ns;
    parent->children.push_back(&kind);
    return &kind;
}

bool XmlAttributeDefaults::mark(_xmlNode *root, _xmlNode *subtree)
{
    bool unlearned = false;
    for (xmlNode *element = subtree; element; element = nextElement(element, subtree)) {
        if (namesItsOwnType(element))
            return false;
        Kind *parent = element == subtree ? m_documentKind : static_cast<Kind *>(element->parent->_private);
        Kind *kind = kindOf(parent, element);
        element->_private = kind;
        unlearned = unlearned || !kind->learned;
    }
    return !unlearned || learn(root, subtree);
}

namespace {

// A copy of subtree under a copy of the document element, in a document of its own.
std::unique_ptr<xmlDoc, DocFree> copyAlone(xmlNodePtr root, xmlNodePtr subtree, xmlNodePtr *copy)
{
    std::unique_ptr<xmlDoc, DocFree> doc(xmlNewDoc(reinterpret_cast<const xmlChar *>("1.0")));
    xmlNodePtr copiedRoot = doc ? xmlDocCopyNode(root, doc.get(), 2) : nullptr;
    if (!copiedRoot)
        return nullptr;
    xmlDocSetRootElement(doc.get(), copiedRoot);
    *copy = xmlDocCopyNode(subtree, doc.get(), 1);
    if (!*copy || !xmlAddChild(copiedRoot, *copy))
        return nullptr;
    xmlReconciliateNs(doc.get(), copiedRoot);
    return doc;
}

// The validator's faults other than a required attribute that is missing.
void countOtherFaults(void *count, XmlSession::ErrorArg error)
{
    if (error && error->level >= XML_ERR_ERROR && error->code != XML_SCHEMAV_CVC_COMPLEX_TYPE_4)
        ++*static_cast<int *>(count);
}

} // namespace

// A copy of the subtree, alone under a copy of the document element, is validated with the
// defaults put in. The first element of each kind not learned yet loses its attributes in the
// copy first, so that the validator gives it every default its declaration has; it then only
// misses its required attributes. Any other fault means that the subtree is not valid alone, and
// so that its elements might not be declared as in the whole document (whose document element
// takes any child by its name alone): nothing is learned then.
bool XmlAttributeDefaults::learn(_xmlNode *root, _xmlNode *subtree)
{
    xmlNodePtr copy = nullptr;
    const auto alone = copyAlone(root, subtree, &copy);
    if (!alone)
        return false;
    std::vector<std::pair<xmlNodePtr, Kind *>> bare;
    xmlNodePtr copied = copy;
    for (xmlNode *element = subtree; element && copied;
         element = nextElement(element, subtree), copied = nextElement(copied, copy)) {
        auto *kind = static_cast<Kind *>(element->_private);
        if (kind->learned
            || std::any_of(bare.begin(), bare.end(), [kind](const auto &entry) { return entry.second == kind; }))
            continue;
        xmlFreePropList(copied->properties);
        copied->properties = nullptr;
        bare.emplace_back(copied, kind);
    }

    XmlSession session;
    std::unique_ptr<xmlSchemaValidCtxt, ValidContextFree> validator(xmlSchemaNewValidCtxt(m_schema));
    if (!validator)
        return false;
    int otherFaults = 0;
    xmlSchemaSetValidOptions(validator.get(), XML_SCHEMA_VAL_VC_I_CREATE);
    xmlSchemaSetValidStructuredErrors(validator.get(), &countOtherFaults, &otherFaults);
    if (xmlSchemaValidateDoc(validator.get(), alone.get()) < 0 || otherFaults > 0 || session.failed())
        return false;

    for (const auto &[element, kind] : bare) {
        for (const xmlAttr *added = element->properties; added; added = added->next) {
            DefaultAttribute &def = kind->defaults.emplace_back();
            def.localName = xmlDictLookup(m_names, added->name, -1);
            if (!def.localName)
                return false;
            if (added->ns && added->ns->href)
                def.namespaceUri = reinterpret_cast<const char *>(added->ns->href);
            def.fullName = reinterpret_cast<const char *>(added->name);
            if (added->ns && added->ns->prefix)
                def.fullName.prepend(QByteArray(reinterpret_cast<const char *>(added->ns->prefix)) + ':');
            xmlChar *value = xmlNodeListGetString(alone.get(), added->children, 1);
            def.value = QString::fromUtf8(value ? reinterpret_cast<const char *>(value) : "");
            xmlFree(value);
        }
        kind->learned = true;
    }
    return true;
}

} // namespace tavik
