// tavik-check [--doc FILE] [--json] [DIR]: loads DIR/Tavik.xml against DIR/Tavik.xsd as the editor
// does, and prints OK (and the model) or the editor's message.

#include "host/configuration_check.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>

namespace {

const char usageText[] =
    "usage: tavik-check [--doc FILE] [--json] [DIR]\n"
    "       tavik-check --help | --version\n"
    "  DIR         folder holding Tavik.xml and Tavik.xsd (default: the add-in's folder)\n"
    "  --doc FILE  the document whose system values are read (default: a new part)\n"
    "  --json      print the model as JSON after OK\n"
    "Exit status: 0 the configuration loads, 1 it does not (the editor's message is printed),\n"
    "2 bad arguments or a document that cannot be opened.\n";

int usage(const char *reason)
{
    std::fprintf(stderr, "tavik-check: %s\n%s", reason, usageText);
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
                return usage("--doc needs a file");
            check.documentPath = args[i];
        } else if (arg == QLatin1String("-h") || arg == QLatin1String("--help")) {
            std::fputs(usageText, stdout);
            return 0;
        } else if (arg == QLatin1String("--version")) {
            std::fputs("tavik-check " TAVIK_VERSION "\n", stdout);
            return 0;
        } else if (arg.startsWith(QLatin1Char('-'))) {
            return usage("unknown option");
        } else if (haveFolder) {
            return usage("more than one folder");
        } else {
            check.folder = arg;
            haveFolder = true;
        }
    }
    if (!haveFolder) {
        // The add-in's folder in the build tree, else where the package installs it.
        check.folder = QCoreApplication::applicationDirPath() + QStringLiteral("/addin");
        if (!QDir(check.folder).exists())
            check.folder = QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/" TAVIK_ADDIN_RELDIR));
    }

    const tavik::ConfigurationCheckResult result = check.run();
    print(stdout, result.output);
    print(stderr, result.errors);
    return result.exitCode;
}
