#include "host/freecad_meta.h"

#include "freecad/fcstd_error.h"
#include "host/length_units.h"

#include <QLocale>
#include <algorithm>
#include <cmath>

namespace tavik::freecadMeta {

namespace {

const QString titleKey = QStringLiteral("Tavik:Title");
const QString subjectKey = QStringLiteral("Tavik:Subject");
const QString keywordsKey = QStringLiteral("Tavik:Keywords");
const QString lengthUnitKey = QStringLiteral("Tavik:LengthUnit");
const QString attributePrefix = QStringLiteral("Tavik:Attribute:");

constexpr int SubjectField = 1;
constexpr int KeywordsField = 3;

QString quoted(const QString &text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

std::optional<int> lengthUnitOf(const QString &text)
{
    for (int code = 0; isLengthUnit(code); ++code)
        if (lengthUnitText(code) == text)
            return code;
    return std::nullopt;
}

QString numberText(double value)
{
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

// Whether a key holds one of the host's settings; other reserved keys, and a key without a name,
// are kept as they are.
bool isHostSetting(const QString &key)
{
    return key == titleKey || key == subjectKey || key == keywordsKey || key == lengthUnitKey
        || key.startsWith(attributePrefix);
}

bool isCustomName(const QString &key)
{
    return !key.isEmpty() && !isReserved(key);
}

void readAttributeKey(const QString &key, const QString &value, DocumentData &data)
{
    const QString rest = key.mid(attributePrefix.size());
    const qsizetype colon = rest.indexOf(QLatin1Char(':'));
    const QString name = colon < 0 ? rest : rest.left(colon);
    if (name.isEmpty())
        throw FcstdError(QStringLiteral("the Meta key %1 names no attribute").arg(quoted(key)));
    AttributeInstance *a = data.attribute(name);
    if (!a) {
        data.attributes.append(AttributeInstance{name, {}, {}, {}, {}});
        a = &data.attributes.last();
    }
    if (colon < 0) {
        a->definition = value;
        return;
    }
    bool ok = false;
    const double number = QLocale::c().toDouble(value, &ok);
    if (!ok || !std::isfinite(number))
        throw FcstdError(QStringLiteral("the Meta key %1 must hold a number, not %2").arg(quoted(key), quoted(value)));
    a->parameters.append({rest.mid(colon + 1), number});
}

} // namespace

bool isReserved(const QString &key)
{
    return key.startsWith(QLatin1String(ReservedPrefix));
}

std::optional<int> read(const FreeCadItems &items, DocumentData &data)
{
    std::optional<int> lengthUnit;
    PropertyList &properties = data.customProperties[QString()];
    for (const auto &[key, value] : items) {
        if (isCustomName(key))
            properties.append({key, value});
        else if (!isHostSetting(key))
            continue;
        else if (key == titleKey)
            data.title = value;
        else if (key == subjectKey)
            data.summaryInfo[SubjectField] = value;
        else if (key == keywordsKey)
            data.summaryInfo[KeywordsField] = value;
        else if (key == lengthUnitKey) {
            lengthUnit = lengthUnitOf(value);
            if (!lengthUnit)
                throw FcstdError(
                    QStringLiteral("the Meta key %1 must name a length unit, not %2").arg(quoted(key), quoted(value)));
        } else if (key.startsWith(attributePrefix))
            readAttributeKey(key, value, data);
    }
    return lengthUnit;
}

FreeCadItems write(const DocumentData &data, std::optional<int> lengthUnit, const FreeCadItems &original)
{
    FreeCadItems items;
    for (const auto &[name, value] : data.level(QString()) ? *data.level(QString()) : PropertyList()) {
        if (isReserved(name))
            throw FcstdError(QStringLiteral("the custom property %1 cannot be kept in a FreeCAD document: names that "
                                            "begin with \"%2\" hold Tavik's own settings there")
                                 .arg(quoted(name), QLatin1String(ReservedPrefix)));
        items.append({name, value});
    }
    if (data.title)
        items.append({titleKey, *data.title});
    if (!data.summaryInfo[SubjectField].isEmpty())
        items.append({subjectKey, data.summaryInfo[SubjectField]});
    if (!data.summaryInfo[KeywordsField].isEmpty())
        items.append({keywordsKey, data.summaryInfo[KeywordsField]});
    if (lengthUnit)
        items.append({lengthUnitKey, lengthUnitText(*lengthUnit)});
    for (const AttributeInstance &a : data.attributes) {
        if (a.name.contains(QLatin1Char(':')))
            throw FcstdError(QStringLiteral("the attribute %1 cannot be kept in a FreeCAD document: its name holds a "
                                            "\":\"")
                                 .arg(quoted(a.name)));
        items.append({attributePrefix + a.name, a.definition});
        for (const auto &[name, value] : a.parameters)
            items.append({attributePrefix + a.name + QLatin1Char(':') + name, numberText(value)});
    }
    for (const auto &item : original)
        if (!isCustomName(item.first) && !isHostSetting(item.first))
            items.append(item);
    return items;
}

bool sameContent(const FreeCadItems &a, const FreeCadItems &b)
{
    const auto split = [](const FreeCadItems &items) {
        std::pair<FreeCadItems, FreeCadItems> parts;
        for (const auto &item : items)
            (isCustomName(item.first) ? parts.first : parts.second).append(item);
        std::sort(parts.second.begin(), parts.second.end());
        return parts;
    };
    return split(a) == split(b);
}

} // namespace tavik::freecadMeta
