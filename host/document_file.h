#pragma once
// Reading and writing the JSON document files of the bundled host. Reading refuses anything that
// is not a well-formed document; writing replaces the whole file atomically.

#include "host/document_data.h"

#include <QByteArray>
#include <QString>

namespace tavik {

class DocumentFile {
public:
    // Throws DocumentFileError naming the file and the fault. typeHint (1 part, 2 assembly)
    // stands in for the type when the file has none and its extension does not tell.
    static DocumentData read(const QString &path, int typeHint = 0);
    static DocumentData parse(const QByteArray &json, const QString &path, int typeHint = 0);

    static QByteArray toJson(const DocumentData &data);
    // Throws DocumentFileError; the file at path is untouched when the write fails.
    static void write(const DocumentData &data, const QString &path);

    // 1 for *.sldprt, 2 for *.sldasm (any case), else 0.
    static int typeFromExtension(const QString &path);
};

} // namespace tavik
