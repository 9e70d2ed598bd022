#include "check/configuration_check.h"

#include "check/configuration_warnings.h"
#include "config/error_text.h"
#include "config/layout_limits.h"
#include "config/loader.h"
#include "config/model_json.h"
#include "config/product.h"
#include "config/resolution.h"
#include "config/shared_state.h"
#include "docsvc/config_enumeration.h"
#include "docsvc/system_read.h"
#include "host/document_file_error.h"
#include "host/host_application.h"
#include "host/host_document.h"
#include "platform/xml_document.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>

namespace tavik {

namespace {

const QString SchemaFileName = QStringLiteral("Tavik.xsd");
const QString ConfigFileName = QStringLiteral("Tavik.xml");

// The start of a run of the editor's command, without the editor: the same default texts stand
// for any failure that does not leave its own, and each pass runs only after the one before it
// succeeded.
bool loadAndResolve(SharedState &state, LoadFailureDetail &detail)
{
    state.runOk = false;
    state.errorMessage = QStringLiteral("Unknown error\r\nExiting");
    state.errorTitle = product::title() + QStringLiteral(" -> Fatal error");
    try {
        const SystemValueReader reader = [&state](const QString &name) { return readSystemValue(state, name); };
        return loadConfiguration(state, reader, &detail) && doComposites(state) && doCPLists(state);
    } catch (const std::exception &) {
        // Resolution leaves some of its errors to the command driver, whose default texts are
        // still pending.
        state.runOk = false;
        return false;
    }
}

// The line of the first byte that does not belong to UTF-8 text; 0 when all of them do.
long firstNonUtf8Line(const QByteArray &bytes)
{
    long line = 1;
    for (qsizetype i = 0; i < bytes.size();) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        int more;
        if (b < 0x80)
            more = 0;
        else if (b >= 0xC2 && b <= 0xDF)
            more = 1;
        else if (b >= 0xE0 && b <= 0xEF)
            more = 2;
        else if (b >= 0xF0 && b <= 0xF4)
            more = 3;
        else
            return line;
        if (i + more >= bytes.size())
            return line;
        for (int k = 1; k <= more; ++k)
            if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80)
                return line;
        if (b == '\n')
            ++line;
        i += more + 1;
    }
    return 0;
}

// An encoding declaration, or a byte-order mark of UTF-16, which the parser reads by itself.
bool declaresEncoding(const QByteArray &bytes)
{
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))
        return true;
    const QByteArray head = bytes.left(200);
    return head.startsWith("<?xml") && head.left(head.indexOf("?>")).contains("encoding");
}

QString targetNamespaceOf(const QString &schemaPath)
{
    XmlDocument schema;
    if (!schema.load(schemaPath))
        return {};
    const XmlNode ns = schema.selectSingleNode(QStringLiteral("//*/@targetNamespace"));
    return ns.isNull() ? QString() : ns.value();
}

// What tavik-check can say about a failed load beyond the editor's message: where, and why.
QStringList explanation(const SharedState &state, const LoadFailureDetail &detail, const QString &folder)
{
    const QDir dir(folder);
    const QString schemaPath = QDir::cleanPath(dir.absoluteFilePath(SchemaFileName));
    const QString configPath = QDir::cleanPath(dir.absoluteFilePath(ConfigFileName));
    QStringList lines;
    switch (state.loadStage) {
    case 1:
        lines << QStringLiteral("Looked for the schema at ") + schemaPath;
        break;
    case 2:
        lines << QStringLiteral("Looked for the configuration at ") + configPath;
        break;
    case 3:
    case 4: {
        const QString path = state.loadStage == 3 ? schemaPath : configPath;
        QFile file(path);
        const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        if (const long line = firstNonUtf8Line(bytes); line > 0 && !declaresEncoding(bytes)) {
            lines << path
                    + QStringLiteral(":%1: the file is not UTF-8. Save it as UTF-8, or name its encoding in its "
                                     "first line, such as <?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>")
                          .arg(line);
            break;
        }
        if (state.loadStage == 4) {
            XmlDocument plain;
            const QString expected = targetNamespaceOf(schemaPath);
            if (!expected.isEmpty() && plain.load(configPath)) {
                const XmlNode root = plain.documentElement();
                if (root.namespaceUri() != expected)
                    lines << configPath
                            + QStringLiteral(":%1: the document element <%2> is ")
                                  .arg(root.line())
                                  .arg(root.localName())
                            + (root.namespaceUri().isEmpty()
                                    ? QStringLiteral("in no namespace")
                                    : QStringLiteral("in the namespace \"") + root.namespaceUri() + QLatin1Char('"'))
                            + QStringLiteral(", but the schema expects \"") + expected + QStringLiteral("\": write <")
                            + root.localName() + QStringLiteral(" xmlns=\"") + expected + QStringLiteral("\">");
            }
        }
        break;
    }
    default:
        if (!detail.cause.isEmpty())
            lines << configPath + QStringLiteral(":%1: ").arg(detail.line) + detail.cause;
        break;
    }
    return lines;
}

} // namespace

ConfigurationCheckResult ConfigurationCheck::run() const
{
    ConfigurationCheckResult result;
    auto app = std::make_shared<HostApplication>();
    try {
        if (documentPath.isEmpty())
            app->newDocument(sw::swDocPART);
        else
            app->openDocument(documentPath);
    } catch (const DocumentFileError &e) {
        result.exitCode = 2;
        result.errors = e.message + QLatin1Char('\n');
        return result;
    }

    SharedState state;
    state.swApp = app;
    state.addinFolder = folder;
    auto failed = [&](const QStringList &more) {
        result.exitCode = 1;
        result.output = product::title() + QStringLiteral(": ") + state.errorTitle + QLatin1Char('\n')
            + state.errorMessage + QLatin1Char('\n');
        for (const QString &line : more)
            result.output += line + QLatin1Char('\n');
        return result;
    };
    LoadFailureDetail detail;
    if (!loadAndResolve(state, detail))
        return failed(explanation(state, detail, folder));

    // The editor refuses a form that passes its control limits for this document's configurations.
    QStringList entries;
    if (doConfigs(state, entries)) {
        if (const auto breach = layoutLimitBreach(state.frames, int(entries.size()))) {
            state.errorTitle = QStringLiteral("Fatal Error");
            state.errorMessage = exitingErrorText(0, breach->reason, QStringLiteral("Form Load"))
                + Str(static_cast<long long>(breach->stage));
            return failed({});
        }
    }

    const QString configPath = QDir(folder).filePath(ConfigFileName);
    const auto warnings = configurationWarnings(configPath, [&state](const QString &name) {
        return readSystemValue(state, name)
            != QStringLiteral("ERROR: <") + name + QStringLiteral("> function not implemented");
    });
    for (const ConfigurationWarning &w : warnings)
        result.errors += configPath + QStringLiteral(":%1: warning: ").arg(w.line) + w.text + QLatin1Char('\n');
    if (strict && !warnings.empty()) {
        result.exitCode = 1;
        result.errors += QStringLiteral("%1 warning(s); --strict makes them fail the check\n").arg(warnings.size());
        return result;
    }

    result.exitCode = 0;
    result.output = QStringLiteral("OK\n");
    if (json)
        result.output += QString::fromUtf8(QJsonDocument(modelToJson(state)).toJson(QJsonDocument::Indented));
    return result;
}

} // namespace tavik
