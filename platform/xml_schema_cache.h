#pragma once
// Compiled XML schemas keyed by their target namespace, to validate documents against.

#include "platform/xml_document.h"

#include <QString>
#include <map>
#include <memory>
#include <optional>

struct _xmlSchema;

namespace tavik {

class XmlSchemaCache {
public:
    // Compiles the loaded schema document and keeps it under the namespace, replacing any schema
    // kept there before. On failure false, and schemaDoc's parse error says why. The schema may
    // include or import ".xsd" files from its own folder, nothing else.
    bool add(const QString &namespaceUri, XmlDocument &schemaDoc);

    // The schema for the namespace; nullptr when there is none.
    _xmlSchema *find(const QString &namespaceUri) const;
    // The namespace of the only schema kept, when exactly one is: a reader that validates while it
    // streams must choose its schema before it reads the document element.
    std::optional<QString> soleNamespace() const;

private:
    struct Entry;
    std::map<QString, std::shared_ptr<Entry>> m_entries;
};

} // namespace tavik
