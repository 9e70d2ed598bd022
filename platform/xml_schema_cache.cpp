#include "platform/xml_schema_cache.h"

#include "platform/xml_session.h"

#include <QFileInfo>
#include <QUrl>
#include <libxml/schemasInternals.h>
#include <libxml/xmlschemas.h>

namespace tavik {

// The compiled schema points into its document (for its diagnostics), so both live together.
struct XmlSchemaCache::Entry {
    std::shared_ptr<_xmlDoc> doc;
    xmlSchemaPtr schema = nullptr;
    ~Entry()
    {
        if (schema)
            xmlSchemaFree(schema);
    }
};

namespace {
struct SchemaParserFree {
    void operator()(xmlSchemaParserCtxt *c) const { xmlSchemaFreeParserCtxt(c); }
};
} // namespace

bool XmlSchemaCache::add(const QString &namespaceUri, XmlDocument &schemaDoc)
{
    if (!schemaDoc.m_doc) {
        if (schemaDoc.m_parseError.reason.isEmpty())
            schemaDoc.m_parseError.reason = xmlReasonText(QStringLiteral("No schema document is loaded"));
        return false;
    }
    const QString folder = QFileInfo(QUrl(schemaDoc.url()).toLocalFile()).absolutePath();
    XmlSession session(folder);
    session.setDocumentUrl(schemaDoc.url().toUtf8());

    std::unique_ptr<xmlSchemaParserCtxt, SchemaParserFree> parser(xmlSchemaNewDocParserCtxt(schemaDoc.m_doc.get()));
    if (!parser) {
        schemaDoc.m_parseError = {0, xmlReasonText(QStringLiteral("Out of memory"))};
        return false;
    }
    xmlSchemaSetParserStructuredErrors(parser.get(), &XmlSession::collect, &session);
    auto entry = std::make_shared<Entry>();
    entry->doc = schemaDoc.m_doc;
    entry->schema = xmlSchemaParse(parser.get());
    parser.reset(); // the way libxml2 expects: parser context gone before the schema is freed
    if (!entry->schema || session.failed()) {
        schemaDoc.m_parseError = session.firstError();
        if (schemaDoc.m_parseError.reason.isEmpty())
            schemaDoc.m_parseError.reason = xmlReasonText(QStringLiteral("The schema could not be compiled"));
        return false;
    }
    const QString target = entry->schema->targetNamespace
        ? QString::fromUtf8(reinterpret_cast<const char *>(entry->schema->targetNamespace))
        : QString();
    if (target != namespaceUri) {
        schemaDoc.m_parseError = {0,
            xmlReasonText(QStringLiteral("The namespace \"") + namespaceUri
                + QStringLiteral("\" is not the schema's target namespace \"") + target + QStringLiteral("\""))};
        return false;
    }
    m_entries[namespaceUri] = std::move(entry);
    return true;
}

_xmlSchema *XmlSchemaCache::find(const QString &namespaceUri) const
{
    const auto it = m_entries.find(namespaceUri);
    return it == m_entries.end() ? nullptr : it->second->schema;
}

std::optional<QString> XmlSchemaCache::soleNamespace() const
{
    if (m_entries.size() != 1)
        return std::nullopt;
    return m_entries.begin()->first;
}

} // namespace tavik
