#include "freecad/document_xml.h"

#include "freecad/fcstd_error.h"
#include "platform/xml_document.h"

#include <QHash>
#include <algorithm>

namespace tavik {

namespace {

// Document > Properties > Property > String | Map | Integer: the deepest elements an edit touches.
constexpr int SpanDepth = 3;

QString attributeOf(XmlView element, const char *name)
{
    return element.attribute(name).value();
}

bool hasAttribute(XmlView element, const char *name)
{
    return !element.attribute(name).isNull();
}

// The first child element of that name; the null view when there is none.
XmlView childElement(XmlView parent, const char *name)
{
    for (XmlView child = parent.firstChild(); !child.isNull(); child = child.next())
        if (child.isElement() && child.hasLocalName(name))
            return child;
    return {};
}

// Every kind of cross-document link writes its targets as <XLink file=...>, at some depth.
bool holdsFileLink(XmlView element)
{
    for (XmlView child = element.firstChild(); !child.isNull(); child = child.next()) {
        if (!child.isElement())
            continue;
        if ((child.hasLocalName("XLink") && !attributeOf(child, "file").isEmpty()) || holdsFileLink(child))
            return true;
    }
    return false;
}

// The objects a saved property links to, in every form FreeCAD writes a link within the document:
// <Link value=...>, <LinkSub value=...>, <Link obj=...> in a sub-link list, <XLink name=...>.
void collectLinks(XmlView element, QStringList &names)
{
    for (XmlView child = element.firstChild(); !child.isNull(); child = child.next()) {
        if (!child.isElement())
            continue;
        if (child.hasLocalName("Link") || child.hasLocalName("LinkSub")) {
            for (const char *attribute : {"value", "obj"})
                if (const QString name = attributeOf(child, attribute); !name.isEmpty())
                    names.append(name);
        } else if (child.hasLocalName("XLink") || child.hasLocalName("XLinkSub")) {
            if (attributeOf(child, "file").isEmpty() && !attributeOf(child, "name").isEmpty())
                names.append(attributeOf(child, "name"));
        }
        collectLinks(child, names);
    }
}

QString quoted(const QString &text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

[[noreturn]] void refuseProperty(const QString &name, const QString &type, const QString &fault)
{
    throw FcstdError(QStringLiteral("Document.xml: the document's property %1 (%2) %3").arg(quoted(name), type, fault));
}

} // namespace

DocumentXml::DocumentXml(QByteArray xml)
    : m_original(std::move(xml))
{
    XmlDocument doc;
    if (!doc.loadBytes(m_original, QStringLiteral("Document.xml"))) {
        const XmlParseError &e = doc.parseError();
        throw FcstdError(
            QStringLiteral("Document.xml is not well-formed XML (line %1: %2)").arg(e.line).arg(e.reason.trimmed()));
    }
    const XmlView root = doc.documentElementView();
    if (!root.hasLocalName("Document"))
        throw FcstdError(QStringLiteral("Document.xml is not a FreeCAD document: its document element is <%1>, not "
                                        "<Document>")
                             .arg(root.fullName()));
    m_spans = scanXmlSpans(m_original, SpanDepth);
    if (!m_spans.encoding.isEmpty() && m_spans.encoding.toLower() != "utf-8")
        throw FcstdError(QStringLiteral("Document.xml is written in %1; FreeCAD writes UTF-8")
                             .arg(QString::fromLatin1(m_spans.encoding)));
    readProperties(childElement(root, "Properties"));
    readObjects(root);
    locateProperties();
}

void DocumentXml::readProperties(XmlView properties)
{
    for (XmlView e = properties.firstChild(); !e.isNull(); e = e.next()) {
        if (!e.isElement() || !e.hasLocalName("Property"))
            continue;
        FreeCadProperty p;
        p.name = attributeOf(e, "name");
        p.type = attributeOf(e, "type");
        if (property(p.name))
            throw FcstdError(
                QStringLiteral("Document.xml: the document's property %1 is given twice").arg(quoted(p.name)));
        if (p.type == QLatin1String(freecadType::String)) {
            const XmlView s = childElement(e, "String");
            if (s.isNull() || !hasAttribute(s, "value"))
                refuseProperty(p.name, p.type, QStringLiteral("has no <String value=...>"));
            p.text = attributeOf(s, "value");
        } else if (p.type == QLatin1String(freecadType::Map)) {
            const XmlView map = childElement(e, "Map");
            if (map.isNull())
                refuseProperty(p.name, p.type, QStringLiteral("has no <Map>"));
            for (XmlView item = map.firstChild(); !item.isNull(); item = item.next()) {
                if (!item.isElement() || !item.hasLocalName("Item"))
                    continue;
                if (!hasAttribute(item, "key") || !hasAttribute(item, "value"))
                    refuseProperty(p.name, p.type, QStringLiteral("has an <Item> without a key or a value"));
                const QString key = attributeOf(item, "key");
                if (std::any_of(p.items.cbegin(), p.items.cend(), [&](const auto &i) { return i.first == key; }))
                    refuseProperty(p.name, p.type, QStringLiteral("holds the key %1 twice").arg(quoted(key)));
                p.items.append({key, attributeOf(item, "value")});
            }
            // FreeCAD reads as many items as the count says.
            bool ok = false;
            const qsizetype count = attributeOf(map, "count").toLongLong(&ok);
            if (!ok || count != p.items.size())
                refuseProperty(p.name, p.type,
                    QStringLiteral("says it holds %1 items but holds %2")
                        .arg(attributeOf(map, "count"))
                        .arg(p.items.size()));
        } else if (p.type == QLatin1String(freecadType::Enumeration)) {
            bool ok = false;
            p.integer = attributeOf(childElement(e, "Integer"), "value").toLongLong(&ok);
            if (!ok)
                refuseProperty(p.name, p.type, QStringLiteral("has no <Integer value=...> with a whole number"));
        }
        m_properties.append(p);
    }
}

void DocumentXml::readObjects(XmlView root)
{
    QHash<QString, qsizetype> byName;
    const XmlView objects = childElement(root, "Objects");
    for (XmlView e = objects.firstChild(); !e.isNull(); e = e.next()) {
        if (e.isElement() && e.hasLocalName("Object")) {
            FreeCadObject o;
            o.name = attributeOf(e, "name");
            o.type = attributeOf(e, "type");
            byName.insert(o.name, m_objects.size());
            m_objects.append(o);
        }
    }
    QHash<QString, QStringList> dependencies;
    for (XmlView e = objects.firstChild(); !e.isNull(); e = e.next()) {
        if (!e.isElement() || !e.hasLocalName("ObjectDeps"))
            continue;
        QStringList &used = dependencies[attributeOf(e, "Name")];
        for (XmlView dep = e.firstChild(); !dep.isNull(); dep = dep.next())
            if (dep.isElement() && dep.hasLocalName("Dep"))
                used.append(attributeOf(dep, "Name"));
    }
    for (FreeCadObject &o : m_objects)
        o.dependencies = dependencies.value(o.name);

    const XmlView data = childElement(root, "ObjectData");
    for (XmlView e = data.firstChild(); !e.isNull(); e = e.next()) {
        if (!e.isElement() || !e.hasLocalName("Object"))
            continue;
        const auto at = byName.constFind(attributeOf(e, "name"));
        if (at == byName.cend())
            continue;
        FreeCadObject &o = m_objects[*at];
        for (XmlView p = childElement(e, "Properties").firstChild(); !p.isNull(); p = p.next()) {
            if (!p.isElement() || !p.hasLocalName("Property"))
                continue;
            const QString name = attributeOf(p, "name");
            const QString type = attributeOf(p, "type");
            if (name == QLatin1String("Visibility") && type == QLatin1String("App::PropertyBool"))
                o.visible = attributeOf(childElement(p, "Bool"), "value") != QLatin1String("false");
            else if (name == QLatin1String("Shape") && type == QLatin1String("Part::PropertyPartShape"))
                o.shapeEntry = attributeOf(childElement(p, "Part"), "file");
            else if (type.startsWith(QLatin1String("App::PropertyXLink")) && holdsFileLink(p))
                o.linksOtherFile = true;
            collectLinks(p, o.savedLinks);
        }
    }
}

void DocumentXml::locateProperties()
{
    for (int i = 0; i < m_spans.elements.size(); ++i) {
        const XmlElementSpan &e = m_spans.elements[i];
        if (e.depth == 1 && e.name == "Properties" && m_propertiesSpan < 0)
            m_propertiesSpan = i;
        else if (e.depth == 2 && e.parent == m_propertiesSpan && m_propertiesSpan >= 0 && e.name == "Property")
            m_propertySpans.append(i);
    }
    // The two readings of the text must agree on the properties, or an edit would land elsewhere.
    bool agree = m_propertySpans.size() == m_properties.size();
    for (qsizetype i = 0; agree && i < m_properties.size(); ++i) {
        const XmlAttributeSpan *name = m_spans.elements[m_propertySpans[i]].attribute("name");
        agree = name && xmlAttributeText(m_original, *name) == m_properties[i].name;
    }
    if (!agree)
        throw FcstdError(QStringLiteral("Document.xml cannot be edited: its document properties cannot be located"));
}

const FreeCadProperty *DocumentXml::property(const QString &name) const
{
    for (const FreeCadProperty &p : m_properties)
        if (p.name == name)
            return &p;
    return nullptr;
}

} // namespace tavik
