#include "host/freecad_document.h"

#include "freecad/document_content.h"
#include "freecad/fcstd_archive.h"
#include "freecad/fcstd_error.h"
#include "freecad/freecad_units.h"
#include "host/document_file_error.h"
#include "host/freecad_meta.h"
#include "host/length_units.h"
#include "hostapi/host.h"

#include <algorithm>
#include <array>

namespace tavik {

namespace {

const QString documentEntry = QStringLiteral("Document.xml");
// A Document.xml of a few thousand objects takes some megabytes; more than this is not a document.
constexpr qint64 DocumentXmlLimit = qint64(128) << 20;

// The text property behind each summary field; the others live in the Meta map.
constexpr std::array<const char *, 6> summaryProperties
    = {"Label", nullptr, "CreatedBy", nullptr, "Comment", "LastModifiedBy"};

// The document's property of that name when it is of that type; none when the document lacks it.
const FreeCadProperty *typed(const DocumentXml &xml, const QString &name, const char *type)
{
    const FreeCadProperty *p = xml.property(name);
    if (p && p->type != QLatin1String(type))
        throw FcstdError(QStringLiteral("Document.xml: the document's property \"%1\" is an %2, not an %3")
                             .arg(name, p->type, QLatin1String(type)));
    return p;
}

const FreeCadItems &itemsOf(const FreeCadProperty *map)
{
    static const FreeCadItems none;
    return map ? map->items : none;
}

int lengthUnitCode(const QString &text)
{
    for (int code = 0; isLengthUnit(code); ++code)
        if (lengthUnitText(code) == text)
            return code;
    return 0;
}

// The length unit of the document's unit system; millimetres when it records none FreeCAD knows.
int systemLengthUnit(const DocumentXml &xml)
{
    const FreeCadProperty *system = typed(xml, QStringLiteral("UnitSystem"), freecadType::Enumeration);
    return system ? lengthUnitCode(unitSystemLength(system->integer)) : 0;
}

std::optional<double> densityOf(const DocumentXml &xml)
{
    for (const auto &[key, value] : itemsOf(typed(xml, QStringLiteral("Material"), freecadType::Map))) {
        if (key != QLatin1String("Density"))
            continue;
        const auto density = densityFromText(value);
        if (!density)
            throw FcstdError(
                QStringLiteral("the Material map's Density \"%1\" is not a density such as \"7850 kg/m^3\"")
                    .arg(value));
        return density;
    }
    return std::nullopt;
}

// The host's view of the document's own properties: summary, custom properties, settings.
DocumentData propertiesOf(const DocumentXml &xml)
{
    DocumentData d;
    d.type = isAssembly(xml.objects()) ? sw::swDocASSEMBLY : sw::swDocPART;
    for (size_t k = 0; k < summaryProperties.size(); ++k)
        if (summaryProperties[k])
            if (const FreeCadProperty *p = typed(xml, QString::fromLatin1(summaryProperties[k]), freecadType::String))
                d.summaryInfo[k] = p->text;
    d.customProperties.insert(QString(), {});
    const auto unit = freecadMeta::read(itemsOf(typed(xml, QStringLiteral("Meta"), freecadType::Map)), d);
    d.lengthUnit = unit.value_or(systemLengthUnit(xml));
    d.unitsString = lengthUnitText(d.lengthUnit);
    d.density = densityOf(xml).value_or(1000.0);
    return d;
}

} // namespace

bool FreeCadDocument::isFreeCadPath(const QString &path)
{
    return path.endsWith(QLatin1String(".fcstd"), Qt::CaseInsensitive);
}

DocumentData FreeCadDocument::parse(const QByteArray &content, const QString &path, FreeCadSource::Measurer measure)
{
    try {
        FcstdArchive archive(content);
        if (!archive.contains(documentEntry))
            throw FcstdError(QStringLiteral("the zip archive holds no Document.xml, so it is not a FreeCAD document"));
        DocumentXml xml(archive.read(documentEntry, DocumentXmlLimit));
        DocumentData d = propertiesOf(xml);
        QStringList shapes = partShapeEntries(xml.objects());
        d.freecad
            = std::make_shared<const FreeCadSource>(content, std::move(xml), std::move(shapes), std::move(measure));
        return d;
    } catch (const FcstdError &e) {
        throw DocumentFileError(path, e.fault);
    }
}

QByteArray FreeCadDocument::toBytes(const DocumentData &d, const QString &path)
{
    if (!d.freecad)
        throw DocumentFileError(path,
            QStringLiteral("only a document read from a FreeCAD file can be saved as a FreeCAD document (*.FCStd)"));
    try {
        const DocumentXml &original = d.freecad->xml();
        const DocumentData before = propertiesOf(original);
        DocumentXml xml = original;

        for (size_t k = 0; k < summaryProperties.size(); ++k)
            if (summaryProperties[k] && d.summaryInfo[k] != before.summaryInfo[k])
                xml.setString(QString::fromLatin1(summaryProperties[k]), d.summaryInfo[k]);

        if (d.density != before.density) {
            FreeCadItems material = itemsOf(original.property(QStringLiteral("Material")));
            const auto density = std::find_if(material.begin(), material.end(),
                [](const auto &item) { return item.first == QLatin1String("Density"); });
            if (density != material.end())
                density->second = densityText(d.density);
            else
                material.append({QStringLiteral("Density"), densityText(d.density)});
            xml.setMap(QStringLiteral("Material"), material);
        }

        // The unit system holds the length unit where one of FreeCAD's systems shows lengths in it;
        // any other unit is kept in the Meta map.
        int fileUnit = 0;
        if (const FreeCadProperty *system = original.property(QStringLiteral("UnitSystem"))) {
            fileUnit = systemLengthUnit(original);
            if (fileUnit != d.lengthUnit)
                if (const auto index = unitSystemFor(lengthUnitText(d.lengthUnit))) {
                    xml.setEnumeration(system->name, *index);
                    fileUnit = d.lengthUnit;
                }
        }
        const FreeCadItems &meta = itemsOf(original.property(QStringLiteral("Meta")));
        const FreeCadItems items
            = freecadMeta::write(d, d.lengthUnit != fileUnit ? std::optional<int>(d.lengthUnit) : std::nullopt, meta);
        if (!freecadMeta::sameContent(items, meta))
            xml.setMap(QStringLiteral("Meta"), items);

        if (!xml.isEdited())
            return d.freecad->archive();
        return FcstdArchive(d.freecad->archive()).withEntry(documentEntry, xml.bytes());
    } catch (const FcstdError &e) {
        throw DocumentFileError(path, e.fault);
    }
}

} // namespace tavik
