#include "freecad/document_content.h"

#include <QSet>

namespace tavik {

QStringList partShapeEntries(const QList<FreeCadObject> &objects)
{
    QSet<QString> used;
    for (const FreeCadObject &o : objects)
        if (!o.shapeEntry.isEmpty())
            for (const QString &d : o.dependencies)
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
