#pragma once
// FreeCAD documents (*.FCStd) as documents of the bundled host. Reading maps the archive's
// Document.xml onto the host's document; writing edits, in the original Document.xml, only the
// properties that the host's document holds, and copies every other entry of the archive as it
// was. The mapping is described in docs/freecad.md.

#include "host/document_data.h"
#include "host/freecad_source.h"

#include <QByteArray>
#include <QString>

namespace tavik {

class FreeCadDocument {
public:
    // Whether the host reads a file of that name as a FreeCAD document: *.FCStd in any case.
    static bool isFreeCadPath(const QString &path);

    // Throws DocumentFileError naming the file and the fault. The shapes are measured with
    // measure when the mass properties are first asked for.
    static DocumentData parse(
        const QByteArray &content, const QString &path, FreeCadSource::Measurer measure = &measureSolids);

    // The file's new content. Throws DocumentFileError for a document that was not read from a
    // FreeCAD file, or a value that the file cannot hold.
    static QByteArray toBytes(const DocumentData &data, const QString &path);
};

} // namespace tavik
