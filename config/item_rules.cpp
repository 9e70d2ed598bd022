#include "config/item_rules.h"

#include "config/model.h"
#include "config/prototype_match.h"

#include <exception>

namespace tavik {

bool itemLivesAt(const CPItem &item, bool documentLevel)
{
    return documentLevel ? item.location != OnlyConfigurations : item.location != OnlyDocument;
}

namespace {

QString notTyped(const CPItem &item)
{
    if (item.type == QLatin1String("composite"))
        return QStringLiteral("a composite is built from its parts");
    if (item.isSerialNumber())
        return QStringLiteral("a serial number is drawn from its counter");
    if (item.type == QLatin1String("systemRead"))
        return QStringLiteral("a system value is read from the document");
    if (!item.editable)
        return QStringLiteral("the item is not editable");
    return {};
}

} // namespace

ValueCheck checkItemValue(const CPItem &item, const QString &value, bool documentLevel)
{
    ValueCheck check{item.allCaps ? value.toUpper() : value, notTyped(item)};
    if (!check.accepted())
        return check;
    if (!itemLivesAt(item, documentLevel)) {
        check.reason = documentLevel ? QStringLiteral("the property lives only in configurations")
                                     : QStringLiteral("the property lives only on the document");
        return check;
    }
    if (check.value.isEmpty())
        return check;
    if (item.length > 0 && check.value.size() > item.length) {
        check.reason = QStringLiteral("longer than %1 characters").arg(item.length);
        return check;
    }
    if (item.type == QLatin1String("list")) {
        QStringList entries;
        for (const CPOption &option : item.options)
            entries << option.values[0];
        if (!entries.contains(check.value)) {
            check.reason = QStringLiteral("not an entry of the list (%1)").arg(entries.join(QStringLiteral(", ")));
            return check;
        }
    }
    if (item.hasPrototype) {
        try {
            if (!matchesPrototype(check.value, item.prototype))
                check.reason = QStringLiteral("Does not match prototype: ") + item.prototype;
        } catch (const std::exception &) {
            check.reason = QStringLiteral("the prototype %1 is not a valid pattern").arg(item.prototype);
        }
    }
    return check;
}

} // namespace tavik
