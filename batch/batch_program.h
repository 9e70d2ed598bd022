#pragma once
// tavik-batch as a whole: each verb run from its parsed options, its output on standard output,
// its messages, progress and summary on standard error, and its exit status.

#include "batch/sheet_format.h"

#include <QString>
#include <QStringList>
#include <cstdio>
#include <optional>

namespace tavik {

struct BatchOptions {
    QString verb; // export, import, undo, number
    QString addinFolder; // empty: the add-in's own folder
    QString settingsFile; // empty: the user's settings store
    std::optional<SheetFormat> format; // export: CSV when not given; import: from the sheet
    bool all = false;
    bool dryRun = false;
    bool list = false;
    bool force = false;
    bool create = false;
    QString item;
    QStringList arguments; // paths, the sheet, or the import ID
};

class BatchProgram {
public:
    // The exit statuses, as tavik-host's: done, failed, bad arguments.
    static constexpr int Done = 0;
    static constexpr int Failed = 1;
    static constexpr int BadArguments = 2;

    BatchProgram(BatchOptions options, FILE *out = stdout, FILE *err = stderr)
        : m_options(std::move(options))
        , m_out(out)
        , m_err(err)
    {
    }
    int run();

private:
    int runExport();
    int runImport();
    int runUndo();
    int runNumber();
    int fail(const QString &message);
    void print(FILE *stream, const QString &text);

    BatchOptions m_options;
    FILE *m_out;
    FILE *m_err;
};

} // namespace tavik
