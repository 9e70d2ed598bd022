// Feeds the bundled host's document reader arbitrary bytes. A document it accepts must write back
// to JSON that reads again to the same document: the writer and the reader agree on every member.
// The comparison is of JSON values, not bytes: the order of an object's members carries nothing.

#include "host/document_file.h"
#include "host/document_file_error.h"

#include <QByteArray>
#include <QJsonDocument>
#include <QString>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using tavik::DocumentFile;
    const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString path = QStringLiteral("fuzz.sldprt");
    QByteArray written;
    try {
        written = DocumentFile::toJson(DocumentFile::parse(input, path));
    } catch (const tavik::DocumentFileError &) {
        return 0;
    }
    try {
        const QByteArray again = DocumentFile::toJson(DocumentFile::parse(written, path));
        if (QJsonDocument::fromJson(again) != QJsonDocument::fromJson(written))
            std::abort();
    } catch (const tavik::DocumentFileError &) {
        std::abort(); // the reader refuses what the writer wrote
    }
    return 0;
}
