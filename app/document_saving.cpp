#include "app/document_saving.h"

#include "host/document_file_error.h"
#include "host/host_document.h"
#include "platform/prompts.h"

namespace tavik {

bool saveDocument(HostDocument &doc, Prompts &prompts, const QString &title)
{
    try {
        doc.save();
        return true;
    } catch (const DocumentChangedError &) {
        // An unanswered question (script mode) takes No: nothing is written over.
        const MessageAnswer answer
            = prompts.message(QStringLiteral("%1 was changed by another program after it was opened here. Save anyway, "
                                             "replacing those changes?")
                                  .arg(doc.path()),
                title, MessageIcon::Exclamation, MessageButtons::YesNo);
        if (answer != MessageAnswer::Yes)
            return false;
    }
    doc.save(DocumentFile::Overwrite::Always);
    return true;
}

} // namespace tavik
