#pragma once
// A node of a loaded XML document: element, attribute, text, comment, processing instruction.
// A light handle that keeps its document alive; a default-constructed handle is the null node.

#include <QString>
#include <memory>
#include <vector>

struct _xmlDoc;
struct _xmlNode;

namespace tavik {

class XmlNode {
public:
    enum class Kind { Null, Element, Attribute, Text, CData, Comment, ProcessingInstruction, Other };

    XmlNode() = default;
    XmlNode(std::shared_ptr<_xmlDoc> doc, _xmlNode *node);

    bool isNull() const { return m_node == nullptr; }
    Kind kind() const;
    bool isElement() const { return kind() == Kind::Element; }

    // Name without namespace prefix (elements and attributes; empty for other nodes).
    QString localName() const;
    // Name as written, with its prefix when it has one.
    QString fullName() const;
    QString namespaceUri() const;
    // An attribute's value, or the content of a text, comment or processing instruction node;
    // empty for an element.
    QString value() const;
    // The whole text content: the concatenated texts of all descendants.
    QString text() const;
    // Line of the node in its file (0 when unknown).
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

private:
    std::shared_ptr<_xmlDoc> m_doc;
    _xmlNode *m_node = nullptr;
};

} // namespace tavik
