// The bundled host's JSON document files as batch documents.

#include "batch/batch_document.h"

#include "host/document_file.h"
#include "host/document_file_error.h"

#include <QFile>
#include <QFileInfo>

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

class JsonDocument : public BatchDocument {
public:
    explicit JsonDocument(const QString &path) : m_path(path)
    {
        QFile file(path);
        if (!QFileInfo(path).isFile())
            throw DocumentFileError(path, QFileInfo::exists(path) ? QStringLiteral("not a file")
                                                                  : QStringLiteral("no such file"));
        if (!file.open(QIODevice::ReadOnly))
            throw DocumentFileError(path, QStringLiteral("the file cannot be read (%1)").arg(file.errorString()));
        const QByteArray content = file.readAll();
        if (file.error() != QFileDevice::NoError)
            throw DocumentFileError(path, QStringLiteral("the file cannot be read (%1)").arg(file.errorString()));
        m_identity = FileIdentity::of(content);
        m_data = DocumentFile::parse(content, path);
    }

    QString path() const override { return m_path; }
    QString title() const override { return m_data.title.value_or(QFileInfo(m_path).fileName()); }
    QStringList configurations() const override { return m_data.configurations; }

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
        m_identity = saveUnchangedSince(m_data, m_path, m_identity);
        return m_identity;
    }

private:
    QString m_path;
    FileIdentity m_identity;
    DocumentData m_data;
};

} // namespace

bool isBatchDocumentPath(const QString &path)
{
    return DocumentFile::typeFromExtension(path) != 0;
}

std::unique_ptr<BatchDocument> openBatchDocument(const QString &path)
{
    return std::make_unique<JsonDocument>(path);
}

} // namespace tavik
