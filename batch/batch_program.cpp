#include "batch/batch_program.h"

#include "batch/batch_configuration.h"
#include "batch/batch_export.h"
#include "batch/batch_import.h"
#include "batch/batch_number.h"
#include "batch/batch_undo.h"
#include "batch/csv.h"
#include "batch/document_walk.h"
#include "batch/progress.h"
#include "batch/stream_prompts.h"
#include "platform/runtime_error.h"
#include "platform/settings_store.h"
#include "serial/remote_counter_store.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

namespace tavik {

namespace {

QString seconds(const Progress &progress)
{
    return QString::number(progress.seconds(), 'f', 2) + QStringLiteral(" s");
}

} // namespace

void BatchProgram::print(FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

int BatchProgram::fail(const QString &message)
{
    print(m_err, QStringLiteral("tavik-batch: ") + message + QLatin1Char('\n'));
    return Failed;
}

int BatchProgram::run()
{
    try {
        if (m_options.verb == QLatin1String("undo"))
            return runUndo();
        if (m_options.verb == QLatin1String("export"))
            return runExport();
        if (m_options.verb == QLatin1String("import"))
            return runImport();
        return runNumber();
    } catch (const RuntimeError &e) {
        // A settings store that cannot be opened or written.
        return fail(e.description);
    }
}

int BatchProgram::runExport()
{
    QString error;
    const std::optional<BatchConfiguration> config
        = loadBatchConfiguration(configurationFolder(m_options.addinFolder), error);
    if (!config)
        return fail(error);
    ExportRequest request{m_options.arguments, m_options.format.value_or(SheetFormat::Csv), m_options.all};
    const Progress clock(m_err, -1); // only its clock: it is never stepped
    const ExportOutcome outcome = exportDocuments(*config, request, m_out, m_err);
    for (const QString &p : outcome.problems)
        print(m_err, QStringLiteral("tavik-batch: ") + p + QLatin1Char('\n'));
    print(m_err,
        QStringLiteral("export: %1 documents, %2 rows, %3 not read, %4\n")
            .arg(outcome.documents)
            .arg(outcome.rows)
            .arg(outcome.problems.size())
            .arg(seconds(clock)));
    return outcome.problems.isEmpty() ? Done : Failed;
}

int BatchProgram::runImport()
{
    QString error;
    const std::optional<BatchConfiguration> config
        = loadBatchConfiguration(configurationFolder(m_options.addinFolder), error);
    if (!config)
        return fail(error);
    const QString sheetPath = m_options.arguments.front();
    QFile file(sheetPath);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("%1: the sheet cannot be read (%2)").arg(sheetPath, file.errorString()));
    const QByteArray text = file.readAll();
    const Sheet sheet = readSheet(text, m_options.format.value_or(sheetFormatOf(text)));
    if (!sheet.error.isEmpty())
        return fail(QStringLiteral("%1: %2").arg(sheetPath, sheet.error));

    Progress checking(m_err, Progress::isTerminal(m_err) ? qint64(sheet.rows.size()) : -1);
    ImportPlan plan = planImport(*config, sheet, checking);
    checking.finish();
    if (!plan.issues.empty()) {
        // Every refused cell, and every cell not taken, as a sheet of its own.
        QByteArray listing;
        appendCsvRecord(listing,
            {PathColumn, ConfigurationColumn, QStringLiteral("property"), QStringLiteral("value"),
                QStringLiteral("reason")});
        for (const SheetIssue &i : plan.issues)
            appendCsvRecord(listing, {i.path, i.configuration, i.property, i.value, i.reason});
        std::fwrite(listing.constData(), 1, size_t(listing.size()), m_err);
    }
    if (plan.refusals() > 0) {
        print(m_err,
            QStringLiteral("import: the sheet is refused: %1 invalid cells; nothing was written\n")
                .arg(plan.refusals()));
        return Failed;
    }

    ImportRecord record;
    record.sheet = QFileInfo(sheetPath).absoluteFilePath();
    record.time = QDateTime::currentDateTimeUtc().toString(Qt::ISODate);
    record.documents = std::move(plan.documents);
    if (m_options.dryRun) {
        QByteArray listing;
        appendCsvRecord(listing,
            {PathColumn, ConfigurationColumn, QStringLiteral("property"), QStringLiteral("old"),
                QStringLiteral("new")});
        for (const DocumentChanges &d : record.documents)
            for (const PropertyChange &c : d.changes)
                appendCsvRecord(listing, {d.path, c.level, c.property, c.oldValue.value_or(QString()), c.newValue});
        std::fwrite(listing.constData(), 1, size_t(listing.size()), m_out);
        print(m_err,
            QStringLiteral("import (dry run): %1 documents read, %2 changes in %3 documents, nothing written, %4\n")
                .arg(plan.documentsRead)
                .arg(record.changeCount())
                .arg(record.documents.size())
                .arg(seconds(checking)));
        return Done;
    }
    if (record.documents.empty()) {
        print(m_err,
            QStringLiteral("import: %1 documents read, no change, nothing written, %2\n")
                .arg(plan.documentsRead)
                .arg(seconds(checking)));
        return Done;
    }

    SettingsStore settings(m_options.settingsFile.isEmpty() ? SettingsStore::defaultPath() : m_options.settingsFile);
    ImportJournal journal(settings);
    Progress writing(m_err, Progress::isTerminal(m_err) ? qint64(record.documents.size()) : -1);
    const ApplyOutcome outcome = applyImport(record, journal, writing);
    writing.finish();
    for (const QString &p : outcome.problems)
        print(m_err, QStringLiteral("tavik-batch: ") + p + QLatin1Char('\n'));
    print(m_out, record.id + QLatin1Char('\n'));
    print(m_err,
        QStringLiteral("import %1: %2 changes, %3 documents saved, %4 not saved, %5\n")
            .arg(record.id)
            .arg(record.changeCount())
            .arg(outcome.saved)
            .arg(outcome.problems.size())
            .arg(seconds(checking)));
    return outcome.problems.isEmpty() ? Done : Failed;
}

int BatchProgram::runUndo()
{
    SettingsStore settings(m_options.settingsFile.isEmpty() ? SettingsStore::defaultPath() : m_options.settingsFile);
    ImportJournal journal(settings);
    if (m_options.list) {
        for (const QString &line : listImports(journal))
            print(m_out, line + QLatin1Char('\n'));
        return Done;
    }
    Progress progress(m_err, -1);
    const UndoOutcome outcome = undoImport(journal, m_options.arguments.value(0), m_options.force, progress);
    progress.finish();
    if (!outcome.found)
        return fail(outcome.message);
    for (const QString &path : outcome.skipped)
        print(m_err,
            QStringLiteral(
                "tavik-batch: %1: changed since the import, skipped (--force puts the old values back anyway)\n")
                .arg(path));
    for (const QString &p : outcome.problems)
        print(m_err, QStringLiteral("tavik-batch: ") + p + QLatin1Char('\n'));
    print(m_err,
        QStringLiteral("undo %1: %2 documents restored, %3 skipped, %4 not saved\n")
            .arg(outcome.id)
            .arg(outcome.restored)
            .arg(outcome.skipped.size())
            .arg(outcome.problems.size()));
    return outcome.skipped.isEmpty() && outcome.problems.isEmpty() ? Done : Failed;
}

int BatchProgram::runNumber()
{
    QString error;
    const std::optional<BatchConfiguration> config
        = loadBatchConfiguration(configurationFolder(m_options.addinFolder), error);
    if (!config)
        return fail(error);
    const CPItem *item = config->item(m_options.item);
    if (!item || !item->isSerialNumber()) {
        print(m_err,
            QStringLiteral("tavik-batch: %1 is not a serial-number item of the configuration\n").arg(m_options.item));
        return BadArguments;
    }
    SettingsStore settings(m_options.settingsFile.isEmpty() ? SettingsStore::defaultPath() : m_options.settingsFile);
    QString documentTitle;
    std::unique_ptr<CounterStore> counters;
    if (config->state->remoteOperation)
        counters = std::make_unique<RemoteCounterStore>(
            RemoteCounterStore::Server{config->state->serverName, config->state->serverPort},
            [&documentTitle] { return documentTitle; });
    else
        counters = std::make_unique<LocalCounterStore>(settings);
    StreamPrompts prompts(m_err);
    DocumentWalk walk(m_options.arguments);
    Progress progress(m_err, Progress::isTerminal(m_err) ? walk.count() : -1);
    const NumberRequest request{m_options.item, m_options.arguments, m_options.create};
    const NumberOutcome outcome
        = numberDocuments(*config, *item, request, *counters, settings, prompts, progress, documentTitle);
    progress.finish();
    for (const QString &p : outcome.problems)
        print(m_err, QStringLiteral("tavik-batch: ") + p + QLatin1Char('\n'));
    print(m_err,
        QStringLiteral("number %1: %2 documents, %3 numbered, %4 had a number, %5 failed, %6\n")
            .arg(m_options.item)
            .arg(outcome.documents)
            .arg(outcome.numbered)
            .arg(outcome.alreadyNumbered)
            .arg(outcome.problems.size())
            .arg(seconds(progress)));
    return outcome.problems.isEmpty() ? Done : Failed;
}

} // namespace tavik
