#pragma once
// FreeCAD's Document.xml: the document's own properties (texts, maps, enumerations) and what its
// objects say about their shapes, visibility, dependencies and links. Edits of the document's own
// properties are written into the original text; every other byte stays as it was.

#include "freecad/xml_spans.h"
#include "platform/xml_view.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>
#include <utility>

namespace tavik {

using FreeCadItems = QList<std::pair<QString, QString>>; // a map's [key, value] items in order

namespace freecadType {
inline constexpr const char *String = "App::PropertyString";
inline constexpr const char *Map = "App::PropertyMap";
inline constexpr const char *Enumeration = "App::PropertyEnumeration";
} // namespace freecadType

// One property of the document itself. Its value is read for the three kinds above.
struct FreeCadProperty {
    QString name;
    QString type;
    QString text; // a text property's value
    FreeCadItems items; // a map property's items
    long long integer = 0; // an enumeration's index
};

struct FreeCadObject {
    QString name;
    QString type;
    bool visible = true; // an object that does not say is shown
    QString shapeEntry; // the archive entry that holds its Shape; empty when it has none
    QStringList dependencies; // the objects it uses
    // The objects its saved properties link to. A link FreeCAD keeps only while the document is
    // open (a feature's hidden link back to its body) is among the dependencies but not here.
    QStringList savedLinks;
    bool linksOtherFile = false; // a link of it names another document file
};

class DocumentXml {
public:
    // Throws FcstdError when the text is not well-formed XML, not a FreeCAD document, not UTF-8,
    // or holds a document property of the kinds above that is not written as FreeCAD writes it.
    explicit DocumentXml(QByteArray xml);

    const QByteArray &original() const { return m_original; }
    // The document's properties in the file's order; values are read for the three kinds above.
    const QList<FreeCadProperty> &properties() const { return m_properties; }
    // The document's property of that name; none when the document has none.
    const FreeCadProperty *property(const QString &name) const;
    const QList<FreeCadObject> &objects() const { return m_objects; }

    // Edits to be written by bytes(): a property the document lacks is added in the form FreeCAD
    // writes it. An enumeration can only be changed where the document has it. Throw FcstdError
    // for a text that FreeCAD's files cannot hold.
    void setString(const QString &name, const QString &value);
    void setMap(const QString &name, const FreeCadItems &items);
    void setEnumeration(const QString &name, long long index);
    bool isEdited() const { return !m_edits.isEmpty(); }

    // The original text with the edits applied.
    QByteArray bytes() const;

private:
    void readProperties(XmlView properties);
    void readObjects(XmlView root);
    void locateProperties();
    void edit(FreeCadProperty changed);

    QByteArray m_original;
    QList<FreeCadProperty> m_properties;
    QList<FreeCadObject> m_objects;
    XmlSpans m_spans;
    int m_propertiesSpan = -1; // the document's <Properties> element among m_spans
    QList<int> m_propertySpans; // each property's element, in the order of m_properties
    QList<FreeCadProperty> m_edits;
};

// The first character of text that an XML 1.0 file cannot hold (a control character other than
// tab, line feed and carriage return, a lone surrogate, U+FFFE or U+FFFF); none when it has none.
std::optional<char32_t> unwritableCharacter(const QString &text);

} // namespace tavik
