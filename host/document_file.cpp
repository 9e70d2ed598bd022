#include "host/document_file.h"

#include "host/document_file_error.h"
#include "host/freecad_document.h"
#include "host/json_text.h"
#include "host/length_units.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>
#include <QUuid>
#include <algorithm>
#include <cmath>

namespace tavik {

namespace {

QString quoted(const QString &member)
{
    return QLatin1Char('"') + member + QLatin1Char('"');
}

// Turns the members of a parsed file into DocumentData, refusing wrong shapes with the member's
// name in the message.
class Reader {
public:
    explicit Reader(const QString &path)
        : m_path(path)
    {
    }

    [[noreturn]] void refuse(const QString &fault) const { throw DocumentFileError(m_path, fault); }

    QString string(const QJsonValue &v, const QString &what) const
    {
        if (!v.isString())
            refuse(what + QStringLiteral(" must be a text"));
        return v.toString();
    }

    double number(const QJsonValue &v, const QString &what) const
    {
        if (!v.isDouble())
            refuse(what + QStringLiteral(" must be a number"));
        return v.toDouble();
    }

    int integer(const QJsonValue &v, const QString &what) const
    {
        const double d = number(v, what);
        if (d != std::floor(d) || d < -2147483648.0 || d > 2147483647.0)
            refuse(what + QStringLiteral(" must be a whole number"));
        return int(d);
    }

    QJsonArray array(const QJsonValue &v, const QString &what) const
    {
        if (!v.isArray())
            refuse(what + QStringLiteral(" must be an array"));
        return v.toArray();
    }

    QJsonObject object(const QJsonValue &v, const QString &what) const
    {
        if (!v.isObject())
            refuse(what + QStringLiteral(" must be an object"));
        return v.toObject();
    }

    DocumentData read(const QJsonObject &o, int typeHint) const;

private:
    void readCustomProperties(const QJsonObject &o, DocumentData &d) const;
    void readAttributes(const QJsonArray &a, DocumentData &d) const;

    QString m_path;
};

DocumentData Reader::read(const QJsonObject &o, int typeHint) const
{
    DocumentData d;
    d.original = o;

    if (o.contains(u"type")) {
        d.type = integer(o[u"type"], quoted(QStringLiteral("type")));
        if (d.type < 1 || d.type > 3)
            refuse(QStringLiteral("member \"type\" must be 1 (part), 2 (assembly) or 3 (drawing)"));
    } else if (int t = DocumentFile::typeFromExtension(m_path)) {
        d.type = t;
    } else if (typeHint > 0) {
        d.type = typeHint;
    } else {
        refuse(QStringLiteral("the document has no \"type\" member and its file name does not end in "
                              ".sldprt or .sldasm"));
    }

    if (o.contains(u"title"))
        d.title = string(o[u"title"], quoted(QStringLiteral("title")));

    if (o.contains(u"configurations")) {
        const QJsonArray names = array(o[u"configurations"], quoted(QStringLiteral("configurations")));
        for (const QJsonValue &v : names) {
            const QString name = string(v, QStringLiteral("each configuration name"));
            if (name.isEmpty())
                refuse(QStringLiteral("a configuration name is empty"));
            if (d.configurations.contains(name))
                refuse(QStringLiteral("configuration \"%1\" is listed twice").arg(name));
            d.configurations.append(name);
        }
    }
    if (o.contains(u"activeConfiguration") && !o[u"activeConfiguration"].isNull()) {
        const QString active = string(o[u"activeConfiguration"], quoted(QStringLiteral("activeConfiguration")));
        if (!d.configurations.contains(active))
            refuse(QStringLiteral("the active configuration \"%1\" is not among the configurations").arg(active));
        d.activeConfiguration = active;
    }

    if (o.contains(u"customProperties"))
        readCustomProperties(object(o[u"customProperties"], quoted(QStringLiteral("customProperties"))), d);

    if (o.contains(u"summaryInfo")) {
        const QJsonObject s = object(o[u"summaryInfo"], quoted(QStringLiteral("summaryInfo")));
        for (size_t k = 0; k < summaryInfoKeys.size(); ++k) {
            const QString key = QString::fromLatin1(summaryInfoKeys[k]);
            if (s.contains(key))
                d.summaryInfo[k] = string(s[key], QStringLiteral("summary field \"%1\"").arg(key));
        }
    }

    if (o.contains(u"lengthUnit")) {
        d.lengthUnit = integer(o[u"lengthUnit"], quoted(QStringLiteral("lengthUnit")));
        if (!isLengthUnit(d.lengthUnit))
            refuse(QStringLiteral("member \"lengthUnit\" must be a length-unit code from 0 to 10"));
    }
    if (o.contains(u"unitsString"))
        d.unitsString = string(o[u"unitsString"], quoted(QStringLiteral("unitsString")));
    if (o.contains(u"density")) {
        d.density = number(o[u"density"], quoted(QStringLiteral("density")));
        if (d.density < 0)
            refuse(QStringLiteral("member \"density\" must not be negative"));
    }

    if (o.contains(u"massProperties")) {
        const QJsonValue m = o[u"massProperties"];
        if (m.isString() && m.toString() == u"error") {
            d.massPropertiesFail = true;
        } else if (m.isArray()) {
            for (const QJsonValue &v : m.toArray())
                d.massProperties.push_back(number(v, QStringLiteral("each mass property")));
        } else {
            refuse(QStringLiteral("member \"massProperties\" must be an array of numbers or \"error\""));
        }
    }

    if (o.contains(u"attributes"))
        readAttributes(array(o[u"attributes"], quoted(QStringLiteral("attributes"))), d);
    return d;
}

void Reader::readCustomProperties(const QJsonObject &o, DocumentData &d) const
{
    for (auto it = o.begin(); it != o.end(); ++it) {
        const QString level = it.key();
        const QString where = level.isEmpty() ? QStringLiteral("the document level")
                                              : QStringLiteral("configuration \"%1\"").arg(level);
        if (!level.isEmpty() && !d.configurations.contains(level))
            refuse(QStringLiteral("custom properties are given for \"%1\", which is not a configuration "
                                  "of the document")
                       .arg(level));
        PropertyList list;
        QSet<QString> seen;
        for (const QJsonValue &pv : array(it.value(), QStringLiteral("the custom properties of ") + where)) {
            const QJsonArray pair = pv.toArray();
            if (!pv.isArray() || pair.size() != 2 || !pair[0].isString() || !pair[1].isString())
                refuse(QStringLiteral("each custom property of %1 must be a [name, value] pair of texts").arg(where));
            const QString name = pair[0].toString();
            if (name.isEmpty())
                refuse(QStringLiteral("a custom property of %1 has an empty name").arg(where));
            if (seen.contains(name))
                refuse(QStringLiteral("custom property \"%1\" of %2 is given twice").arg(name, where));
            seen.insert(name);
            list.append({name, pair[1].toString()});
        }
        d.customProperties.insert(level, list);
    }
}

void Reader::readAttributes(const QJsonArray &a, DocumentData &d) const
{
    for (const QJsonValue &v : a) {
        const QJsonObject o = object(v, QStringLiteral("each attribute"));
        AttributeInstance at;
        at.original = o;
        at.name = string(o[u"name"], QStringLiteral("the \"name\" of each attribute"));
        if (at.name.isEmpty())
            refuse(QStringLiteral("an attribute has an empty name"));
        if (d.attribute(at.name))
            refuse(QStringLiteral("attribute \"%1\" is given twice").arg(at.name));
        if (o.contains(u"definition"))
            at.definition
                = string(o[u"definition"], QStringLiteral("the \"definition\" of attribute \"%1\"").arg(at.name));
        if (o.contains(u"parameters")) {
            const QJsonObject p
                = object(o[u"parameters"], QStringLiteral("the \"parameters\" of attribute \"%1\"").arg(at.name));
            for (auto it = p.begin(); it != p.end(); ++it)
                at.parameters.append({it.key(),
                    number(it.value(), QStringLiteral("parameter \"%1\" of attribute \"%2\"").arg(it.key(), at.name))});
        }
        d.attributes.append(at);
    }
}

} // namespace

int DocumentFile::typeFromExtension(const QString &path)
{
    if (path.endsWith(QStringLiteral(".sldprt"), Qt::CaseInsensitive))
        return 1;
    if (path.endsWith(QStringLiteral(".sldasm"), Qt::CaseInsensitive))
        return 2;
    return 0;
}

DocumentData DocumentFile::parse(const QByteArray &json, const QString &path, int typeHint)
{
    if (FreeCadDocument::isFreeCadPath(path))
        return FreeCadDocument::parse(json, path);
    if (json.startsWith("PK\x03\x04"))
        throw DocumentFileError(path,
            QStringLiteral("the file is a zip archive, not a JSON document; only a file named *.FCStd is read as a "
                           "FreeCAD document"));
    // Editors on other systems may put a byte-order mark before the text.
    const QByteArray bom("\xEF\xBB\xBF");
    QByteArray text = json.startsWith(bom) ? json.mid(bom.size()) : json;
    // Anywhere else U+FEFF belongs to a text, but Qt's reader drops it at the start of one, so
    // that a name or value would come back changed: hand it over escaped.
    if (text.contains(bom))
        text.replace(bom, "\\ufeff");
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(text, &error);
    if (error.error != QJsonParseError::NoError)
        throw DocumentFileError(
            path, QStringLiteral("not valid JSON (%1 at offset %2)").arg(error.errorString()).arg(error.offset));
    if (!doc.isObject())
        throw DocumentFileError(path, QStringLiteral("the file does not hold a JSON object"));
    // Qt's reader keeps one of two members of the same name; the other would be lost on save.
    const QString repeated = jsonText::firstRepeatedMember(text);
    if (!repeated.isEmpty())
        throw DocumentFileError(path, repeated);
    DocumentData d = Reader(path).read(doc.object(), typeHint);
    d.rawMembers = jsonText::members(text);
    d.rawSummaryMembers = jsonText::members(d.rawMembers.value(QStringLiteral("summaryInfo")));
    const QList<QByteArray> attributes = jsonText::elements(d.rawMembers.value(QStringLiteral("attributes")));
    for (qsizetype k = 0; k < d.attributes.size() && k < attributes.size(); ++k)
        d.attributes[k].rawMembers = jsonText::members(attributes[k]);
    return d;
}

namespace {

// Members the host does not know go out in the words they came in: Qt would write their numbers
// rounded. Each one is written first as a unique placeholder text, then put back in place of it.
class RawMembers {
public:
    RawMembers()
        : m_mark(QUuid::createUuid().toString(QUuid::Id128))
    {
    }

    void keep(QJsonObject &o, const QMap<QString, QByteArray> &raw, std::initializer_list<const char *> known)
    {
        for (auto it = raw.cbegin(); it != raw.cend(); ++it) {
            if (!o.contains(it.key())
                || std::any_of(known.begin(), known.end(), [&](const char *k) { return it.key() == QLatin1String(k); }))
                continue;
            const QString placeholder = QStringLiteral("tavik-raw-%1-%2").arg(m_texts.size()).arg(m_mark);
            o[it.key()] = placeholder;
            m_texts.append(std::make_pair('"' + placeholder.toUtf8() + '"', it.value()));
        }
    }

    QByteArray putBack(QByteArray json) const
    {
        for (const auto &[placeholder, text] : m_texts)
            json.replace(placeholder, text);
        return json;
    }

private:
    QString m_mark;
    QList<std::pair<QByteArray, QByteArray>> m_texts;
};

} // namespace

QByteArray DocumentFile::content(const DocumentData &data, const QString &path)
{
    if (FreeCadDocument::isFreeCadPath(path))
        return FreeCadDocument::toBytes(data, path);
    if (data.freecad)
        throw DocumentFileError(path, QStringLiteral("a FreeCAD document can only be saved as a *.FCStd file"));
    return toJson(data);
}

QByteArray DocumentFile::toJson(const DocumentData &d)
{
    RawMembers raw;
    QJsonObject o = d.original;
    raw.keep(o, d.rawMembers,
        {"type", "title", "configurations", "activeConfiguration", "customProperties", "summaryInfo", "lengthUnit",
            "unitsString", "density", "massProperties", "attributes"});
    o[u"type"] = d.type;
    if (d.title)
        o[u"title"] = *d.title;
    else
        o.remove(u"title");
    o[u"configurations"] = QJsonArray::fromStringList(d.configurations);
    if (d.activeConfiguration)
        o[u"activeConfiguration"] = *d.activeConfiguration;
    else
        o.remove(u"activeConfiguration");

    QJsonObject props;
    for (auto it = d.customProperties.cbegin(); it != d.customProperties.cend(); ++it) {
        QJsonArray list;
        for (const auto &[name, value] : *it)
            list.append(QJsonArray{name, value});
        props[it.key()] = list;
    }
    o[u"customProperties"] = props;

    QJsonObject summary = d.original[u"summaryInfo"].toObject();
    for (size_t k = 0; k < summaryInfoKeys.size(); ++k)
        summary[QString::fromLatin1(summaryInfoKeys[k])] = d.summaryInfo[k];
    raw.keep(summary, d.rawSummaryMembers, {"title", "subject", "author", "keywords", "comments", "savedBy"});
    o[u"summaryInfo"] = summary;

    o[u"lengthUnit"] = d.lengthUnit;
    o[u"unitsString"] = d.unitsString;
    o[u"density"] = d.density;
    if (d.massPropertiesFail) {
        o[u"massProperties"] = QStringLiteral("error");
    } else {
        QJsonArray mass;
        for (double m : d.massProperties)
            mass.append(m);
        o[u"massProperties"] = mass;
    }

    QJsonArray attributes;
    for (const AttributeInstance &a : d.attributes) {
        QJsonObject ao = a.original;
        raw.keep(ao, a.rawMembers, {"name", "definition", "parameters"});
        ao[u"name"] = a.name;
        ao[u"definition"] = a.definition;
        QJsonObject params;
        for (const auto &[name, value] : a.parameters)
            params[name] = value;
        ao[u"parameters"] = params;
        attributes.append(ao);
    }
    o[u"attributes"] = attributes;
    // Qt's reader drops a byte-order mark that opens a text, so a value starting with U+FEFF would
    // come back shorter. The writer emits the character only inside texts: write it escaped.
    return raw.putBack(QJsonDocument(o).toJson(QJsonDocument::Indented).replace("\xEF\xBB\xBF", "\\ufeff"));
}

} // namespace tavik
