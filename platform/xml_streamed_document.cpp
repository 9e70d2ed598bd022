#include "platform/xml_streamed_document.h"

#include "platform/xml_attribute_defaults.h"
#include "platform/xml_schema_cache.h"
#include "platform/xml_session.h"
#include "platform/xml_tree_preparation.h"

#include <QFileInfo>
#include <QUrl>
#include <libxml/xmlreader.h>
#include <libxml/xmlschemas.h>

namespace tavik {

namespace {

int readFile(void *file, char *buffer, int length)
{
    const qint64 n = static_cast<QFile *>(file)->read(buffer, length);
    return n < 0 ? -1 : int(n);
}

int keepFileOpen(void *)
{
    return 0;
}

} // namespace

XmlStreamedDocument::XmlStreamedDocument(std::shared_ptr<const XmlSchemaCache> schemas)
    : m_schemas(std::move(schemas))
{
}

XmlStreamedDocument::~XmlStreamedDocument()
{
    // The reader first: it may still hand events to the validator while it is freed.
    if (m_reader)
        xmlFreeTextReader(m_reader);
    if (m_validator)
        xmlSchemaFreeValidCtxt(m_validator);
}

bool XmlStreamedDocument::end()
{
    m_ended = true;
    m_onChild = false;
    return false;
}

bool XmlStreamedDocument::open(const QString &path)
{
    const std::optional<QString> ns = m_schemas ? m_schemas->soleNamespace() : std::nullopt;
    xmlSchemaPtr schema = ns ? m_schemas->find(*ns) : nullptr;
    if (m_reader || !schema)
        return end();
    m_session = std::make_unique<XmlSession>();
    const QByteArray url = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toEncoded();
    m_session->setDocumentUrl(url);
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::ReadOnly))
        return end();
    m_reader = xmlReaderForIO(&readFile, &keepFileOpen, &m_file, url.constData(), nullptr, DocumentParseOptions);
    m_validator = xmlSchemaNewValidCtxt(schema);
    if (!m_reader || !m_validator)
        return end();
    xmlSchemaSetValidStructuredErrors(m_validator, &XmlSession::collect, m_session.get());
    if (xmlTextReaderSchemaValidateCtxt(m_reader, m_validator, 0) != 0)
        return end();

    // Up to the document element, whose namespace must be the schema's.
    int status = 0;
    while ((status = xmlTextReaderRead(m_reader)) == 1 && xmlTextReaderNodeType(m_reader) != XML_READER_TYPE_ELEMENT) {
    }
    if (status != 1 || m_session->failed())
        return end();
    m_root = xmlTextReaderCurrentNode(m_reader);
    const xmlChar *rootNs = xmlTextReaderConstNamespaceUri(m_reader);
    if (!m_root || QString::fromUtf8(rootNs ? reinterpret_cast<const char *>(rootNs) : "") != *ns)
        return end();
    // The defaults' names are interned in the document's dictionary, beside the names of its nodes.
    // (Asking the reader for its document would leave the document to us to free.)
    xmlDocPtr doc = m_root->doc;
    if (!doc || !doc->dict)
        return end();
    m_defaults = std::make_unique<XmlAttributeDefaults>(doc->dict, schema);
    return true;
}

XmlView XmlStreamedDocument::nextChild()
{
    if (m_ended)
        return {};
    int status = m_onChild ? xmlTextReaderNext(m_reader) : xmlTextReaderRead(m_reader);
    m_onChild = false;
    while (status == 1 && xmlTextReaderDepth(m_reader) > 0) {
        if (xmlTextReaderDepth(m_reader) == 1 && xmlTextReaderNodeType(m_reader) == XML_READER_TYPE_ELEMENT) {
            xmlNodePtr child = xmlTextReaderExpand(m_reader);
            if (!child || m_session->failed() || removeBlankText(child) || !m_defaults->mark(m_root, child)) {
                end();
                return {};
            }
            m_onChild = true;
            return XmlView(child);
        }
        status = xmlTextReaderNext(m_reader);
    }
    // The end of the document element: what follows it is read too, so that the document is known
    // to be well formed and valid to its end.
    while (status == 1)
        status = xmlTextReaderRead(m_reader);
    m_complete = status == 0 && !m_session->failed() && xmlTextReaderIsValid(m_reader) == 1;
    end();
    return {};
}

} // namespace tavik
