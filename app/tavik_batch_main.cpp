// tavik-batch: properties of many documents at once from the command line. Parses the verb and its
// options and hands over to BatchProgram.

#include "batch/batch_program.h"

#include "tavik_build.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>

namespace {

const char usageText[] =
    "usage: tavik-batch export [--addin DIR] [--format csv|json] [--all] PATH...\n"
    "       tavik-batch import [--addin DIR] [--settings FILE] [--dry-run] SHEET\n"
    "       tavik-batch undo [--settings FILE] [--list | [--force] [ID]]\n"
    "       tavik-batch number [--addin DIR] [--settings FILE] [--create] --item CPTAG PATH...\n"
    "       tavik-batch --help | --version\n"
    "  export     one row per document level (path, configuration, one column per configured\n"
    "             property) on standard output; PATH is a document or a folder walked recursively\n"
    "  import     sets the values a sheet of the same form changes; refuses the whole sheet when a\n"
    "             cell is invalid; --dry-run lists the changes and writes nothing\n"
    "  undo       puts back the old values of the last import, or of import ID; --list lists them;\n"
    "             --force also restores documents changed since the import\n"
    "  number     draws serial numbers of item CPTAG for the documents whose field is empty;\n"
    "             --create starts a counter that does not exist yet\n"
    "  --addin DIR       folder holding Tavik.xml and Tavik.xsd (default: the folder the editor\n"
    "                    reads: $TAVIK_CONFIG_DIR, tavik/ under the XDG folders, the add-in's)\n"
    "  --settings FILE   the settings store (default: the user's)\n"
    "  --format csv|json the sheet's form (default: CSV for export, read from the sheet for import)\n"
    "  --all             export also every other property the documents hold\n"
    "Exit status: 0 done, 1 failed (a refused sheet, a document not read or saved), 2 bad arguments.\n";

int usage(const QString &reason)
{
    std::fprintf(stderr, "tavik-batch: %s\n%s", reason.toUtf8().constData(), usageText);
    return tavik::BatchProgram::BadArguments;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help."));
    const QCommandLineOption version(QStringLiteral("version"), QStringLiteral("Show the version."));
    const QCommandLineOption addin(QStringLiteral("addin"), QStringLiteral("Configuration folder."), QStringLiteral("DIR"));
    const QCommandLineOption settings(QStringLiteral("settings"), QStringLiteral("Settings store."), QStringLiteral("FILE"));
    const QCommandLineOption format(QStringLiteral("format"), QStringLiteral("csv or json."), QStringLiteral("FORMAT"));
    const QCommandLineOption all(QStringLiteral("all"), QStringLiteral("Every property."));
    const QCommandLineOption dryRun(QStringLiteral("dry-run"), QStringLiteral("Write nothing."));
    const QCommandLineOption list(QStringLiteral("list"), QStringLiteral("List the imports."));
    const QCommandLineOption force(QStringLiteral("force"), QStringLiteral("Undo changed documents too."));
    const QCommandLineOption item(QStringLiteral("item"), QStringLiteral("Serial-number item."), QStringLiteral("CPTAG"));
    const QCommandLineOption create(QStringLiteral("create"), QStringLiteral("Start missing counters."));
    parser.addOptions({help, version, addin, settings, format, all, dryRun, list, force, item, create});
    parser.addPositionalArgument(QStringLiteral("VERB"), QStringLiteral("export, import, undo or number"));

    if (!parser.parse(app.arguments()))
        return usage(parser.errorText());
    if (parser.isSet(help)) {
        std::fputs(usageText, stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::fputs("tavik-batch " TAVIK_VERSION "\n", stdout);
        return 0;
    }
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
