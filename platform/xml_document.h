#pragma once
// An XML document loaded from a file with libxml2: well-formedness errors and, when schemas are
// attached, validation errors come back as a parse error with line and reason. Validation puts the
// attribute defaults that the schema declares into the tree. Loading never touches the network,
// never reads external entities or DTDs, and keeps libxml2's limits on entity expansion.

#include "platform/xml_node.h"
#include "platform/xml_parse_error.h"

#include <QByteArray>
#include <QString>
#include <memory>

struct _xmlParserCtxt;

namespace tavik {

class XmlSchemaCache;
class XmlSession;

class XmlDocument {
public:
    XmlDocument() = default;

    // Schemas to validate against while loading, chosen by the document element's namespace.
    void setSchemas(std::shared_ptr<const XmlSchemaCache> schemas) { m_schemas = std::move(schemas); }

    // Reads the file; false with parseError() set when it is missing, not well formed, uses a
    // refused external resource, or is not valid against the attached schemas.
    bool load(const QString &path);
    // The same for a document held in memory; name stands for its location in diagnostics.
    bool loadBytes(const QByteArray &content, const QString &name);

    const XmlParseError &parseError() const { return m_parseError; }
    bool isLoaded() const { return m_doc != nullptr; }
    QString url() const;

    // The document element; the null node when nothing is loaded.
    XmlNode documentElement() const;
    // The document element as a borrowed view, valid while this document lives.
    XmlView documentElementView() const { return documentElement().view(); }
    // Frees a node of this document and everything below it, once a walk has read it, so that a
    // large document is not held whole beside what is built from it. Views into it become invalid.
    void discard(XmlView node);
    // The first node, in document order, that the XPath expression selects; the null node when it
    // selects none or is not a valid expression.
    XmlNode selectSingleNode(const QString &xpath) const;

private:
    friend class XmlSchemaCache;

    bool finishLoad(_xmlParserCtxt *ctxt, _xmlDoc *raw, XmlSession &session);

    std::shared_ptr<_xmlDoc> m_doc;
    std::shared_ptr<const XmlSchemaCache> m_schemas;
    XmlParseError m_parseError;
};

} // namespace tavik
