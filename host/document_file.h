#pragma once
// Reading and writing the document files of the bundled host: its own JSON files, and FreeCAD
// documents (*.FCStd), told apart by the file's name. Reading refuses anything that is not a
// well-formed document of its kind; writing replaces the whole file atomically.

#include "host/document_data.h"

#include <QByteArray>
#include <QString>

namespace tavik {

class DocumentFile {
public:
    // Throws DocumentFileError naming the file and the fault. typeHint (1 part, 2 assembly)
    // stands in for the type when the file has none and its extension does not tell. The
    // result's stamp describes the file as read.
    static DocumentData read(const QString &path, int typeHint = 0);
    static DocumentData parse(const QByteArray &content, const QString &path, int typeHint = 0);

    static QByteArray toJson(const DocumentData &data);
    // What write puts into the file at path: FreeCAD's archive for a *.FCStd name, else JSON.
    // Throws DocumentFileError when the document is not of the kind the name asks for.
    static QByteArray content(const DocumentData &data, const QString &path);
    enum class Overwrite { Always, IfUnchanged };
    // Throws DocumentFileError; the file at path is untouched when the write fails. With
    // IfUnchanged, a file that another program has written since data.stamp was taken is left
    // as it is and DocumentChangedError is thrown. The file keeps its permissions and owner.
    // Returns the stamp of the file written.
    static FileStamp write(const DocumentData &data, const QString &path, Overwrite overwrite = Overwrite::Always);

    // Whether the file at path is no longer the one stamp describes: another program has written
    // it since. A file that is gone, or that holds the same bytes again, has lost nothing.
    static bool changedSince(const QString &path, const FileStamp &stamp);

    // 1 for *.sldprt, 2 for *.sldasm (any case), else 0.
    static int typeFromExtension(const QString &path);
};

} // namespace tavik
