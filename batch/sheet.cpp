#include "batch/sheet.h"

#include "batch/csv.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace tavik {

SheetFormat sheetFormatOf(const QByteArray &text)
{
    for (const char c : text) {
        if (c == '[')
            return SheetFormat::Json;
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n')
            break;
    }
    return SheetFormat::Csv;
}

namespace {

Sheet readCsv(const QByteArray &text)
{
    Sheet sheet;
    CsvReader reader(text);
    const std::optional<QStringList> header = reader.next();
    if (!header) {
        sheet.error = reader.error.isEmpty() ? QStringLiteral("the sheet is empty") : reader.error;
        return sheet;
    }
    const qsizetype pathAt = header->indexOf(PathColumn);
    const qsizetype configurationAt = header->indexOf(ConfigurationColumn);
    if (pathAt < 0) {
        sheet.error = QStringLiteral("line 1: the header has no \"path\" column");
        return sheet;
    }
    for (qsizetype k = 0; k < header->size(); ++k)
        if (header->indexOf(header->at(k)) != k) {
            sheet.error = QStringLiteral("line 1: column \"%1\" is given twice").arg(header->at(k));
            return sheet;
        }
    while (const std::optional<QStringList> fields = reader.next()) {
        // A last line break followed by nothing, or a blank line, is no record.
        if (fields->size() == 1 && fields->front().isEmpty())
            continue;
        if (fields->size() != header->size()) {
            sheet.error = QStringLiteral("line %1: %2 fields where the header has %3")
                              .arg(reader.line())
                              .arg(fields->size())
                              .arg(header->size());
            return sheet;
        }
        SheetRow row;
        row.line = reader.line();
        row.path = fields->at(pathAt);
        if (configurationAt >= 0)
            row.configuration = fields->at(configurationAt);
        for (qsizetype k = 0; k < header->size(); ++k)
            if (k != pathAt && k != configurationAt)
                row.cells.append({header->at(k), fields->at(k)});
        sheet.rows.push_back(std::move(row));
    }
    sheet.error = reader.error;
    return sheet;
}

Sheet readJson(const QByteArray &text)
{
    Sheet sheet;
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(text, &error);
    if (error.error != QJsonParseError::NoError) {
        sheet.error = QStringLiteral("not valid JSON (%1 at offset %2)").arg(error.errorString()).arg(error.offset);
        return sheet;
    }
    if (!doc.isArray()) {
        sheet.error = QStringLiteral("the sheet is not a JSON array of rows");
        return sheet;
    }
    int number = 0;
    for (const QJsonValue &v : doc.array()) {
        ++number;
        const QJsonObject o = v.toObject();
        if (!v.isObject() || !o.value(PathColumn).isString()) {
            sheet.error = QStringLiteral("row %1: not an object with a \"path\" text").arg(number);
            return sheet;
        }
        SheetRow row;
        row.line = number;
        for (auto it = o.begin(); it != o.end(); ++it) {
            if (!it.value().isString()) {
                sheet.error = QStringLiteral("row %1: member \"%2\" is not a text").arg(number).arg(it.key());
                return sheet;
            }
            if (it.key() == PathColumn)
                row.path = it.value().toString();
            else if (it.key() == ConfigurationColumn)
                row.configuration = it.value().toString();
            else
                row.cells.append({it.key(), it.value().toString()});
        }
        sheet.rows.push_back(std::move(row));
    }
    return sheet;
}

} // namespace

Sheet readSheet(const QByteArray &text, SheetFormat format)
{
    return format == SheetFormat::Json ? readJson(text) : readCsv(text);
}

} // namespace tavik
