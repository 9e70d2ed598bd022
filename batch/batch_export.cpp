#include "batch/batch_export.h"

#include "batch/batch_document.h"
#include "batch/csv.h"
#include "batch/document_walk.h"
#include "batch/progress.h"
#include "host/document_file_error.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <future>
#include <vector>

namespace tavik {

namespace {

// Documents handed to the readers at a time: large enough to keep both threads busy, small enough
// that memory does not grow with the number of documents.
constexpr size_t ChunkSize = 256;

struct DocumentRows {
    QByteArray text;
    qint64 rows = 0;
    QString problem;
};

class Exporter {
public:
    Exporter(const ExportRequest &request, QStringList columns)
        : m_request(request)
        , m_columns(std::move(columns))
    {
        m_names = QStringList{PathColumn, ConfigurationColumn} + m_columns;
        for (qsizetype k = 0; k < m_columns.size(); ++k)
            m_columnIndex.insert(m_columns[k], k);
    }

    QByteArray header() const
    {
        QByteArray out;
        if (m_request.format == SheetFormat::Csv)
            appendCsvRecord(out, m_names);
        else
            out = "[";
        return out;
    }

    DocumentRows rowsOf(const QString &path) const
    {
        DocumentRows result;
        try {
            const std::unique_ptr<BatchDocument> doc = openBatchDocument(path, DocumentAccess::ReadOnly);
            const QStringList levels = QStringList{QString()} + doc->configurations();
            std::vector<const QString *> cells(size_t(m_columns.size()));
            for (const QString &level : levels) {
                const PropertyList props = doc->properties(level);
                std::fill(cells.begin(), cells.end(), nullptr);
                for (const auto &[name, value] : props)
                    if (const auto it = m_columnIndex.constFind(name); it != m_columnIndex.cend())
                        cells[size_t(*it)] = &value;
                if (m_request.format == SheetFormat::Csv)
                    appendCsvRow(result.text, path, level, cells);
                else
                    appendJsonRow(result.text, path, level, cells, props);
                ++result.rows;
            }
        } catch (const DocumentFileError &e) {
            result.text.clear();
            result.rows = 0;
            result.problem = e.message;
        }
        return result;
    }

private:
    void appendCsvRow(
        QByteArray &out, const QString &path, const QString &level, const std::vector<const QString *> &cells) const
    {
        QString record;
        appendCsvField(record, path);
        record += u',';
        appendCsvField(record, level);
        for (const QString *cell : cells) {
            record += u',';
            if (cell)
                appendCsvField(record, *cell);
        }
        record += QLatin1String("\r\n");
        out += record.toUtf8();
    }

    // A JSON row names its own members: with --all, every other property of the level follows.
    void appendJsonRow(QByteArray &out, const QString &path, const QString &level,
        const std::vector<const QString *> &cells, const PropertyList &props) const
    {
        QStringList names = m_names;
        QStringList values{path, level};
        for (const QString *cell : cells)
            values << (cell ? *cell : QString());
        if (m_request.all)
            for (const auto &[n, v] : props)
                if (!m_columnIndex.contains(n)) {
                    names << n;
                    values << v;
                }
        out += "\n";
        tavik::appendJsonRow(out, names, values);
        out += ",";
    }

    const ExportRequest &m_request;
    QStringList m_columns;
    QStringList m_names;
    QHash<QString, qsizetype> m_columnIndex;
};

std::vector<DocumentRows> readChunk(const Exporter &exporter, const std::vector<QString> &paths)
{
    std::vector<DocumentRows> rows(paths.size());
    const size_t half = paths.size() / 2;
    auto second = std::async(std::launch::async, [&] {
        for (size_t k = half; k < paths.size(); ++k)
            rows[k] = exporter.rowsOf(paths[k]);
    });
    for (size_t k = 0; k < half; ++k)
        rows[k] = exporter.rowsOf(paths[k]);
    second.get();
    return rows;
}

// The properties the documents hold beyond the configured ones, in the order first met.
QStringList otherProperties(const QStringList &paths, const QStringList &configured)
{
    QSet<QString> known(configured.begin(), configured.end());
    QStringList others;
    DocumentWalk(paths).run([&](const QString &path) {
        try {
            const std::unique_ptr<BatchDocument> doc = openBatchDocument(path, DocumentAccess::ReadOnly);
            for (const QString &level : QStringList{QString()} + doc->configurations())
                for (const auto &[name, value] : doc->properties(level))
                    if (!known.contains(name)) {
                        known.insert(name);
                        others << name;
                    }
        } catch (const DocumentFileError &) {
            // Reported when its rows are read.
        }
    });
    return others;
}

} // namespace

ExportOutcome exportDocuments(const BatchConfiguration &config, const ExportRequest &request, FILE *out, FILE *err)
{
    ExportOutcome outcome;
    QStringList columns = config.tags;
    // A CSV header names every column before the first row: the other properties are found first.
    if (request.all && request.format == SheetFormat::Csv)
        columns += otherProperties(request.paths, config.tags);
    const Exporter exporter(request, columns);

    DocumentWalk walk(request.paths);
    Progress progress(err, Progress::isTerminal(err) ? walk.count() : -1);
    bool firstJsonRow = true;
    const auto write = [&](const QByteArray &bytes) { std::fwrite(bytes.constData(), 1, size_t(bytes.size()), out); };
    const auto writeRows = [&](std::vector<DocumentRows> rows) {
        for (DocumentRows &r : rows) {
            ++outcome.documents;
            progress.step();
            if (!r.problem.isEmpty()) {
                outcome.problems << r.problem;
                continue;
            }
            outcome.rows += r.rows;
            if (request.format == SheetFormat::Json && !r.text.isEmpty()) {
                // Each document's rows end in ","; the last comma of the sheet is dropped.
                if (!firstJsonRow)
                    write(",");
                firstJsonRow = false;
                r.text.chop(1);
            }
            write(r.text);
        }
    };

    write(exporter.header());
    std::future<std::vector<DocumentRows>> reading;
    std::vector<QString> chunk;
    const auto flush = [&] {
        // The chunk read before this one is written while this one is being read.
        auto next = std::async(
            std::launch::async, [&exporter, paths = std::move(chunk)] { return readChunk(exporter, paths); });
        chunk = {};
        if (reading.valid())
            writeRows(reading.get());
        reading = std::move(next);
    };
    walk.run([&](const QString &path) {
        chunk.push_back(path);
        if (chunk.size() >= ChunkSize)
            flush();
    });
    if (!chunk.empty())
        flush();
    if (reading.valid())
        writeRows(reading.get());
    if (request.format == SheetFormat::Json)
        write("\n]\n");
    if (std::fflush(out) != 0 || std::ferror(out))
        outcome.problems << QStringLiteral("the sheet could not be written to the output");
    progress.finish();
    outcome.problems = walk.problems + outcome.problems;
    return outcome;
}

} // namespace tavik
