#include "platform/xml_node.h"

#include <libxml/tree.h>

namespace tavik {

XmlNode::XmlNode(std::shared_ptr<_xmlDoc> doc, _xmlNode *node)
    : m_doc(std::move(doc))
    , m_node(node)
{
}

XmlNode::Kind XmlNode::kind() const
{
    return view().kind();
}

QString XmlNode::localName() const
{
    return view().localName();
}

QString XmlNode::fullName() const
{
    return view().fullName();
}

QString XmlNode::namespaceUri() const
{
    return view().namespaceUri();
}

QString XmlNode::value() const
{
    return view().value();
}

QString XmlNode::text() const
{
    return view().text();
}

long XmlNode::line() const
{
    return view().line();
}

std::vector<XmlNode> XmlNode::childNodes() const
{
    std::vector<XmlNode> nodes;
    for (XmlView child = view().firstChild(); !child.isNull(); child = child.next())
        nodes.emplace_back(m_doc, child.node());
    return nodes;
}

bool XmlNode::hasChildNodes() const
{
    return !view().firstChild().isNull();
}

XmlNode XmlNode::lastChild() const
{
    const XmlView last = view().lastChild();
    return last.isNull() ? XmlNode() : XmlNode(m_doc, last.node());
}

std::vector<XmlNode> XmlNode::attributes() const
{
    std::vector<XmlNode> nodes;
    for (XmlView attr = view().firstAttribute(); !attr.isNull(); attr = attr.next())
        nodes.emplace_back(m_doc, attr.node());
    return nodes;
}

XmlNode XmlNode::attribute(const QString &fullName) const
{
    const XmlView attr = view().attribute(fullName.toUtf8().constData());
    return attr.isNull() ? XmlNode() : XmlNode(m_doc, attr.node());
}

bool XmlNode::specified() const
{
    return view().specified();
}

} // namespace tavik
