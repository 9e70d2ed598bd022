#include "batch/csv.h"

namespace tavik {

namespace {

bool needsQuotes(const QString &field)
{
    if (field.isEmpty())
        return false;
    if (field.front().isSpace() || field.back().isSpace())
        return true;
    for (const QChar c : field)
        if (c == u',' || c == u'"' || c == u'\n' || c == u'\r')
            return true;
    return false;
}

} // namespace

void appendCsvField(QString &record, const QString &field)
{
    if (!needsQuotes(field)) {
        record += field;
        return;
    }
    record += u'"';
    for (const QChar c : field) {
        if (c == u'"')
            record += u'"';
        record += c;
    }
    record += u'"';
}

void appendCsvRecord(QByteArray &out, const QStringList &fields)
{
    QString record;
    for (qsizetype k = 0; k < fields.size(); ++k) {
        if (k > 0)
            record += u',';
        appendCsvField(record, fields[k]);
    }
    record += QLatin1String("\r\n");
    out += record.toUtf8();
}

CsvReader::CsvReader(const QByteArray &text)
    : m_text(text)
{
    if (m_text.startsWith("\xEF\xBB\xBF"))
        m_pos = 3;
}

std::optional<QStringList> CsvReader::next()
{
    if (!error.isEmpty() || m_pos >= m_text.size())
        return std::nullopt;
    m_recordLine = m_line;
    QStringList fields;
    QByteArray field;
    const qsizetype n = m_text.size();
    for (;;) {
        if (m_pos < n && m_text[m_pos] == '"') {
            // A quoted field: up to the quote that is not doubled.
            ++m_pos;
            for (;;) {
                if (m_pos >= n) {
                    error = QStringLiteral("line %1: a quoted field is not closed").arg(m_recordLine);
                    return std::nullopt;
                }
                const char c = m_text[m_pos++];
                if (c == '"') {
                    if (m_pos < n && m_text[m_pos] == '"') {
                        field += '"';
                        ++m_pos;
                        continue;
                    }
                    break;
                }
                if (c == '\n')
                    ++m_line;
                field += c;
            }
            if (m_pos < n && m_text[m_pos] != ',' && m_text[m_pos] != '\r' && m_text[m_pos] != '\n') {
                error = QStringLiteral("line %1: text after a closing quote").arg(m_line);
                return std::nullopt;
            }
        } else {
            while (m_pos < n && m_text[m_pos] != ',' && m_text[m_pos] != '\r' && m_text[m_pos] != '\n') {
                if (m_text[m_pos] == '"') {
                    error = QStringLiteral("line %1: a quote inside a field that does not start with one").arg(m_line);
                    return std::nullopt;
                }
                field += m_text[m_pos++];
            }
        }
        fields << QString::fromUtf8(field);
        field.clear();
        if (m_pos < n && m_text[m_pos] == ',') {
            ++m_pos;
            continue;
        }
        if (m_pos < n && m_text[m_pos] == '\r')
            ++m_pos;
        if (m_pos < n && m_text[m_pos] == '\n')
            ++m_pos;
        ++m_line;
        return fields;
    }
}

} // namespace tavik
