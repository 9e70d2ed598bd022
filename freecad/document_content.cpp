#include "freecad/document_content.h"

#include <QHash>
#include <QSet>

namespace tavik {

QStringList partShapeEntries(const QList<FreeCadObject> &objects)
{
    QHash<QString, const FreeCadObject *> byName;
    for (const FreeCadObject &o : objects)
        byName.insert(o.name, &o);
    // A body and its features use each other: the body holds them in its saved Group, each
    // feature links back to the body only while the document is open. Such a back link is no
    // use of the body, or nothing in the ring would count; every saved link is one.
    const auto consumes = [&](const FreeCadObject &user, const QString &name) {
        if (user.savedLinks.contains(name))
            return true;
        const FreeCadObject *other = byName.value(name);
        return !(other && other->dependencies.contains(user.name));
    };
    QSet<QString> used;
    for (const FreeCadObject &o : objects)
        if (!o.shapeEntry.isEmpty())
            for (const QString &d : o.dependencies)
                if (consumes(o, d))
                    used.insert(d);
    QStringList entries;
    for (const FreeCadObject &o : objects)
        if (o.visible && !o.shapeEntry.isEmpty() && !used.contains(o.name) && !entries.contains(o.shapeEntry))
            entries.append(o.shapeEntry);
    return entries;
}

bool isAssembly(const QList<FreeCadObject> &objects)
{
    for (const FreeCadObject &o : objects)
        if (o.linksOtherFile || o.type.contains(QLatin1String("Assembly")))
            return true;
    return false;
}

} // namespace tavik
