#include "editor/control_tag.h"

#include <QObject>
#include <QVariant>

namespace tavik {

QString tagNumber(int n)
{
    if (n < 0)
        return QLatin1Char('-') + tagNumber(-n);
    return QStringLiteral("%1").arg(n, 3, 10, QLatin1Char('0'));
}

QString controlTag(int f, int g, int i, int c)
{
    return tagNumber(f) + QLatin1Char(':') + tagNumber(g) + QLatin1Char(':') + tagNumber(i) + QLatin1Char(':')
        + tagNumber(c);
}

QString pageTag(int f, int g, int c)
{
    return tagNumber(f) + QLatin1Char(':') + tagNumber(g) + QStringLiteral(":---:") + tagNumber(c);
}

void setTag(QObject *control, const QString &tag)
{
    control->setProperty("tag", tag);
}

QString tagOf(const QObject *control)
{
    return control->property("tag").toString();
}

} // namespace tavik
