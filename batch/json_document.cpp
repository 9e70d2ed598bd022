// The bundled host's JSON document files as batch documents.

#include "batch/batch_document.h"

#include "host/document_file.h"
#include "host/document_file_error.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QFileInfo>

#include <algorithm>

namespace tavik {

namespace {

// Saves data over path unless the file is no longer what asRead says. The one place where
// tavik-batch checks a document file against changes made on disk since it was read.
FileIdentity saveUnchangedSince(const DocumentData &data, const QString &path, const FileIdentity &asRead)
{
    // A change made between this comparison and the rename of the new file is not seen.
    if (FileIdentity::ofFile(path) != asRead)
        throw DocumentFileError(path, QStringLiteral("the file has changed on disk since it was read"));
    DocumentFile::write(data, path);
    return FileIdentity::of(DocumentFile::toJson(data));
}

// Reading for export needs only the configurations and the custom properties: they are taken
// straight from the parsed file, which is several times quicker than building the whole document.
// False when anything in them is not as expected (or the file needs the full reader's care); the
// full reader then reads the file and names the fault.
bool readPropertiesOnly(const QByteArray &content, const QString &path, DocumentData &data)
{
    if (DocumentFile::typeFromExtension(path) == 0 || content.contains("\xEF\xBB\xBF"))
        return false;
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(content, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return false;
    const QJsonObject o = doc.object();
    const QJsonValue configurations = o.value(QLatin1String("configurations"));
    if (!configurations.isUndefined()) {
        if (!configurations.isArray())
            return false;
        for (const QJsonValue &v : configurations.toArray()) {
            const QString name = v.toString();
            if (!v.isString() || name.isEmpty() || data.configurations.contains(name))
                return false;
            data.configurations << name;
        }
    }
    const QJsonValue properties = o.value(QLatin1String("customProperties"));
    if (properties.isUndefined())
        return true;
    if (!properties.isObject())
        return false;
    const QJsonObject levels = properties.toObject();
    for (auto it = levels.begin(); it != levels.end(); ++it) {
        if ((!it.key().isEmpty() && !data.configurations.contains(it.key())) || !it.value().isArray())
            return false;
        PropertyList &list = data.customProperties[it.key()];
        for (const QJsonValue &pv : it.value().toArray()) {
            const QJsonArray pair = pv.toArray();
            if (pair.size() != 2 || !pair[0].isString() || !pair[1].isString())
                return false;
            const QString name = pair[0].toString();
            if (name.isEmpty() || std::any_of(list.cbegin(), list.cend(), [&name](const auto &p) { return p.first == name; }))
                return false;
            list.append({name, pair[1].toString()});
        }
    }
    return true;
}

class JsonDocument : public BatchDocument {
public:
    JsonDocument(const QString &path, DocumentAccess access) : m_path(path), m_access(access)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            // Asked only now, so that reading a document costs one look-up of its path.
            if (!QFileInfo(path).isFile())
                throw DocumentFileError(path, QFileInfo::exists(path) ? QStringLiteral("not a file")
                                                                      : QStringLiteral("no such file"));
            throw DocumentFileError(path, QStringLiteral("the file cannot be read (%1)").arg(file.errorString()));
        }
        const QByteArray content = file.readAll();
        if (file.error() != QFileDevice::NoError)
            throw DocumentFileError(path, QStringLiteral("the file cannot be read (%1)").arg(file.errorString()));
        if (access == DocumentAccess::ReadWrite)
            m_identity = FileIdentity::of(content);
        else if (readPropertiesOnly(content, path, m_data))
            return;
        m_data = DocumentFile::parse(content, path);
    }

    QString path() const override { return m_path; }
    QString title() const override { return m_data.title.value_or(QFileInfo(m_path).fileName()); }
    QStringList configurations() const override { return m_data.configurations; }

    int frame() const override
    {
        for (const AttributeInstance &a : m_data.attributes)
            if (a.name == QLatin1String("TavikAttribute"))
                for (const auto &[name, value] : a.parameters)
                    if (name == QLatin1String("USE_FRAME") && value >= 0 && value < 32768)
                        return int(value);
        return -1;
    }

    PropertyList properties(const QString &level) const override
    {
        const PropertyList *list = m_data.level(level);
        return list ? *list : PropertyList();
    }

    std::optional<QString> value(const QString &level, const QString &name) const override
    {
        if (const PropertyList *list = m_data.level(level))
            for (const auto &[n, v] : *list)
                if (n == name)
                    return v;
        return std::nullopt;
    }

    void setValue(const QString &level, const QString &name, const QString &value) override
    {
        PropertyList *list = m_data.level(level);
        if (!list)
            throw DocumentFileError(m_path, QStringLiteral("the document has no configuration \"%1\"").arg(level));
        for (auto &[n, v] : *list)
            if (n == name) {
                v = value;
                return;
            }
        list->append({name, value});
    }

    void removeValue(const QString &level, const QString &name) override
    {
        if (PropertyList *list = m_data.level(level))
            list->removeIf([&name](const std::pair<QString, QString> &p) { return p.first == name; });
    }

    const FileIdentity &identity() const override { return m_identity; }

    FileIdentity save() override
    {
        if (m_access != DocumentAccess::ReadWrite)
            throw DocumentFileError(m_path, QStringLiteral("the document was opened for reading only"));
        m_identity = saveUnchangedSince(m_data, m_path, m_identity);
        return m_identity;
    }

private:
    QString m_path;
    DocumentAccess m_access;
    FileIdentity m_identity;
    DocumentData m_data;
};

} // namespace

bool isBatchDocumentPath(const QString &path)
{
    return DocumentFile::typeFromExtension(path) != 0;
}

std::unique_ptr<BatchDocument> openBatchDocument(const QString &path, DocumentAccess access)
{
    return std::make_unique<JsonDocument>(path, access);
}

} // namespace tavik
