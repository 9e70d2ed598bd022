#pragma once
// The two forms of a sheet: CSV (a header record, then one record per document level) and JSON (an
// array of objects, one per document level, whose members are the columns). Both carry the
// columns "path" and "configuration" before the properties.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace tavik {

enum class SheetFormat { Csv, Json };

inline const QString PathColumn = QStringLiteral("path");
inline const QString ConfigurationColumn = QStringLiteral("configuration");

// A JSON string literal for text, quotes included.
void appendJsonString(QByteArray &out, const QString &text);

// One row of a JSON sheet: an object with the members in the order given.
void appendJsonRow(QByteArray &out, const QStringList &names, const QStringList &values);

} // namespace tavik
