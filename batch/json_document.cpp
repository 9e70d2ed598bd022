// The bundled host's document files as batch documents: its JSON files, and FreeCAD documents,
// which the host's reader and writer take by the file's name.

#include "batch/batch_document.h"

#include "host/document_file.h"
#include "host/document_file_error.h"
#include "host/freecad_document.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <simdjson.h>

namespace tavik {

namespace {

// Saves data over path unless the file is no longer what asRead says. The one place where
// tavik-batch checks a document file against changes made on disk since it was read.
FileIdentity identityOf(const FileStamp &stamp)
{
    return FileIdentity{stamp.size, stamp.sha256.toHex()};
}

QString text(std::string_view utf8)
{
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

// Reading for export needs only the configurations and the custom properties: simdjson takes them
// straight from the file's text, several times quicker than building the whole document. False
// when anything in them is not as expected (or the file needs the full reader's care); the full
// reader then reads the file and names the fault. Members that are not read are not checked.
bool readPropertiesOnly(const QByteArray &content, const QString &path, DocumentData &data)
{
    if (DocumentFile::typeFromExtension(path) == 0 || content.contains("\xEF\xBB\xBF"))
        return false;
    try {
        thread_local simdjson::ondemand::parser parser;
        const simdjson::padded_string padded(content.constData(), size_t(content.size()));
        simdjson::ondemand::document doc = parser.iterate(padded);
        simdjson::ondemand::object root = doc.get_object();
        for (simdjson::ondemand::field member : root) {
            const std::string_view key = member.unescaped_key();
            if (key == "configurations") {
                for (simdjson::ondemand::value v : member.value().get_array()) {
                    const QString name = text(v.get_string());
                    if (name.isEmpty() || data.configurations.contains(name))
                        return false;
                    data.configurations << name;
                }
            } else if (key == "customProperties") {
                // Levels name configurations, which may come later in the file: checked at the end.
                for (simdjson::ondemand::field level : member.value().get_object()) {
                    PropertyList &list = data.customProperties[text(level.unescaped_key())];
                    for (simdjson::ondemand::value pv : level.value().get_array()) {
                        simdjson::ondemand::array pair = pv.get_array();
                        auto it = pair.begin();
                        if (it == pair.end())
                            return false;
                        const QString name = text((*it).get_string());
                        if (++it == pair.end())
                            return false;
                        const QString value = text((*it).get_string());
                        if (++it != pair.end() || name.isEmpty()
                            || std::any_of(
                                list.cbegin(), list.cend(), [&name](const auto &p) { return p.first == name; }))
                            return false;
                        list.append({name, value});
                    }
                }
            }
        }
        for (auto it = data.customProperties.cbegin(); it != data.customProperties.cend(); ++it)
            if (!it.key().isEmpty() && !data.configurations.contains(it.key()))
                return false;
        return true;
    } catch (const simdjson::simdjson_error &) {
        return false;
    }
}

class JsonDocument : public BatchDocument {
public:
    JsonDocument(const QString &path, DocumentAccess access)
        : m_path(path)
        , m_access(access)
    {
        // A document that may be written is read by the host's own reader, whose stamp lets the
        // save refuse a file that another program has written since.
        if (access == DocumentAccess::ReadWrite) {
            m_data = DocumentFile::read(path);
            m_identity = identityOf(m_data.stamp);
            return;
        }
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            // Asked only now, so that reading a document costs one look-up of its path.
            if (!QFileInfo(path).isFile())
                throw DocumentFileError(
                    path, QFileInfo::exists(path) ? QStringLiteral("not a file") : QStringLiteral("no such file"));
            throw DocumentFileError(path, QStringLiteral("the file cannot be read (%1)").arg(file.errorString()));
        }
        const QByteArray content = file.readAll();
        if (file.error() != QFileDevice::NoError)
            throw DocumentFileError(path, QStringLiteral("the file cannot be read (%1)").arg(file.errorString()));
        if (readPropertiesOnly(content, path, m_data))
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
        m_data.stamp = DocumentFile::write(m_data, m_path, DocumentFile::Overwrite::IfUnchanged);
        m_identity = identityOf(m_data.stamp);
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
    return DocumentFile::typeFromExtension(path) != 0 || FreeCadDocument::isFreeCadPath(path);
}

std::unique_ptr<BatchDocument> openBatchDocument(const QString &path, DocumentAccess access)
{
    return std::make_unique<JsonDocument>(path, access);
}

} // namespace tavik
