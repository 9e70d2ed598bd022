#pragma once
// A borrowed view of a node of a loaded XML document, for walking a large tree without copying:
// it owns nothing and stays valid only while its XmlDocument lives and keeps the tree. Names are
// compared without making strings; attribute values and short texts are read straight from the
// tree.

#include <QString>

struct _xmlNode;

namespace tavik {

class XmlView {
public:
    enum class Kind { Null, Element, Attribute, Text, CData, Comment, ProcessingInstruction, Other };

    XmlView() = default;
    explicit XmlView(_xmlNode *node)
        : m_node(node)
    {
    }

    bool isNull() const { return m_node == nullptr; }
    Kind kind() const;
    bool isElement() const { return kind() == Kind::Element; }

    // Name without namespace prefix (elements and attributes; empty for other nodes).
    QString localName() const;
    // Name as written, with its prefix when it has one.
    QString fullName() const;
    QString namespaceUri() const;
    // Whether the element or attribute is written with exactly this name ("prefix:local" or
    // "local" without a prefix).
    bool hasFullName(const char *name) const;
    // The name of an element or attribute written without a prefix; nullptr for any other node.
    const char *plainName() const;
    // Whether the element or attribute has this name, whatever its prefix.
    bool hasLocalName(const char *name) const;
    // An attribute's value, or the content of a text, comment or processing instruction node;
    // empty for an element.
    QString value() const;
    // The whole text content: the concatenated texts of all descendants.
    QString text() const;
    // Line of the node in its file (0 when unknown).
    long line() const;

    // Navigation over children (elements, texts and the rest) and over an element's attributes;
    // the null view past the end.
    XmlView firstChild() const;
    XmlView lastChild() const;
    XmlView next() const;
    XmlView firstAttribute() const;
    // The element's attribute with that full name; the null view when there is none.
    XmlView attribute(const char *fullName) const;
    // Whether an attribute was written in the file (false when the schema supplied it).
    bool specified() const;

    _xmlNode *node() const { return m_node; }
    bool operator==(const XmlView &other) const { return m_node == other.m_node; }

private:
    _xmlNode *m_node = nullptr;
};

} // namespace tavik
