// Feeds the configuration loader a schema and a configuration file made from one input, then runs
// the name resolution and the model's JSON writer over whatever loaded, as tavik-check does.
// The input is the schema, the separator line, then the configuration; an input without the
// separator is a configuration checked against the shipped schema. The configuration is then
// loaded twice more, read a frame at a time and read whole: with any schema, the two must give the
// same result, model and message.

#include "check/configuration_check.h"
#include "config/loader.h"
#include "config/model_json.h"
#include "platform/xml_document.h"
#include "platform/xml_schema_cache.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>
#include <optional>

namespace {

const QByteArray separator = QByteArrayLiteral("\n%%%% Tavik.xml\n");

QByteArray shippedSchema()
{
    QFile file(QStringLiteral(TAVIK_SOURCE_DIR "/data/Tavik.xsd"));
    if (!file.open(QIODevice::ReadOnly))
        std::abort();
    return file.readAll();
}

// The configuration in folder loaded against its schema, read the given way; nothing when the
// schema does not compile.
std::optional<QString> loadedAs(const QString &folder, tavik::ConfigurationRead read)
{
    tavik::XmlDocument schemaDoc;
    if (!schemaDoc.load(folder + QStringLiteral("/Tavik.xsd")))
        return std::nullopt;
    const tavik::XmlNode targetNamespace = schemaDoc.selectSingleNode(QStringLiteral("//*/@targetNamespace"));
    auto schemas = std::make_shared<tavik::XmlSchemaCache>();
    if (targetNamespace.isNull() || !schemas->add(targetNamespace.value(), schemaDoc))
        return std::nullopt;
    tavik::SharedState state;
    const bool loaded = tavik::loadConfigurationAgainst(
        state, [](const QString &name) { return name; }, schemas, folder + QStringLiteral("/Tavik.xml"), nullptr, read);
    return QString::number(loaded) + QString::number(state.loadStage) + state.errorTitle + state.errorMessage
        + QString::fromUtf8(QJsonDocument(tavik::modelToJson(state)).toJson());
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz-configuration";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    static QTemporaryDir folder;
    static const QByteArray schema = shippedSchema();

    const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const qsizetype cut = input.indexOf(separator);
    if (cut < 0) {
        writeFile(folder.filePath(QStringLiteral("Tavik.xsd")), schema);
        writeFile(folder.filePath(QStringLiteral("Tavik.xml")), input);
    } else {
        writeFile(folder.filePath(QStringLiteral("Tavik.xsd")), input.left(cut));
        writeFile(folder.filePath(QStringLiteral("Tavik.xml")), input.mid(cut + separator.size()));
    }

    tavik::ConfigurationCheck check;
    check.folder = folder.path();
    check.json = true;
    const tavik::ConfigurationCheckResult result = check.run();
    // A configuration either loads or says why; anything else is a fault of the loader.
    if (result.exitCode == 0 ? !result.output.startsWith(QLatin1String("OK\n"))
                             : result.exitCode != 1 || result.output.isEmpty())
        std::abort();
    if (loadedAs(folder.path(), tavik::ConfigurationRead::Streamed)
        != loadedAs(folder.path(), tavik::ConfigurationRead::Whole))
        std::abort();
    return 0;
}
