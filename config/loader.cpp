#include "config/loader.h"

#include "config/configuration_walker.h"
#include "config/error_text.h"
#include "config/layout_limits.h"
#include "platform/xml_document.h"
#include "platform/xml_schema_cache.h"
#include "platform/xml_streamed_document.h"
#include "platform/xml_view.h"

#include <QDir>
#include <QFileInfo>
#include <optional>

namespace tavik {

namespace {

const QString SchemaFileName = QStringLiteral("Tavik.xsd");
const QString ConfigFileName = QStringLiteral("Tavik.xml");

bool failed(SharedState &state, const QString &message, const QString &title)
{
    state.errorMessage = message;
    state.errorTitle = title;
    return false;
}

bool fileMissing(SharedState &state, const QString &fileName)
{
    return failed(
        state, fileName + QStringLiteral(" could not be found...\r\nExit on error"), QStringLiteral("File not found"));
}

bool parseFailed(SharedState &state, const QString &fileName, const XmlParseError &error, const QString &title)
{
    return failed(state,
        QStringLiteral("Error in ") + fileName + QStringLiteral(" file near line ")
            + Str(static_cast<long long>(error.line)) + QStringLiteral("\r\n") + error.reason
            + QStringLiteral("Exit on error"),
        title);
}

bool tooLarge(SharedState &state, const LayoutLimitBreach &breach)
{
    state.loadStage = breach.stage;
    return failed(state,
        exitingErrorText(0, breach.reason, QStringLiteral("Form Load")) + Str(static_cast<long long>(breach.stage)),
        QStringLiteral("Fatal Error"));
}

bool walkFailed(SharedState &state)
{
    state.loadStage = 0;
    return failed(state, QStringLiteral("Unknown error in parsing of Schema or XML files...\r\nExiting"),
        QStringLiteral("Fatal error"));
}

} // namespace

bool loadConfiguration(SharedState &state, const SystemValueReader &readSystemValue)
{
    return loadConfiguration(state, readSystemValue, nullptr);
}

namespace {

const QString XsdTitle = QStringLiteral("XSD parse error");
const QString XmlTitle = QStringLiteral("XML parse error");

// The configuration streamed: read, validated and walked one frame at a time, so that the whole
// document is never held, into a model of its own that replaces the state's only once the whole
// file has loaded. The system values are read then, in document order. Nothing when the stream
// cannot give exactly what the whole read gives, failures included: the caller reads whole.
std::optional<bool> loadStreamed(SharedState &state, const SystemValueReader &readSystemValue,
    std::shared_ptr<const XmlSchemaCache> schemas, const QString &configPath, int layoutLimit)
{
    ConfigurationModel built;
    // A file without settings keeps those of the state.
    built.remoteOperation = state.remoteOperation;
    built.serverName = state.serverName;
    built.serverPort = state.serverPort;
    built.operationLabel = state.operationLabel;
    std::vector<PendingSystemRead> reads;
    try {
        XmlStreamedDocument stream(std::move(schemas));
        if (!stream.open(configPath))
            return std::nullopt;
        int16_t stage = 0;
        std::optional<LayoutCounter> layout;
        if (layoutLimit > 0)
            layout.emplace(1, layoutLimit, LayoutCounter::Frames::Loaded);
        ConfigurationWalker walker(built, stage, readSystemValue, true, layout ? &*layout : nullptr, &reads);
        for (XmlView child = stream.nextChild(); !child.isNull(); child = stream.nextChild())
            walker.take(child);
        if (!stream.complete())
            return std::nullopt;
    } catch (const FormTooLarge &refusal) {
        return tooLarge(state, refusal.breach);
    } catch (...) {
        return std::nullopt;
    }

    state.useConfigs = built.useConfigs;
    state.defaultFrame = built.defaultFrame;
    state.remoteOperation = built.remoteOperation;
    state.serverName = built.serverName;
    state.serverPort = built.serverPort;
    state.operationLabel = built.operationLabel;
    // Like the whole read, which builds each frame afresh in place: a file without frames leaves
    // the state's.
    if (!built.frames.empty())
        state.frames = std::move(built.frames);
    state.loadStage = 0;
    try {
        for (const PendingSystemRead &read : reads) {
            itemAt(state, read.item).defaultValue = readSystemValue(read.name);
            state.loadStage = 0; // the system read service keeps its own steps there
        }
    } catch (...) {
        return walkFailed(state);
    }
    return true;
}

// Reads, validates and walks the configuration file, streamed where that gives the same result,
// else whole. A fault before the walk belongs to the stage it happened in. During the walk the
// system read service moves loadStage through its own steps, so that cannot tell: any fault there
// is the walk's.
bool loadAndWalk(SharedState &state, const SystemValueReader &readSystemValue,
    std::shared_ptr<const XmlSchemaCache> schemas, const QString &configPath, LoadFailureDetail *detail,
    int layoutLimit = 0, ConfigurationRead read = ConfigurationRead::Streamed)
{
    state.loadStage = 4;
    if (read == ConfigurationRead::Streamed)
        if (const auto streamed = loadStreamed(state, readSystemValue, schemas, configPath, layoutLimit))
            return *streamed;

    XmlDocument configDoc;
    bool walking = false;
    try {
        configDoc.setSchemas(std::move(schemas));
        state.loadStage = 4;
        if (!configDoc.load(configPath))
            return parseFailed(state, ConfigFileName, configDoc.parseError(), XmlTitle);
        if (configDoc.documentElementView().isNull())
            return parseFailed(state, ConfigFileName, configDoc.parseError(), XmlTitle);

        walking = true;
        std::optional<LayoutCounter> layout;
        if (layoutLimit > 0)
            layout.emplace(1, layoutLimit, LayoutCounter::Frames::Loaded);
        ConfigurationWalker(state, state.loadStage, readSystemValue, false, layout ? &*layout : nullptr)
            .walk(configDoc);
        return true;
    } catch (const FormTooLarge &refusal) {
        return tooLarge(state, refusal.breach);
    } catch (const WalkFailure &failure) {
        if (detail)
            *detail = {failure.line, failure.cause};
        return walkFailed(state);
    } catch (...) {
        if (!walking && state.loadStage == 4)
            return parseFailed(state, ConfigFileName, configDoc.parseError(), XmlTitle);
        return walkFailed(state);
    }
}

} // namespace

namespace {

// The load of Tavik.xml from the add-in's folder; layoutLimit 0 for none.
bool loadFromFolder(
    SharedState &state, const SystemValueReader &readSystemValue, LoadFailureDetail *detail, int layoutLimit)
{
    XmlDocument schemaDoc;
    std::shared_ptr<XmlSchemaCache> schemas;
    QString configPath;
    try {
        state.loadStage = 0;
        const QDir folder(state.addinFolder);
        const QString schemaPath = folder.filePath(SchemaFileName);
        configPath = folder.filePath(ConfigFileName);
        if (!QFileInfo(schemaPath).isFile()) {
            state.loadStage = 1;
            return fileMissing(state, SchemaFileName);
        }
        if (!QFileInfo(configPath).isFile()) {
            state.loadStage = 2;
            return fileMissing(state, ConfigFileName);
        }

        state.loadStage = 3;
        if (!schemaDoc.load(schemaPath))
            return parseFailed(state, SchemaFileName, schemaDoc.parseError(), XsdTitle);
        const XmlNode targetNamespace = schemaDoc.selectSingleNode(QStringLiteral("//*/@targetNamespace"));
        if (targetNamespace.isNull())
            return parseFailed(state, SchemaFileName, schemaDoc.parseError(), XsdTitle);
        schemas = std::make_shared<XmlSchemaCache>();
        if (!schemas->add(targetNamespace.value(), schemaDoc))
            return parseFailed(state, SchemaFileName, schemaDoc.parseError(), XsdTitle);
    } catch (...) {
        if (state.loadStage == 3)
            return parseFailed(state, SchemaFileName, schemaDoc.parseError(), XsdTitle);
        return walkFailed(state);
    }
    return loadAndWalk(state, readSystemValue, std::move(schemas), configPath, detail, layoutLimit);
}

} // namespace

bool loadConfiguration(SharedState &state, const SystemValueReader &readSystemValue, LoadFailureDetail *detail)
{
    return loadFromFolder(state, readSystemValue, detail, 0);
}

bool loadConfigurationForEditor(SharedState &state, const SystemValueReader &readSystemValue, int layoutLimit)
{
    return loadFromFolder(state, readSystemValue, nullptr, layoutLimit);
}

bool loadConfigurationAgainst(SharedState &state, const SystemValueReader &readSystemValue,
    std::shared_ptr<const XmlSchemaCache> schemas, const QString &configPath, LoadFailureDetail *detail,
    ConfigurationRead read)
{
    return loadAndWalk(state, readSystemValue, std::move(schemas), configPath, detail, 0, read);
}

} // namespace tavik
