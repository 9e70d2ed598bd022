#include "platform/xml_session.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <libxml/parserInternals.h>

namespace tavik {

namespace {

thread_local XmlSession *t_current = nullptr;

void ignoreGenericError(void *, const char *, ...)
{
}

QString displayName(const char *url)
{
    const QString text = QString::fromUtf8(url);
    const QUrl parsed(text);
    const QString path = parsed.isLocalFile() ? parsed.toLocalFile() : text;
    return QFileInfo(path).fileName();
}

} // namespace

XmlSession::XmlSession(const QString &schemaFolder)
{
    xmlInitParser();
    if (!schemaFolder.isEmpty())
        m_schemaFolder = QFileInfo(schemaFolder).canonicalFilePath();

    m_outer = t_current;
    t_current = this;
    m_previousLoader = xmlGetExternalEntityLoader();
    xmlSetExternalEntityLoader(&XmlSession::loadExternal);
    m_previousStructured = xmlStructuredError;
    m_previousStructuredContext = xmlStructuredErrorContext;
    xmlSetStructuredErrorFunc(this, &XmlSession::collect);
    m_previousGeneric = xmlGenericError;
    m_previousGenericContext = xmlGenericErrorContext;
    xmlSetGenericErrorFunc(nullptr, &ignoreGenericError);
}

XmlSession::~XmlSession()
{
    xmlSetGenericErrorFunc(m_previousGenericContext, m_previousGeneric);
    xmlSetStructuredErrorFunc(m_previousStructuredContext, m_previousStructured);
    xmlSetExternalEntityLoader(m_previousLoader);
    t_current = m_outer;
}

XmlParseError XmlSession::firstError() const
{
    if (!m_refusedUrl.isEmpty())
        return {m_refusalLine, xmlReasonText(m_refusalReason + m_refusedUrl + QStringLiteral("\""))};
    if (m_hasError)
        return m_firstError;
    return {};
}

void XmlSession::collect(void *session, ErrorArg error)
{
    if (session && error)
        static_cast<XmlSession *>(session)->record(error);
}

void XmlSession::record(ErrorArg error)
{
    // libxml2 reports the failed load right after the refusal, with the line of the reference.
    if (!m_refusedUrl.isEmpty() && !m_refusalLineKnown && error->line > 0) {
        m_refusalLine = error->line;
        m_refusalLineKnown = true;
    }
    if (error->level < XML_ERR_ERROR || m_hasError)
        return;
    m_hasError = true;
    m_firstError.line = error->line;
    QString message = QString::fromUtf8(error->message ? error->message : "");
    if (error->file && QByteArray(error->file) != m_documentUrl)
        message = displayName(error->file) + QStringLiteral(": ") + message;
    m_firstError.reason = xmlReasonText(message);
}

xmlParserInputPtr XmlSession::loadExternal(const char *url, const char *id, xmlParserCtxtPtr ctxt)
{
    XmlSession *session = t_current;
    if (!session)
        return nullptr;
    const QString wanted = QString::fromUtf8(url ? url : (id ? id : ""));

    // Only a local ".xsd" file whose real location is the schema's own folder may be read.
    QString localPath;
    bool permitted = false;
    if (!session->m_schemaFolder.isEmpty()) {
        const QUrl parsed(wanted);
        if (parsed.isLocalFile())
            localPath = parsed.toLocalFile();
        else if (parsed.scheme().isEmpty())
            localPath = QUrl::fromPercentEncoding(wanted.toUtf8());
        if (!localPath.isEmpty()) {
            const QFileInfo file(localPath);
            const QString canonical = file.canonicalFilePath();
            const QFileInfo real(canonical.isEmpty() ? file.absoluteFilePath() : canonical);
            const QString folder
                = canonical.isEmpty() ? QFileInfo(real.absolutePath()).canonicalFilePath() : real.absolutePath();
            permitted = folder == session->m_schemaFolder
                && real.suffix().compare(QLatin1String("xsd"), Qt::CaseInsensitive) == 0;
            localPath = real.absoluteFilePath();
        }
    }

    xmlParserInputPtr input = nullptr;
    if (permitted && QFileInfo(localPath).isFile())
        input = xmlNewInputFromFile(ctxt, QFile::encodeName(localPath).constData());
    if (!input && session->m_refusedUrl.isEmpty()) {
        session->m_refusedUrl = wanted.isEmpty() ? QStringLiteral("(unnamed)") : wanted;
        session->m_refusalReason = permitted ? QStringLiteral("Could not load the external resource \"")
                                             : QStringLiteral("Refused to load the external resource \"");
        // An entity is loaded through a context of its own, without a position.
        const xmlParserCtxtPtr reader = ctxt && ctxt->input ? ctxt : session->m_parser;
        if (reader && reader->input && reader->input->line > 0) {
            session->m_refusalLine = reader->input->line;
            session->m_refusalLineKnown = true;
        }
    }
    return input;
}

QString xmlReasonText(const QString &message)
{
    QString text = message;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    while (!text.isEmpty() && text.back().isSpace())
        text.chop(1);
    if (text.isEmpty())
        return {};
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return text + QStringLiteral("\r\n");
}

} // namespace tavik
