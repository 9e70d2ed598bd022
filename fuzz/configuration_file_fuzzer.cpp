// Feeds the configuration loader one configuration file per input, validated against the shipped
// schema compiled once at start, then resolves lists and composites and counts the editor's
// layout as the editor would. Without a schema to compile per input this runs the loader's own
// work many times faster than fuzz-configuration, which also varies the schema. A file that loads
// is loaded again read whole: the model must be the same, since the frame-by-frame read is only
// taken where it gives what the whole read gives.

#include "config/layout_limits.h"
#include "config/loader.h"
#include "config/model_json.h"
#include "config/resolution.h"
#include "platform/xml_document.h"
#include "platform/xml_schema_cache.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>
#include <exception>

namespace {

std::shared_ptr<const tavik::XmlSchemaCache> shippedSchema()
{
    tavik::XmlDocument schemaDoc;
    if (!schemaDoc.load(QStringLiteral(TAVIK_SOURCE_DIR "/data/Tavik.xsd")))
        std::abort();
    const tavik::XmlNode targetNamespace = schemaDoc.selectSingleNode(QStringLiteral("//*/@targetNamespace"));
    auto schemas = std::make_shared<tavik::XmlSchemaCache>();
    if (targetNamespace.isNull() || !schemas->add(targetNamespace.value(), schemaDoc))
        std::abort();
    return schemas;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz-configuration-file";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    static QTemporaryDir folder;
    static const QString path = folder.filePath(QStringLiteral("Tavik.xml"));
    static const std::shared_ptr<const tavik::XmlSchemaCache> schemas = shippedSchema();

    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
            || file.write(reinterpret_cast<const char *>(data), qint64(size)) != qint64(size))
            std::abort();
    }

    tavik::SharedState state;
    const tavik::SystemValueReader noSystemValues = [](const QString &) { return QString(); };
    tavik::LoadFailureDetail detail;
    const bool loaded = tavik::loadConfigurationAgainst(state, noSystemValues, schemas, path, &detail);
    // A configuration either loads or says why; anything else is a fault of the loader.
    if (loaded != state.errorMessage.isEmpty())
        std::abort();
    if (loaded) {
        tavik::SharedState whole;
        if (!tavik::loadConfigurationAgainst(
                whole, noSystemValues, schemas, path, nullptr, tavik::ConfigurationRead::Whole)
            || tavik::modelToJson(whole) != tavik::modelToJson(state) || whole.loadStage != state.loadStage)
            std::abort();
    }
    try {
        if (loaded && doComposites(state) && doCPLists(state))
            (void)tavik::layoutLimitBreach(state.frames, 2);
    } catch (const std::exception &) {
        // Resolution leaves some of its errors to the command driver, which reports them.
    }
    return 0;
}
