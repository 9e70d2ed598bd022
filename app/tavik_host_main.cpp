// tavik-host: the bundled host program. Parses its arguments and hands over to HostProgram.

#include "app/host_program.h"

#include "tavik_build.h"

#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>

int main(int argc, char *argv[])
{
    // The arguments are checked before the window system is touched, so that a mistyped
    // option gets its answer even where no display can be opened.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Host program for the Tavik add-in."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help."));
    const QCommandLineOption addin(QStringLiteral("addin"), QStringLiteral("The add-in plugin to load."), QStringLiteral("PATH"));
    const QCommandLineOption settings(QStringLiteral("settings"), QStringLiteral("The settings store to use."), QStringLiteral("FILE"));
    const QCommandLineOption script(QStringLiteral("script"), QStringLiteral("Run the script unattended."), QStringLiteral("FILE"));
    const QCommandLineOption version(QStringLiteral("version"), QStringLiteral("Show the version."));
    const QCommandLineOption callLog(QStringLiteral("call-log"), QStringLiteral("Write every host call to FILE."), QStringLiteral("FILE"));
    const QCommandLineOption failCall(QStringLiteral("fail-call"), QStringLiteral("Make the N-th host call fail."), QStringLiteral("N"));
    parser.addOptions({help, version, addin, settings, script, callLog, failCall});
    parser.addPositionalArgument(QStringLiteral("DOC"), QStringLiteral("Documents to open; the last one is active."), QStringLiteral("[DOC...]"));

    const char *usage =
        "usage: tavik-host [--addin PATH] [--settings FILE] [--script FILE] [DOC...]\n"
        "       tavik-host --help | --version\n"
        "  --addin PATH      the add-in plugin to load (default: the one installed beside the program)\n"
        "  --settings FILE   the settings store to use (default: the user's)\n"
        "  --script FILE     run the script unattended and exit (0 done, 1 a line failed)\n"
        "  --call-log FILE   write every host call to FILE, one a line (for fault sweeps)\n"
        "  --fail-call N     make the N-th host call fail (for fault sweeps; may be given again)\n"
        "Exit status 2: bad arguments.\n";
    if (!parser.parse(arguments)) {
        std::fprintf(stderr, "tavik-host: %s\n%s", qPrintable(parser.errorText()), usage);
        return tavik::HostProgram::BadArguments;
    }
    if (parser.isSet(help)) {
        std::fputs(usage, stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::fputs("tavik-host " TAVIK_VERSION "\n", stdout);
        return 0;
    }
    QList<int> failCallIndexes;
    for (const QString &value : parser.values(failCall)) {
        bool ok = false;
        const int index = value.toInt(&ok);
        if (!ok || index < 1) {
            std::fprintf(stderr, "tavik-host: --fail-call needs a call number from 1\n%s", usage);
            return tavik::HostProgram::BadArguments;
        }
        failCallIndexes.append(index);
    }
    for (const QString &doc : parser.positionalArguments()) {
        if (doc.startsWith(QLatin1Char('-'))) {
            std::fprintf(stderr, "tavik-host: unknown option %s\n%s", qPrintable(doc), usage);
            return tavik::HostProgram::BadArguments;
        }
    }

    tavik::HostOptions options;
    options.addinPath = parser.value(addin);
    options.settingsFile = parser.value(settings);
    options.scriptFile = parser.value(script);
    options.documents = parser.positionalArguments();
    options.callLogFile = parser.value(callLog);
    options.failCalls = failCallIndexes;

    // A script needs no screen: without a display it runs on the offscreen platform.
    if (!options.scriptFile.isEmpty() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")
        && qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tavik-host"));
    return tavik::HostProgram(options).run();
}
