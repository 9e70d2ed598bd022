#pragma once
// Saving a document from tavik-host, by a person or a script: when another program has written
// the document's file since this host read it, the user is asked before it is written over.

#include <QString>

namespace tavik {

class HostDocument;
class Prompts;

// False when the user chose to leave the other program's file as it is. Throws
// DocumentFileError when the file cannot be written.
bool saveDocument(HostDocument &doc, Prompts &prompts, const QString &title);

} // namespace tavik
