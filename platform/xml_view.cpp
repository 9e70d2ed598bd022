#include "platform/xml_view.h"

#include "platform/xml_written_mark.h"

#include <cstring>
#include <libxml/tree.h>

namespace tavik {

namespace {

QString fromXml(const xmlChar *text)
{
    return text ? QString::fromUtf8(reinterpret_cast<const char *>(text)) : QString();
}

QString takeXml(xmlChar *text)
{
    QString result = fromXml(text);
    xmlFree(text);
    return result;
}

// The content of a node whose only child is one text node (the usual attribute, or an element
// holding plain text), read without libxml2 copying it first; nullptr otherwise.
const xmlChar *singleText(const xmlNode *node)
{
    const xmlNode *child = node->children;
    return child && !child->next && child->type == XML_TEXT_NODE && !child->children ? child->content : nullptr;
}

} // namespace

XmlView::Kind XmlView::kind() const
{
    if (!m_node)
        return Kind::Null;
    switch (m_node->type) {
    case XML_ELEMENT_NODE:
        return Kind::Element;
    case XML_ATTRIBUTE_NODE:
        return Kind::Attribute;
    case XML_TEXT_NODE:
        return Kind::Text;
    case XML_CDATA_SECTION_NODE:
        return Kind::CData;
    case XML_COMMENT_NODE:
        return Kind::Comment;
    case XML_PI_NODE:
        return Kind::ProcessingInstruction;
    default:
        return Kind::Other;
    }
}

QString XmlView::localName() const
{
    const Kind k = kind();
    return k == Kind::Element || k == Kind::Attribute ? fromXml(m_node->name) : QString();
}

QString XmlView::fullName() const
{
    const QString local = localName();
    if (!local.isEmpty() && m_node->ns && m_node->ns->prefix)
        return fromXml(m_node->ns->prefix) + QLatin1Char(':') + local;
    return local;
}

QString XmlView::namespaceUri() const
{
    const Kind k = kind();
    if ((k == Kind::Element || k == Kind::Attribute) && m_node->ns)
        return fromXml(m_node->ns->href);
    return {};
}

bool XmlView::hasFullName(const char *name) const
{
    const Kind k = kind();
    if ((k != Kind::Element && k != Kind::Attribute) || !m_node->name)
        return false;
    const char *local = reinterpret_cast<const char *>(m_node->name);
    const char *prefix
        = m_node->ns && m_node->ns->prefix ? reinterpret_cast<const char *>(m_node->ns->prefix) : nullptr;
    if (!prefix)
        return std::strcmp(local, name) == 0;
    const size_t n = std::strlen(prefix);
    return std::strncmp(name, prefix, n) == 0 && name[n] == ':' && std::strcmp(name + n + 1, local) == 0;
}

const char *XmlView::plainName() const
{
    const Kind k = kind();
    if ((k != Kind::Element && k != Kind::Attribute) || (m_node->ns && m_node->ns->prefix))
        return nullptr;
    return reinterpret_cast<const char *>(m_node->name);
}

bool XmlView::hasLocalName(const char *name) const
{
    const Kind k = kind();
    return (k == Kind::Element || k == Kind::Attribute) && m_node->name
        && std::strcmp(reinterpret_cast<const char *>(m_node->name), name) == 0;
}

QString XmlView::value() const
{
    if (!m_node || isElement())
        return {};
    if (m_node->type == XML_ATTRIBUTE_NODE)
        if (const xmlChar *text = singleText(m_node))
            return fromXml(text);
    return takeXml(xmlNodeGetContent(m_node));
}

QString XmlView::text() const
{
    if (!m_node)
        return {};
    if (m_node->type == XML_TEXT_NODE)
        return fromXml(m_node->content);
    if (m_node->type == XML_ELEMENT_NODE || m_node->type == XML_ATTRIBUTE_NODE)
        if (const xmlChar *text = singleText(m_node))
            return fromXml(text);
    return takeXml(xmlNodeGetContent(m_node));
}

long XmlView::line() const
{
    return m_node ? xmlGetLineNo(m_node) : 0;
}

XmlView XmlView::firstChild() const
{
    return m_node && kind() != Kind::Attribute ? XmlView(m_node->children) : XmlView();
}

XmlView XmlView::lastChild() const
{
    return m_node && kind() != Kind::Attribute ? XmlView(m_node->last) : XmlView();
}

XmlView XmlView::next() const
{
    return m_node ? XmlView(m_node->next) : XmlView();
}

XmlView XmlView::firstAttribute() const
{
    return isElement() ? XmlView(reinterpret_cast<xmlNode *>(m_node->properties)) : XmlView();
}

XmlView XmlView::attribute(const char *fullName) const
{
    for (XmlView attr = firstAttribute(); !attr.isNull(); attr = attr.next())
        if (attr.hasFullName(fullName))
            return attr;
    return {};
}

bool XmlView::specified() const
{
    return kind() == Kind::Attribute && isMarkedWritten(reinterpret_cast<xmlAttr *>(m_node));
}

} // namespace tavik
