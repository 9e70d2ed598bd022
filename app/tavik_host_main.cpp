// tavik-host: the bundled host program. Parses its arguments and hands over to HostProgram.

#include "app/host_program.h"

#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tavik-host"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Host program for the Tavik add-in."));
    parser.addHelpOption();
    const QCommandLineOption addin(QStringLiteral("addin"), QStringLiteral("The add-in plugin to load."), QStringLiteral("PATH"));
    const QCommandLineOption settings(QStringLiteral("settings"), QStringLiteral("The settings store to use."), QStringLiteral("FILE"));
    const QCommandLineOption script(QStringLiteral("script"), QStringLiteral("Run the script unattended."), QStringLiteral("FILE"));
    parser.addOptions({addin, settings, script});
    parser.addPositionalArgument(QStringLiteral("DOC"), QStringLiteral("Documents to open; the last one is active."), QStringLiteral("[DOC...]"));

    const QString usage = QStringLiteral("usage: tavik-host [--addin PATH] [--settings FILE] [--script FILE] [DOC...]\n");
    if (!parser.parse(QApplication::arguments())) {
        std::fputs(qPrintable(QStringLiteral("tavik-host: ") + parser.errorText() + QLatin1Char('\n') + usage), stderr);
        return tavik::HostProgram::BadArguments;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }

    tavik::HostOptions options;
    options.addinPath = parser.value(addin);
    options.settingsFile = parser.value(settings);
    options.scriptFile = parser.value(script);
    options.documents = parser.positionalArguments();
    for (const QString &doc : options.documents) {
        if (doc.startsWith(QLatin1Char('-'))) {
            std::fputs(qPrintable(QStringLiteral("tavik-host: unknown option ") + doc + QLatin1Char('\n') + usage), stderr);
            return tavik::HostProgram::BadArguments;
        }
    }
    return tavik::HostProgram(options).run();
}
