#include "platform/xml_node.h"

#include "platform/xml_written_mark.h"

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

} // namespace

XmlNode::XmlNode(std::shared_ptr<_xmlDoc> doc, _xmlNode *node)
    : m_doc(std::move(doc)), m_node(node)
{
}

XmlNode::Kind XmlNode::kind() const
{
    if (!m_node)
        return Kind::Null;
    switch (m_node->type) {
    case XML_ELEMENT_NODE: return Kind::Element;
    case XML_ATTRIBUTE_NODE: return Kind::Attribute;
    case XML_TEXT_NODE: return Kind::Text;
    case XML_CDATA_SECTION_NODE: return Kind::CData;
    case XML_COMMENT_NODE: return Kind::Comment;
    case XML_PI_NODE: return Kind::ProcessingInstruction;
    default: return Kind::Other;
    }
}

QString XmlNode::localName() const
{
    const Kind k = kind();
    return k == Kind::Element || k == Kind::Attribute ? fromXml(m_node->name) : QString();
}

QString XmlNode::fullName() const
{
    const QString local = localName();
    if (!local.isEmpty() && m_node->ns && m_node->ns->prefix)
        return fromXml(m_node->ns->prefix) + QLatin1Char(':') + local;
    return local;
}

QString XmlNode::namespaceUri() const
{
    const Kind k = kind();
    if ((k == Kind::Element || k == Kind::Attribute) && m_node->ns)
        return fromXml(m_node->ns->href);
    return {};
}

QString XmlNode::value() const
{
    if (!m_node || isElement())
        return {};
    return takeXml(xmlNodeGetContent(m_node));
}

QString XmlNode::text() const
{
    return m_node ? takeXml(xmlNodeGetContent(m_node)) : QString();
}

long XmlNode::line() const
{
    return m_node ? xmlGetLineNo(m_node) : 0;
}

std::vector<XmlNode> XmlNode::childNodes() const
{
    std::vector<XmlNode> nodes;
    if (!m_node || kind() == Kind::Attribute)
        return nodes;
    for (xmlNode *child = m_node->children; child; child = child->next)
        nodes.emplace_back(m_doc, child);
    return nodes;
}

bool XmlNode::hasChildNodes() const
{
    return m_node && kind() != Kind::Attribute && m_node->children != nullptr;
}

XmlNode XmlNode::lastChild() const
{
    if (!m_node || kind() == Kind::Attribute || !m_node->last)
        return {};
    return XmlNode(m_doc, m_node->last);
}

std::vector<XmlNode> XmlNode::attributes() const
{
    std::vector<XmlNode> nodes;
    if (!isElement())
        return nodes;
    for (xmlAttr *attr = m_node->properties; attr; attr = attr->next)
        nodes.emplace_back(m_doc, reinterpret_cast<xmlNode *>(attr));
    return nodes;
}

XmlNode XmlNode::attribute(const QString &fullName) const
{
    for (const XmlNode &attr : attributes())
        if (attr.fullName() == fullName)
            return attr;
    return {};
}

bool XmlNode::specified() const
{
    return kind() == Kind::Attribute && isMarkedWritten(reinterpret_cast<xmlAttr *>(m_node));
}

} // namespace tavik
