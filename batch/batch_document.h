#pragma once
// One document as tavik-batch sees it: its configurations and its custom properties per level
// ("" the document, else a configuration), read from its file and saved back to it. Each kind of
// document file has its own implementation behind this interface; openBatchDocument picks it by
// the file's name.

#include "batch/file_identity.h"
#include "host/document_data.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

namespace tavik {

class BatchDocument {
public:
    virtual ~BatchDocument() = default;

    virtual QString path() const = 0;
    virtual QString title() const = 0;
    // The frame the editor last showed for the document (its USE_FRAME); -1 when it never did.
    virtual int frame() const = 0;
    // Configuration names in the document's order.
    virtual QStringList configurations() const = 0;
    // The [name, value] pairs of a level in the document's order; empty for an unknown level.
    virtual PropertyList properties(const QString &level) const = 0;
    virtual std::optional<QString> value(const QString &level, const QString &name) const = 0;
    // Sets a property of a level, adding it at the end when the level does not hold it yet.
    virtual void setValue(const QString &level, const QString &name, const QString &value) = 0;
    virtual void removeValue(const QString &level, const QString &name) = 0;

    // The file as it was read.
    virtual const FileIdentity &identity() const = 0;
    // Saves the document atomically, refusing (DocumentFileError) when the file has changed on
    // disk since it was read. The identity of the file as written.
    virtual FileIdentity save() = 0;
};

// True for the file names of a kind of document that openBatchDocument reads.
bool isBatchDocumentPath(const QString &path);

// ReadOnly skips what only saving needs (the digest of the file as read): such a document cannot
// be saved.
enum class DocumentAccess { ReadOnly, ReadWrite };

// Throws DocumentFileError naming the file and the fault.
std::unique_ptr<BatchDocument> openBatchDocument(
    const QString &path, DocumentAccess access = DocumentAccess::ReadWrite);

} // namespace tavik
