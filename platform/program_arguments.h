#pragma once
// The command line of Tavik's programs: QCommandLineParser with the program's name, version and
// description, which writes --help and --version itself, and the one way a bad argument is
// refused: the fault and the help text on standard error.

#include "tavik_build.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>

namespace tavik {

inline void describeProgram(QCommandLineParser &parser, const char *name, const char *description)
{
    QCoreApplication::setApplicationName(QString::fromUtf8(name));
    QCoreApplication::setApplicationVersion(QStringLiteral(TAVIK_VERSION));
    parser.setApplicationDescription(QString::fromUtf8(description));
    parser.addHelpOption();
    parser.addVersionOption();
}

// Prints "<program>: <reason>" and the help text to standard error; gives status back.
inline int refuseArguments(const QCommandLineParser &parser, const QString &reason, int status)
{
    const QByteArray text
        = (QCoreApplication::applicationName() + QStringLiteral(": ") + reason + QLatin1Char('\n') + parser.helpText())
              .toUtf8();
    std::fwrite(text.constData(), 1, size_t(text.size()), stderr);
    return status;
}

// Parses the arguments; --help and --version print their text and end the program.
inline bool parseProgramArguments(QCommandLineParser &parser, const QStringList &arguments)
{
    if (!parser.parse(arguments))
        return false;
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp();
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();
    return true;
}

} // namespace tavik
