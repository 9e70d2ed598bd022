#pragma once
// A large XML document read with libxml2's reader one child element of its document element at a
// time, validated against the attached schemas while it streams, so that the whole tree is never
// held: each child comes complete and is freed when the next one is asked for. The schema's
// attribute defaults are not put into the tree; XmlAttributeDefaults gives them for each element.
//
// A stream is only taken where it gives exactly what loading the whole document would. Whatever
// it cannot judge so ends it early without a reason of its own, and the caller reads the document
// whole (XmlDocument) to get the same result and the same message as always: a file that cannot
// be read, is not well formed or not valid; a child that is not valid in a document of its own
// or whose elements name their own type; and blank text that was the only content of an element,
// which a whole load removes before it validates.

#include "platform/xml_view.h"

#include <QFile>
#include <QString>
#include <memory>

struct _xmlTextReader;
struct _xmlSchemaValidCtxt;

namespace tavik {

class XmlAttributeDefaults;
class XmlSchemaCache;
class XmlSession;

class XmlStreamedDocument {
public:
    explicit XmlStreamedDocument(std::shared_ptr<const XmlSchemaCache> schemas);
    ~XmlStreamedDocument();
    XmlStreamedDocument(const XmlStreamedDocument &) = delete;
    XmlStreamedDocument &operator=(const XmlStreamedDocument &) = delete;

    // Opens the file and reads up to its document element; false when the stream has ended.
    bool open(const QString &path);
    // The next child element of the document element, whole, with its elements marked for
    // XmlAttributeDefaults::of; the null view at the end of the document or once the stream has
    // ended. The view before it is freed.
    XmlView nextChild();
    // True once the whole document was read, valid, and every child was given exactly.
    bool complete() const { return m_complete; }

private:
    bool end();

    std::shared_ptr<const XmlSchemaCache> m_schemas;
    std::unique_ptr<XmlSession> m_session;
    QFile m_file;
    _xmlTextReader *m_reader = nullptr;
    _xmlSchemaValidCtxt *m_validator = nullptr;
    std::unique_ptr<XmlAttributeDefaults> m_defaults;
    _xmlNode *m_root = nullptr;
    bool m_onChild = false;
    bool m_ended = false;
    bool m_complete = false;
};

} // namespace tavik
