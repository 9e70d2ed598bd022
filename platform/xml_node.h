#pragma once
// A node of a loaded XML document: element, attribute, text, comment, processing instruction.
// A light handle that keeps its document alive; a default-constructed handle is the null node.

#include "platform/xml_view.h"

#include <QString>
#include <memory>
#include <vector>

struct _xmlDoc;
struct _xmlNode;

namespace tavik {

class XmlNode {
public:
    using Kind = XmlView::Kind;

    XmlNode() = default;
    XmlNode(std::shared_ptr<_xmlDoc> doc, _xmlNode *node);

    // Kind, names, values, text and line read as XmlView reads them.
    bool isNull() const { return m_node == nullptr; }
    Kind kind() const;
    bool isElement() const { return kind() == Kind::Element; }
    QString localName() const;
    QString fullName() const;
    QString namespaceUri() const;
    QString value() const;
    QString text() const;
    long line() const;

    // Child nodes in order. Text that is only white space was dropped when the document loaded.
    std::vector<XmlNode> childNodes() const;
    bool hasChildNodes() const;
    XmlNode lastChild() const;

    // An element's attributes in document order (defaults supplied by the schema come last).
    std::vector<XmlNode> attributes() const;
    // The element's attribute with that full name; the null node when there is none.
    XmlNode attribute(const QString &fullName) const;
    // Whether an attribute was written in the file (false when the schema supplied it).
    bool specified() const;

    bool operator==(const XmlNode &other) const { return m_node == other.m_node; }
    // The same node without keeping the document alive, for fast walks.
    XmlView view() const { return XmlView(m_node); }

private:
    std::shared_ptr<_xmlDoc> m_doc;
    _xmlNode *m_node = nullptr;
};

} // namespace tavik
