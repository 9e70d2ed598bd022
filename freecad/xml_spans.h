#pragma once
// Where the elements of an XML text stand in its bytes, so that a writer can replace one element
// and leave every other byte as it was. Meant for text that a full parser has already found well
// formed; it refuses what it does not expect (a document type declaration among it).

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

namespace tavik {

struct XmlAttributeSpan {
    QByteArray name;
    qsizetype valueBegin = 0; // the value as written, between its quotes
    qsizetype valueEnd = 0;
};

struct XmlElementSpan {
    QByteArray name;
    int depth = 0; // 0 for the document element
    int parent = -1; // index of the parent element in the list; -1 for the document element
    qsizetype begin = 0; // the "<" of the start tag
    qsizetype startTagEnd = 0; // just past the start tag
    qsizetype endTagBegin = 0; // the "<" of the end tag; startTagEnd for an empty-element tag
    qsizetype end = 0; // just past the element
    bool emptyTag = false; // written as <name/>
    QList<XmlAttributeSpan> attributes;

    const XmlAttributeSpan *attribute(const char *attributeName) const;
};

struct XmlSpans {
    QList<XmlElementSpan> elements; // down to the depth asked for, in document order
    QByteArray encoding; // as the XML declaration names it; empty when it names none
};

// Throws FcstdError when the text holds a document type declaration or is not as expected.
XmlSpans scanXmlSpans(const QByteArray &xml, int maxDepth);

// An attribute value as written, with its character and entity references replaced.
QString xmlAttributeText(const QByteArray &xml, const XmlAttributeSpan &attribute);

} // namespace tavik
