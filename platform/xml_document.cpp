#include "platform/xml_document.h"

#include "platform/xml_schema_cache.h"
#include "platform/xml_session.h"
#include "platform/xml_tree_preparation.h"
#include "platform/xml_written_mark.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <libxml/parser.h>
#include <libxml/xmlschemas.h>
#include <libxml/xpath.h>

#include <limits>

namespace tavik {

namespace {

struct ParserContextFree {
    void operator()(xmlParserCtxt *c) const { xmlFreeParserCtxt(c); }
};
struct ValidContextFree {
    void operator()(xmlSchemaValidCtxt *c) const { xmlSchemaFreeValidCtxt(c); }
};
struct XPathContextFree {
    void operator()(xmlXPathContext *c) const { xmlXPathFreeContext(c); }
};
struct XPathObjectFree {
    void operator()(xmlXPathObject *o) const { xmlXPathFreeObject(o); }
};

int readFile(void *file, char *buffer, int length)
{
    const qint64 n = static_cast<QFile *>(file)->read(buffer, length);
    return n < 0 ? -1 : int(n);
}

int keepFileOpen(void *)
{
    return 0;
}

// Marks every attribute as written, before validation adds the schema's defaults, and removes
// blank text.
void prepareTree(xmlNodePtr root)
{
    xmlNodePtr node = root;
    while (node) {
        if (node->type == XML_ELEMENT_NODE)
            markWrittenAttributes(node);
        if (node->children && node->type == XML_ELEMENT_NODE) {
            node = node->children;
            continue;
        }
        while (node != root && !node->next)
            node = node->parent;
        node = node == root ? nullptr : node->next;
    }
    removeBlankText(root);
}

XmlParseError errorOr(const XmlSession &session, const char *fallback)
{
    XmlParseError error = session.firstError();
    if (error.reason.isEmpty())
        error.reason = xmlReasonText(QString::fromLatin1(fallback));
    return error;
}

} // namespace

QString XmlDocument::url() const
{
    return m_doc && m_doc->URL ? QString::fromUtf8(reinterpret_cast<const char *>(m_doc->URL)) : QString();
}

bool XmlDocument::load(const QString &path)
{
    m_doc.reset();
    m_parseError = {};

    const QByteArray url = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toEncoded();
    XmlSession session;
    session.setDocumentUrl(url);

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_parseError.reason = xmlReasonText(QStringLiteral("Cannot read the file: ") + file.errorString());
        return false;
    }
    std::unique_ptr<xmlParserCtxt, ParserContextFree> ctxt(xmlNewParserCtxt());
    if (!ctxt) {
        m_parseError.reason = xmlReasonText(QStringLiteral("Out of memory"));
        return false;
    }
    session.setParser(ctxt.get());
    xmlDocPtr raw
        = xmlCtxtReadIO(ctxt.get(), &readFile, &keepFileOpen, &file, url.constData(), nullptr, DocumentParseOptions);
    return finishLoad(ctxt.get(), raw, session);
}

bool XmlDocument::loadBytes(const QByteArray &content, const QString &name)
{
    m_doc.reset();
    m_parseError = {};

    const QByteArray url = name.toUtf8();
    XmlSession session;
    session.setDocumentUrl(url);
    std::unique_ptr<xmlParserCtxt, ParserContextFree> ctxt(xmlNewParserCtxt());
    if (!ctxt) {
        m_parseError.reason = xmlReasonText(QStringLiteral("Out of memory"));
        return false;
    }
    if (content.size() > std::numeric_limits<int>::max()) {
        m_parseError.reason = xmlReasonText(QStringLiteral("The document is too large"));
        return false;
    }
    session.setParser(ctxt.get());
    xmlDocPtr raw = xmlCtxtReadMemory(
        ctxt.get(), content.constData(), int(content.size()), url.constData(), nullptr, DocumentParseOptions);
    return finishLoad(ctxt.get(), raw, session);
}

bool XmlDocument::finishLoad(xmlParserCtxt *ctxt, _xmlDoc *raw, XmlSession &session)
{
    std::shared_ptr<_xmlDoc> doc(raw, [](xmlDocPtr d) {
        if (d)
            xmlFreeDoc(d);
    });
    xmlNodePtr root = raw ? xmlDocGetRootElement(raw) : nullptr;
    if (!raw || !root || session.failed() || !ctxt->wellFormed) {
        m_parseError = errorOr(session, "The document is not well formed");
        return false;
    }

    prepareTree(root);

    if (m_schemas) {
        const QString ns = root->ns && root->ns->href
            ? QString::fromUtf8(reinterpret_cast<const char *>(root->ns->href))
            : QString();
        xmlSchemaPtr schema = m_schemas->find(ns);
        if (!schema) {
            m_parseError = {xmlGetLineNo(root),
                xmlReasonText(QStringLiteral("No schema is known for the namespace \"") + ns
                    + QStringLiteral("\" of the document element"))};
            return false;
        }
        std::unique_ptr<xmlSchemaValidCtxt, ValidContextFree> validator(xmlSchemaNewValidCtxt(schema));
        if (!validator) {
            m_parseError.reason = xmlReasonText(QStringLiteral("Out of memory"));
            return false;
        }
        xmlSchemaSetValidOptions(validator.get(), XML_SCHEMA_VAL_VC_I_CREATE);
        xmlSchemaSetValidStructuredErrors(validator.get(), &XmlSession::collect, &session);
        if (xmlSchemaValidateDoc(validator.get(), raw) != 0 || session.failed()) {
            m_parseError = errorOr(session, "The document is not valid against its schema");
            return false;
        }
    }

    m_doc = std::move(doc);
    return true;
}

XmlNode XmlDocument::documentElement() const
{
    if (!m_doc)
        return {};
    xmlNodePtr root = xmlDocGetRootElement(m_doc.get());
    return root ? XmlNode(m_doc, root) : XmlNode();
}

void XmlDocument::discard(XmlView node)
{
    if (!m_doc || node.isNull() || node.node()->doc != m_doc.get() || node.node() == xmlDocGetRootElement(m_doc.get()))
        return;
    xmlUnlinkNode(node.node());
    xmlFreeNode(node.node());
}

XmlNode XmlDocument::selectSingleNode(const QString &xpath) const
{
    if (!m_doc)
        return {};
    XmlSession session;
    std::unique_ptr<xmlXPathContext, XPathContextFree> context(xmlXPathNewContext(m_doc.get()));
    if (!context)
        return {};
    const QByteArray expression = xpath.toUtf8();
    std::unique_ptr<xmlXPathObject, XPathObjectFree> result(
        xmlXPathEvalExpression(reinterpret_cast<const xmlChar *>(expression.constData()), context.get()));
    if (!result || result->type != XPATH_NODESET || !result->nodesetval || result->nodesetval->nodeNr == 0)
        return {};
    xmlNodePtr node = result->nodesetval->nodeTab[0];
    // Namespace nodes in a result are copies that die with it.
    if (!node || node->type == XML_NAMESPACE_DECL)
        return {};
    return XmlNode(m_doc, node);
}

} // namespace tavik
