// tavik-batch: properties of many documents at once from the command line. Parses the verb and its
// options and hands over to BatchProgram.

#include "batch/batch_program.h"

#include "platform/program_arguments.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>

namespace {

const char description[]
    = "Properties of many documents at once.\n"
      "  tavik-batch export [--addin DIR] [--format csv|json] [--all] PATH...\n"
      "  tavik-batch import [--addin DIR] [--settings FILE] [--dry-run] SHEET\n"
      "  tavik-batch undo [--settings FILE] [--list | [--force] [ID]]\n"
      "  tavik-batch number [--addin DIR] [--settings FILE] [--create] --item CPTAG PATH...\n"
      "export: one row per document level (path, configuration, one column per configured property)\n"
      "on standard output; PATH is a document or a folder walked recursively.\n"
      "import: sets the values a sheet of the same form changes; refuses the whole sheet when a cell\n"
      "is invalid.\n"
      "undo: puts back the old values of the last import, or of import ID.\n"
      "number: draws serial numbers of item CPTAG for the documents whose field is empty.\n"
      "Exit status: 0 done, 1 failed (a refused sheet, a document not read or saved), 2 bad arguments.";

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    tavik::describeProgram(parser, "tavik-batch", description);
    const QCommandLineOption addin(QStringLiteral("addin"),
        QStringLiteral("Folder holding Tavik.xml and Tavik.xsd (default: the folder the editor reads: "
                       "$TAVIK_CONFIG_DIR, tavik/ under the XDG folders, the add-in's)."),
        QStringLiteral("DIR"));
    const QCommandLineOption settings(QStringLiteral("settings"),
        QStringLiteral("The settings store (default: the user's)."), QStringLiteral("FILE"));
    const QCommandLineOption format(QStringLiteral("format"),
        QStringLiteral("csv or json: the sheet's form (default: CSV for export, read from the sheet for import)."),
        QStringLiteral("FORMAT"));
    const QCommandLineOption all(
        QStringLiteral("all"), QStringLiteral("Export also every other property the documents hold."));
    const QCommandLineOption dryRun(
        QStringLiteral("dry-run"), QStringLiteral("Import: list the changes and write nothing."));
    const QCommandLineOption list(QStringLiteral("list"), QStringLiteral("Undo: list the imports."));
    const QCommandLineOption force(
        QStringLiteral("force"), QStringLiteral("Undo: also restore documents changed since the import."));
    const QCommandLineOption item(
        QStringLiteral("item"), QStringLiteral("Number: the serial-number item."), QStringLiteral("CPTAG"));
    const QCommandLineOption create(
        QStringLiteral("create"), QStringLiteral("Number: start a counter that does not exist yet."));
    parser.addOptions({addin, settings, format, all, dryRun, list, force, item, create});
    parser.addPositionalArgument(QStringLiteral("VERB"),
        QStringLiteral("export, import, undo or number, then its arguments."), QStringLiteral("VERB [ARGUMENT...]"));
    const auto usage = [&parser](const QString &reason) {
        return tavik::refuseArguments(parser, reason, tavik::BatchProgram::BadArguments);
    };

    if (!tavik::parseProgramArguments(parser, app.arguments()))
        return usage(parser.errorText());
    QStringList args = parser.positionalArguments();
    if (args.isEmpty())
        return usage(QStringLiteral("no verb given"));
    tavik::BatchOptions options;
    options.verb = args.takeFirst();
    options.arguments = args;
    options.addinFolder = parser.value(addin);
    options.settingsFile = parser.value(settings);
    options.all = parser.isSet(all);
    options.dryRun = parser.isSet(dryRun);
    options.list = parser.isSet(list);
    options.force = parser.isSet(force);
    options.create = parser.isSet(create);
    options.item = parser.value(item);
    if (parser.isSet(format)) {
        if (parser.value(format) == QLatin1String("csv"))
            options.format = tavik::SheetFormat::Csv;
        else if (parser.value(format) == QLatin1String("json"))
            options.format = tavik::SheetFormat::Json;
        else
            return usage(QStringLiteral("--format takes csv or json"));
    }
    for (const QString &arg : args)
        if (arg.startsWith(QLatin1Char('-')))
            return usage(QStringLiteral("unknown option %1").arg(arg));

    // Which options and how many arguments each verb takes.
    const QString &verb = options.verb;
    const auto only = [&](std::initializer_list<const QCommandLineOption *> allowed) -> QString {
        for (const QCommandLineOption *o : {&addin, &settings, &format, &all, &dryRun, &list, &force, &item, &create})
            if (parser.isSet(*o) && std::find(allowed.begin(), allowed.end(), o) == allowed.end())
                return QStringLiteral("%1 does not take --%2").arg(verb, o->names().front());
        return {};
    };
    QString wrong;
    if (verb == QLatin1String("export")) {
        wrong = only({&addin, &format, &all});
        if (wrong.isEmpty() && args.isEmpty())
            wrong = QStringLiteral("export needs a document or folder");
    } else if (verb == QLatin1String("import")) {
        wrong = only({&addin, &settings, &format, &dryRun});
        if (wrong.isEmpty() && args.size() != 1)
            wrong = QStringLiteral("import needs one sheet");
    } else if (verb == QLatin1String("undo")) {
        wrong = only({&settings, &list, &force});
        if (wrong.isEmpty() && (args.size() > 1 || (options.list && (!args.isEmpty() || options.force))))
            wrong = QStringLiteral("undo takes --list, or an import ID and --force");
    } else if (verb == QLatin1String("number")) {
        wrong = only({&addin, &settings, &item, &create});
        if (wrong.isEmpty() && options.item.isEmpty())
            wrong = QStringLiteral("number needs --item CPTAG");
        else if (wrong.isEmpty() && args.isEmpty())
            wrong = QStringLiteral("number needs a document or folder");
    } else {
        wrong = QStringLiteral("unknown verb %1").arg(verb);
    }
    if (!wrong.isEmpty())
        return usage(wrong);
    return tavik::BatchProgram(options).run();
}
