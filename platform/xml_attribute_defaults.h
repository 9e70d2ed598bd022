#pragma once
// The attribute defaults that a schema gives the elements of a document, learned by element kind
// for a reader that streams the document and so never gets them put into its tree.
//
// An element's kind is the path of element names (namespace and local name) from the document
// element down to it: a schema declares the same element, and so the same defaults, for every
// element of one kind. The defaults of a kind are learned once, from a copy of the first subtree
// in which the kind appears, validated in a document of its own with the defaults put in; every
// later element of the kind gets them from here. Each element of a marked subtree carries its
// kind in its application pointer.

#include <QByteArray>
#include <QString>
#include <deque>
#include <memory>
#include <vector>

struct _xmlNode;
struct _xmlSchema;
struct _xmlDict;

namespace tavik {

// An attribute that the schema supplies when the file leaves it out.
struct DefaultAttribute {
    const unsigned char *localName = nullptr; // interned in the streamed document's dictionary
    QByteArray namespaceUri; // empty for an unqualified attribute
    QByteArray fullName; // "prefix:local" or "local", as the validator writes it
    QString value;
};

class XmlAttributeDefaults {
public:
    // names: the dictionary of the document whose elements get marked; schema: what validates it.
    XmlAttributeDefaults(_xmlDict *names, _xmlSchema *schema);
    ~XmlAttributeDefaults();
    XmlAttributeDefaults(const XmlAttributeDefaults &) = delete;
    XmlAttributeDefaults &operator=(const XmlAttributeDefaults &) = delete;

    // Marks every element of subtree (a child of root) with its kind and learns the defaults of
    // kinds seen for the first time. False when they cannot be learned exactly: the subtree is
    // not valid in a document of its own, or an element names its own type (xsi:type and the
    // rest of the schema instance attributes), which a kind cannot stand for.
    bool mark(_xmlNode *root, _xmlNode *subtree);

    // The defaults of a marked element's kind; empty for an element that is not marked.
    static const std::vector<DefaultAttribute> &of(const _xmlNode *element);
    // Whether the element writes the attribute itself, so that its default does not apply.
    static bool writes(const _xmlNode *element, const DefaultAttribute &attribute);

private:
    struct Kind;
    Kind *kindOf(Kind *parent, const _xmlNode *element);
    bool learn(_xmlNode *root, _xmlNode *subtree);

    _xmlDict *m_names;
    _xmlSchema *m_schema;
    std::deque<Kind> m_kinds;
    Kind *m_documentKind;
};

} // namespace tavik
