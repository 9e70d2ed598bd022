// tavik-check [--doc FILE] [--json] [--strict] [DIR]: loads DIR/Tavik.xml against DIR/Tavik.xsd as
// the editor does, and prints OK (and the model) or the editor's message; warns of mistakes that
// load but do the wrong thing. Without DIR it checks the folder the editor would read.

#include "config/configuration_folder.h"
#include "check/configuration_check.h"

#include "tavik_build.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>

namespace {

const char usageText[] =
    "usage: tavik-check [--doc FILE] [--json] [--strict] [DIR]\n"
    "       tavik-check --help | --version\n"
    "  DIR         folder holding Tavik.xml and Tavik.xsd (default: the folder the editor\n"
    "              reads: $TAVIK_CONFIG_DIR, else tavik/ under $XDG_CONFIG_HOME and\n"
    "              $XDG_CONFIG_DIRS, else the add-in's folder)\n"
    "  --doc FILE  the document whose system values are read and whose configurations\n"
    "              count against the editor's limits (default: a new part)\n"
    "  --json      print the model as JSON after OK\n"
    "  --strict    fail when there is any warning\n"
    "Warnings go to standard error as FILE:LINE: warning: TEXT.\n"
    "Exit status: 0 the configuration loads, 1 it does not (the editor's message is printed)\n"
    "or it warns under --strict, 2 bad arguments or a document that cannot be opened.\n";

int usage(const QString &reason)
{
    std::fprintf(stderr, "tavik-check: %s\n%s", reason.toLocal8Bit().constData(), usageText);
    return 2;
}

void print(FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    tavik::ConfigurationCheck check;
    bool haveFolder = false;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (arg == QLatin1String("--json")) {
            check.json = true;
        } else if (arg == QLatin1String("--doc")) {
            if (++i >= args.size())
                return usage(QStringLiteral("--doc needs a file"));
            check.documentPath = args[i];
        } else if (arg == QLatin1String("--strict")) {
            check.strict = true;
        } else if (arg == QLatin1String("-h") || arg == QLatin1String("--help")) {
            std::fputs(usageText, stdout);
            return 0;
        } else if (arg == QLatin1String("--version")) {
            std::fputs("tavik-check " TAVIK_VERSION "\n", stdout);
            return 0;
        } else if (arg.startsWith(QLatin1Char('-'))) {
            return usage(QStringLiteral("unknown option ") + arg);
        } else if (haveFolder) {
            return usage(QStringLiteral("more than one folder"));
        } else {
            check.folder = arg;
            haveFolder = true;
        }
    }
    if (!haveFolder) {
        // The add-in's folder in the build tree, else where the package installs it; then the
        // editor's own search for the configuration.
        const tavik::ConfigurationFolder found = tavik::findConfigurationFolder(tavik::programAddinFolder());
        check.folder = found.path;
        print(stderr, QStringLiteral("tavik-check: checking %1 (%2)\n").arg(QDir(found.path).absolutePath(), found.source));
    }

    const tavik::ConfigurationCheckResult result = check.run();
    print(stdout, result.output);
    print(stderr, result.errors);
    return result.exitCode;
}
