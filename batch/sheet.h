#pragma once
// A sheet read back for import: the columns it holds and its rows, each naming a document level
// by path and configuration and carrying the cells it has.

#include "batch/sheet_format.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <utility>
#include <vector>

namespace tavik {

struct SheetRow {
    int line = 0; // CSV: the line it starts on; JSON: the row, from 1
    QString path;
    QString configuration;
    QList<std::pair<QString, QString>> cells; // property and cell, in column order
};

struct Sheet {
    std::vector<SheetRow> rows;
    QString error; // empty when the sheet could be read
};

// JSON when the first non-blank character opens an array, else CSV.
SheetFormat sheetFormatOf(const QByteArray &text);

// A CSV sheet needs a header naming "path" (and usually "configuration"), and as many fields in
// every record; a JSON sheet is an array of objects whose members are texts. A missing
// configuration column or member stands for the document level.
Sheet readSheet(const QByteArray &text, SheetFormat format);

} // namespace tavik
