#pragma once
// Comma-separated values as RFC 4180 writes them: UTF-8, records ended by CR LF, a field quoted
// when it holds a comma, a double quote, a line break or leading or trailing blanks, quotes inside
// doubled, line breaks inside a field kept.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace tavik {

// Appends one field to a record being built, quoted when it needs to be (no separator).
void appendCsvField(QString &record, const QString &field);

// Appends one record (its fields and the CR LF that ends it) to out.
void appendCsvRecord(QByteArray &out, const QStringList &fields);

// Reads records one at a time from a whole sheet. A sheet may open with a UTF-8 byte-order mark,
// and its lines may end in LF alone.
class CsvReader {
public:
    explicit CsvReader(const QByteArray &text);
    // The next record, or nothing at the end. A malformed record (a quote inside an unquoted
    // field, text after a closing quote, a quoted field left open) sets error and ends the reading.
    std::optional<QStringList> next();
    // The line on which the record last returned began, from 1.
    int line() const { return m_recordLine; }
    QString error;

private:
    QByteArray m_text;
    qsizetype m_pos = 0;
    int m_line = 1;
    int m_recordLine = 0;
};

} // namespace tavik
