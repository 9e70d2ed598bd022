// tavik-check [--doc FILE] [--json] [--strict] [DIR]: loads DIR/Tavik.xml against DIR/Tavik.xsd as
// the editor does, and prints OK (and the model) or the editor's message; warns of mistakes that
// load but do the wrong thing. Without DIR it checks the folder the editor would read.

#include "check/configuration_check.h"
#include "config/configuration_folder.h"

#include "platform/program_arguments.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>

#include <cstdio>

namespace {

const char description[]
    = "Loads DIR/Tavik.xml against DIR/Tavik.xsd as the editor does, and prints OK (and the model)\n"
      "or the editor's message; warns of mistakes that load but do the wrong thing.\n"
      "Warnings go to standard error as FILE:LINE: warning: TEXT.\n"
      "Exit status: 0 the configuration loads, 1 it does not (the editor's message is printed)\n"
      "or it warns under --strict, 2 bad arguments or a document that cannot be opened.";

void print(FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    tavik::describeProgram(parser, "tavik-check", description);
    const QCommandLineOption doc(QStringLiteral("doc"),
        QStringLiteral("The document whose system values are read and whose configurations count against "
                       "the editor's limits (default: a new part)."),
        QStringLiteral("FILE"));
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print the model as JSON after OK."));
    const QCommandLineOption strict(QStringLiteral("strict"), QStringLiteral("Fail when there is any warning."));
    parser.addOptions({doc, json, strict});
    parser.addPositionalArgument(QStringLiteral("DIR"),
        QStringLiteral("Folder holding Tavik.xml and Tavik.xsd (default: the folder the editor reads: "
                       "$TAVIK_CONFIG_DIR, else tavik/ under $XDG_CONFIG_HOME and $XDG_CONFIG_DIRS, "
                       "else the add-in's folder)."),
        QStringLiteral("[DIR]"));
    const auto usage = [&parser](const QString &reason) { return tavik::refuseArguments(parser, reason, 2); };
    if (!tavik::parseProgramArguments(parser, app.arguments()))
        return usage(parser.errorText());
    const QStringList folders = parser.positionalArguments();
    if (folders.size() > 1)
        return usage(QStringLiteral("more than one folder"));

    tavik::ConfigurationCheck check;
    check.json = parser.isSet(json);
    check.strict = parser.isSet(strict);
    check.documentPath = parser.value(doc);
    const bool haveFolder = !folders.isEmpty();
    if (haveFolder)
        check.folder = folders.front();
    if (!haveFolder) {
        // The add-in's folder in the build tree, else where the package installs it; then the
        // editor's own search for the configuration.
        const tavik::ConfigurationFolder found = tavik::findConfigurationFolder(tavik::programAddinFolder());
        check.folder = found.path;
        print(stderr,
            QStringLiteral("tavik-check: checking %1 (%2)\n").arg(QDir(found.path).absolutePath(), found.source));
    }

    const tavik::ConfigurationCheckResult result = check.run();
    print(stdout, result.output);
    print(stderr, result.errors);
    return result.exitCode;
}
