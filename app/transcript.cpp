#include "app/transcript.h"

namespace tavik {

Transcript::Transcript(std::function<void(const QString &)> sink)
    : m_sink(std::move(sink))
{
}

QString Transcript::escape(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '\\':
            out += QLatin1String("\\\\");
            break;
        case '\r':
            out += QLatin1String("\\r");
            break;
        case '\n':
            out += QLatin1String("\\n");
            break;
        case '\t':
            out += QLatin1String("\\t");
            break;
        default:
            out += c;
        }
    }
    return out;
}

QString Transcript::line(const QStringList &fields)
{
    QStringList escaped;
    escaped.reserve(fields.size());
    for (const QString &f : fields)
        escaped << escape(f);
    return escaped.join(QLatin1Char('\t'));
}

void Transcript::status(const QString &text)
{
    write({QStringLiteral("STATUS"), text});
}

void Transcript::messageBox(const QString &title, const QString &text, const QString &answer)
{
    write({QStringLiteral("MSGBOX"), title, text, answer});
}

void Transcript::field(const QStringList &fields)
{
    write(QStringList{QStringLiteral("FIELD")} + fields);
}

void Transcript::property(const QString &configuration, const QString &name, const QString &value)
{
    // The document level is written as "" so that the column is never empty.
    write({QStringLiteral("PROP"), configuration.isEmpty() ? QStringLiteral("\"\"") : configuration, name, value});
}

void Transcript::write(const QStringList &fields)
{
    if (m_sink)
        m_sink(line(fields));
}

} // namespace tavik
