#include "batch/sheet_format.h"

namespace tavik {

void appendJsonString(QByteArray &out, const QString &text)
{
    static const char hex[] = "0123456789abcdef";
    QString escaped;
    escaped.reserve(text.size() + 2);
    escaped += u'"';
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c == u'"' || c == u'\\') {
            escaped += u'\\';
            escaped += ch;
        } else if (c == u'\n') {
            escaped += QLatin1String("\\n");
        } else if (c == u'\r') {
            escaped += QLatin1String("\\r");
        } else if (c < 0x20 || c == 0xFEFF) {
            // Control characters, and U+FEFF, which some readers drop at the start of a text.
            escaped += QLatin1String("\\u");
            for (int shift = 12; shift >= 0; shift -= 4)
                escaped += QLatin1Char(hex[(c >> shift) & 0xF]);
        } else {
            escaped += ch;
        }
    }
    escaped += u'"';
    out += escaped.toUtf8();
}

void appendJsonRow(QByteArray &out, const QStringList &names, const QStringList &values)
{
    out += '{';
    for (qsizetype k = 0; k < names.size(); ++k) {
        if (k > 0)
            out += ", ";
        appendJsonString(out, names[k]);
        out += ": ";
        appendJsonString(out, values[k]);
    }
    out += '}';
}

} // namespace tavik
