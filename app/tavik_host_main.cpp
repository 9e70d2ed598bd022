// tavik-host: the bundled host program. Parses its arguments and hands over to HostProgram.

#include "app/host_program.h"

#include "platform/program_arguments.h"

#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>
#include <variant>

namespace {

const char description[]
    = "Host program for the Tavik add-in: keeps part and assembly documents as files and loads the\n"
      "add-in plugin, whose command opens the editor. With --edit FILE it opens the editor on FILE at once\n"
      "and ends with it, saving FILE when the editor ends with Done.\n"
      "Exit status: 0 done (with --edit: saved), 1 a script line failed, 2 bad arguments,\n"
      "3 the editor was closed without Done (nothing saved), 4 the document could not be opened or saved.";

// The options of a run, or the exit status when the arguments ask for no run (or are wrong).
std::variant<tavik::HostOptions, int> parseArguments(const QStringList &arguments)
{
    QCommandLineParser parser;
    tavik::describeProgram(parser, "tavik-host", description);
    const QCommandLineOption addin(QStringLiteral("addin"),
        QStringLiteral("The add-in plugin to load (default: the one installed beside the program)."),
        QStringLiteral("PATH"));
    const QCommandLineOption settings(QStringLiteral("settings"),
        QStringLiteral("The settings store to use (default: the user's)."), QStringLiteral("FILE"));
    const QCommandLineOption script(QStringLiteral("script"),
        QStringLiteral("Run the script unattended and exit (0 done, 1 a line failed). With --edit its lines act "
                       "in the editor that --edit opens."),
        QStringLiteral("FILE"));
    const QCommandLineOption edit(QStringLiteral("edit"),
        QStringLiteral("Open FILE and its editor at once; save FILE when the editor ends with Done, then exit "
                       "(0 saved, 3 closed without Done, 4 not opened or not saved)."),
        QStringLiteral("FILE"));
    const QCommandLineOption callLog(QStringLiteral("call-log"),
        QStringLiteral("Write every host call to FILE, one a line (for fault sweeps)."), QStringLiteral("FILE"));
    const QCommandLineOption failCall(QStringLiteral("fail-call"),
        QStringLiteral("Make the N-th host call fail (for fault sweeps; may be given again)."), QStringLiteral("N"));
    parser.addOptions({addin, settings, script, edit, callLog, failCall});
    parser.addPositionalArgument(QStringLiteral("DOC"), QStringLiteral("Documents to open; the last one is active."),
        QStringLiteral("[DOC...]"));
    const auto refuse = [&parser](const QString &reason) {
        return tavik::refuseArguments(parser, reason, tavik::HostProgram::BadArguments);
    };

    if (!tavik::parseProgramArguments(parser, arguments))
        return refuse(parser.errorText());
    tavik::HostOptions options;
    for (const QString &value : parser.values(failCall)) {
        bool ok = false;
        const int index = value.toInt(&ok);
        if (!ok || index < 1)
            return refuse(QStringLiteral("--fail-call needs a call number from 1"));
        options.failCalls.append(index);
    }
    options.addinPath = parser.value(addin);
    options.settingsFile = parser.value(settings);
    options.scriptFile = parser.value(script);
    options.documents = parser.positionalArguments();
    if (parser.values(edit).size() > 1)
        return refuse(QStringLiteral("--edit takes one document"));
    options.editFile = parser.value(edit);
    if (parser.isSet(edit) && options.editFile.isEmpty())
        return refuse(QStringLiteral("--edit needs a document file"));
    if (!options.editFile.isEmpty() && !options.documents.isEmpty())
        return refuse(QStringLiteral("--edit opens one document; other documents cannot be given with it (%1)")
                          .arg(options.documents.join(QStringLiteral(", "))));
    options.callLogFile = parser.value(callLog);
    return options;
}

} // namespace

int main(int argc, char *argv[])
{
    // The arguments are checked before the window system is touched, so that a mistyped
    // option, --help and --version get their answer even where no display can be opened.
    std::variant<tavik::HostOptions, int> parsed;
    {
        const QCoreApplication parsing(argc, argv);
        parsed = parseArguments(QCoreApplication::arguments());
    }
    if (const int *status = std::get_if<int>(&parsed))
        return *status;
    const tavik::HostOptions &options = std::get<tavik::HostOptions>(parsed);

    // A script needs no screen: without a display it runs on the offscreen platform.
    if (!options.scriptFile.isEmpty() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")
        && qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication application(argc, argv);
    return tavik::HostProgram(options).run();
}
