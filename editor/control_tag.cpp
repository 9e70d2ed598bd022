#include "editor/control_tag.h"

#include <QObject>
#include <QVariant>
#include <optional>

namespace tavik {

namespace {

// Appends n with at least three digits, zeros in front: the tags are built for every control of
// the load, so they are written digit by digit instead of through a format string.
void appendNumber(QString &out, int n)
{
    long long value = n;
    if (value < 0) {
        out += QLatin1Char('-');
        value = -value;
    }
    char digits[24];
    int count = 0;
    do {
        digits[count++] = char('0' + value % 10);
        value /= 10;
    } while (value > 0);
    for (int pad = count; pad < 3; ++pad)
        out += QLatin1Char('0');
    while (count > 0)
        out += QLatin1Char(digits[--count]);
}

// "f:g:i:c", with "---" in the item's place when there is none (a page).
QString joinedTag(int f, int g, std::optional<int> i, int c)
{
    QString out;
    out.reserve(16);
    appendNumber(out, f);
    out += QLatin1Char(':');
    appendNumber(out, g);
    out += QLatin1Char(':');
    if (i)
        appendNumber(out, *i);
    else
        out += QLatin1String("---");
    out += QLatin1Char(':');
    appendNumber(out, c);
    return out;
}

} // namespace

QString tagNumber(int n)
{
    QString out;
    out.reserve(8);
    appendNumber(out, n);
    return out;
}

QString controlTag(int f, int g, int i, int c)
{
    return joinedTag(f, g, i, c);
}

QString pageTag(int f, int g, int c)
{
    return joinedTag(f, g, std::nullopt, c);
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
