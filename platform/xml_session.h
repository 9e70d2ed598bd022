#pragma once
// The scope of one libxml2 operation (parsing, compiling a schema, validating). While it lives,
// libxml2's diagnostics are collected here instead of being printed, and every external resource
// that libxml2 wants to fetch is judged by one policy:
// - the network is never used;
// - external entities, DTDs and any other file are refused;
// - only a session opened for compiling a schema lets xs:include, xs:import and xs:redefine read
//   local ".xsd" files that lie in the schema's own folder (symbolic links resolved).
// A refused load makes the operation fail, even where libxml2 itself would only warn.
// Sessions are used on one thread at a time; they nest, the innermost one judges.

#include "platform/xml_parse_error.h"

#include <QString>
#include <libxml/parser.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlversion.h>

namespace tavik {

class XmlSession {
public:
    // schemaFolder: the folder whose ".xsd" files may be read; empty for no file at all.
    explicit XmlSession(const QString &schemaFolder = {});
    ~XmlSession();
    XmlSession(const XmlSession &) = delete;
    XmlSession &operator=(const XmlSession &) = delete;

    // The location of the document being handled (a file URL), so that diagnostics about other
    // files (an included schema) name the file they are about.
    void setDocumentUrl(const QByteArray &url) { m_documentUrl = url; }
    // The parser reading that document: a refused entity is reported at the line it stands on.
    void setParser(xmlParserCtxtPtr parser) { m_parser = parser; }

    // True once an error (not a warning) was reported or a load was refused.
    bool failed() const { return m_hasError || !m_refusedUrl.isEmpty(); }
    // The refused load when there was one, else the first error; line 0 and no reason if neither.
    XmlParseError firstError() const;

#if LIBXML_VERSION >= 21200
    using ErrorArg = const xmlError *;
#else
    using ErrorArg = xmlErrorPtr;
#endif
    // The handler to give to libxml2 calls that take one, with the session as its context.
    static void collect(void *session, ErrorArg error);

private:
    static xmlParserInputPtr loadExternal(const char *url, const char *id, xmlParserCtxtPtr ctxt);
    void record(ErrorArg error);

    QString m_schemaFolder;
    QByteArray m_documentUrl;
    xmlParserCtxtPtr m_parser = nullptr;
    bool m_hasError = false;
    XmlParseError m_firstError;
    QString m_refusedUrl;
    QString m_refusalReason;
    bool m_refusalLineKnown = false;
    long m_refusalLine = 0;

    XmlSession *m_outer = nullptr;
    xmlExternalEntityLoader m_previousLoader = nullptr;
    xmlStructuredErrorFunc m_previousStructured = nullptr;
    void *m_previousStructuredContext = nullptr;
    xmlGenericErrorFunc m_previousGeneric = nullptr;
    void *m_previousGenericContext = nullptr;
};

// The reason text as it goes into a message: libxml2's own message, line breaks as "\r\n", ending
// in exactly one line break.
QString xmlReasonText(const QString &message);

} // namespace tavik
