// Edits of Document.xml: each one replaces the value or map of one of the document's own
// properties in the original text, or adds a property where the document has none, in the form
// FreeCAD writes it.

#include "freecad/document_xml.h"

#include "freecad/fcstd_error.h"

#include <algorithm>

namespace tavik {

namespace {

QString quoted(const QString &text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// An attribute value in the form FreeCAD writes it.
QByteArray escaped(const QString &text)
{
    QByteArray out;
    const QByteArray utf8 = text.toUtf8();
    out.reserve(utf8.size());
    for (const char c : utf8) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&apos;";
            break;
        case '\n':
            out += "&#10;";
            break;
        case '\r':
            out += "&#13;";
            break;
        case '\t':
            out += "&#9;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

// libxml2 reads no attribute value longer than this: a longer one could be written, but not read
// back.
constexpr qsizetype MaxValueBytes = 10000000;

void checkWritable(const QString &text, const QString &what)
{
    if (const auto c = unwritableCharacter(text))
        throw FcstdError(QStringLiteral("%1 holds a character that a FreeCAD file cannot hold (U+%2)")
                             .arg(what, QStringLiteral("%1").arg(uint(*c), 4, 16, QLatin1Char('0')).toUpper()));
    if (text.size() * 3 > MaxValueBytes && escaped(text).size() > MaxValueBytes)
        throw FcstdError(QStringLiteral("%1 is too long: Tavik reads values of at most %2 bytes from a FreeCAD file")
                             .arg(what)
                             .arg(MaxValueBytes));
}

// The blanks that open the line an element starts on; none when something else stands there.
std::optional<QByteArray> indentBefore(const QByteArray &xml, qsizetype pos)
{
    qsizetype from = pos;
    while (from > 0 && (xml[from - 1] == ' ' || xml[from - 1] == '\t'))
        --from;
    if (from > 0 && xml[from - 1] != '\n')
        return std::nullopt;
    return xml.mid(from, pos - from);
}

QByteArray mapElement(const FreeCadItems &items, const QByteArray &indent, const QByteArray &unit)
{
    QByteArray out = "<Map count=\"" + QByteArray::number(items.size()) + "\">\n";
    for (const auto &[key, value] : items)
        out += indent + unit + "<Item key=\"" + escaped(key) + "\" value=\"" + escaped(value) + "\"/>\n";
    return out + indent + "</Map>";
}

QByteArray propertyElement(const FreeCadProperty &p, const QByteArray &indent, const QByteArray &unit)
{
    QByteArray out = "<Property name=\"" + escaped(p.name) + "\" type=\"" + p.type.toUtf8() + "\">\n" + indent + unit;
    if (p.type == QLatin1String(freecadType::String))
        out += "<String value=\"" + escaped(p.text) + "\"/>";
    else
        out += mapElement(p.items, indent + unit, unit);
    return out + "\n" + indent + "</Property>";
}

struct Splice {
    qsizetype begin;
    qsizetype end;
    QByteArray text;
};

} // namespace

std::optional<char32_t> unwritableCharacter(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ++i;
            continue;
        }
        const char16_t u = c.unicode();
        if ((u < 0x20 && u != u'\t' && u != u'\n' && u != u'\r') || c.isSurrogate() || u == 0xFFFE || u == 0xFFFF)
            return char32_t(u);
    }
    return std::nullopt;
}

void DocumentXml::edit(FreeCadProperty changed)
{
    const FreeCadProperty *existing = property(changed.name);
    if (existing && existing->type != changed.type)
        throw FcstdError(QStringLiteral("Document.xml: the document's property %1 is an %2, not an %3")
                             .arg(quoted(changed.name), existing->type, changed.type));
    for (FreeCadProperty &e : m_edits) {
        if (e.name == changed.name) {
            e = std::move(changed);
            return;
        }
    }
    m_edits.append(std::move(changed));
}

void DocumentXml::setString(const QString &name, const QString &value)
{
    checkWritable(value, QStringLiteral("the document's %1").arg(name));
    FreeCadProperty p;
    p.name = name;
    p.type = QString::fromLatin1(freecadType::String);
    p.text = value;
    edit(std::move(p));
}

void DocumentXml::setMap(const QString &name, const FreeCadItems &items)
{
    for (const auto &[key, value] : items) {
        checkWritable(key, QStringLiteral("the %1 key %2").arg(name, quoted(key)));
        checkWritable(value, QStringLiteral("the value of %1 key %2").arg(name, quoted(key)));
    }
    FreeCadProperty p;
    p.name = name;
    p.type = QString::fromLatin1(freecadType::Map);
    p.items = items;
    edit(std::move(p));
}

void DocumentXml::setEnumeration(const QString &name, long long index)
{
    if (!property(name))
        throw FcstdError(QStringLiteral("Document.xml: the document has no property %1 to set").arg(quoted(name)));
    FreeCadProperty p;
    p.name = name;
    p.type = QString::fromLatin1(freecadType::Enumeration);
    p.integer = index;
    edit(std::move(p));
}

QByteArray DocumentXml::bytes() const
{
    if (m_edits.isEmpty())
        return m_original;
    if (m_propertiesSpan < 0)
        throw FcstdError(QStringLiteral("Document.xml cannot be edited: the document has no <Properties>"));
    const QList<XmlElementSpan> &spans = m_spans.elements;
    const XmlElementSpan &properties = spans[m_propertiesSpan];
    const QByteArray outer = indentBefore(m_original, properties.begin).value_or(QByteArray());
    QByteArray indent = m_propertySpans.isEmpty()
        ? QByteArray()
        : indentBefore(m_original, spans[m_propertySpans.last()].begin).value_or(QByteArray());
    const QByteArray unit
        = indent.startsWith(outer) && indent.size() > outer.size() ? indent.mid(outer.size()) : QByteArray("    ");
    if (indent.isEmpty())
        indent = outer + unit;

    // The child of an existing property that an edit replaces.
    const auto childSpan = [&](int propertySpan, const char *name) -> const XmlElementSpan * {
        for (const XmlElementSpan &e : spans)
            if (e.depth == 3 && e.parent == propertySpan && e.name == name)
                return &e;
        return nullptr;
    };

    QList<Splice> splices;
    QByteArray added;
    int addedCount = 0;
    for (const FreeCadProperty &p : m_edits) {
        const qsizetype index = std::find_if(m_properties.cbegin(), m_properties.cend(), [&](const FreeCadProperty &e) {
            return e.name == p.name;
        }) - m_properties.cbegin();
        if (index == m_properties.size()) {
            added += indent + propertyElement(p, indent, unit) + "\n";
            ++addedCount;
            continue;
        }
        const int span = m_propertySpans[index];
        if (p.type == QLatin1String(freecadType::String)) {
            const XmlElementSpan *s = childSpan(span, "String");
            const XmlAttributeSpan *value = s ? s->attribute("value") : nullptr;
            if (!value)
                throw FcstdError(QStringLiteral("Document.xml cannot be edited: %1 has no value").arg(quoted(p.name)));
            splices.append({value->valueBegin, value->valueEnd, escaped(p.text)});
        } else if (p.type == QLatin1String(freecadType::Map)) {
            const XmlElementSpan *m = childSpan(span, "Map");
            if (!m)
                throw FcstdError(QStringLiteral("Document.xml cannot be edited: %1 has no map").arg(quoted(p.name)));
            const QByteArray mapIndent = indentBefore(m_original, m->begin).value_or(QByteArray());
            splices.append({m->begin, m->end, mapElement(p.items, mapIndent, unit)});
        } else {
            const XmlElementSpan *i = childSpan(span, "Integer");
            const XmlAttributeSpan *value = i ? i->attribute("value") : nullptr;
            if (!value)
                throw FcstdError(QStringLiteral("Document.xml cannot be edited: %1 has no value").arg(quoted(p.name)));
            splices.append({value->valueBegin, value->valueEnd, QByteArray::number(p.integer)});
        }
    }
    if (addedCount > 0) {
        const XmlAttributeSpan *count = properties.attribute("Count");
        if (properties.emptyTag || !count)
            throw FcstdError(
                QStringLiteral("Document.xml cannot be edited: its <Properties> has no room for a new property"));
        bool ok = false;
        const long long before = xmlAttributeText(m_original, *count).toLongLong(&ok);
        if (!ok)
            throw FcstdError(QStringLiteral("Document.xml cannot be edited: its <Properties> has no count"));
        splices.append({count->valueBegin, count->valueEnd, QByteArray::number(before + addedCount)});
        // New properties go last, each on a line of its own before </Properties>.
        qsizetype at = properties.endTagBegin;
        if (const auto closingIndent = indentBefore(m_original, at))
            at -= closingIndent->size();
        else
            added = "\n" + added;
        splices.append({at, at, added});
    }

    std::sort(splices.begin(), splices.end(), [](const Splice &a, const Splice &b) { return a.begin < b.begin; });
    QByteArray out;
    out.reserve(m_original.size() + 1024);
    qsizetype from = 0;
    for (const Splice &s : splices) {
        out.append(m_original.constData() + from, s.begin - from);
        out += s.text;
        from = s.end;
    }
    out.append(m_original.constData() + from, m_original.size() - from);
    return out;
}

} // namespace tavik
