#include "app/host_program.h"

#include "hostapi/addin_interface.h"
#include "app/addin_loader.h"
#include "app/host_window.h"
#include "app/script_prompts.h"
#include "app/script_runner.h"
#include "app/transcript.h"
#include "editor/qt_prompts.h"
#include "host/document_file_error.h"
#include "platform/runtime_error.h"
#include "host/host_application.h"
#include "host/host_calls.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

namespace tavik {

namespace {

constexpr int AddinCookie = 1;

void printError(const QString &text)
{
    std::fputs(qPrintable(QStringLiteral("tavik-host: ") + text + QLatin1Char('\n')), stderr);
}

void printLine(const QString &line)
{
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

} // namespace

HostProgram::HostProgram(HostOptions options)
    : m_options(std::move(options))
{
}

int HostProgram::run()
{
    const bool scripted = !m_options.scriptFile.isEmpty();
    if (!m_options.settingsFile.isEmpty())
        qputenv("TAVIK_SETTINGS", QFileInfo(m_options.settingsFile).absoluteFilePath().toLocal8Bit());

    // A script is read and checked whole before anything is opened, so a broken script changes
    // nothing.
    std::vector<ScriptLine> lines;
    if (scripted) {
        QFile file(m_options.scriptFile);
        if (!file.open(QIODevice::ReadOnly)) {
            printError(QStringLiteral("cannot read the script %1: %2").arg(m_options.scriptFile, file.errorString()));
            return BadArguments;
        }
        ScriptSyntaxError error;
        lines = ScriptParser::parse(QString::fromUtf8(file.readAll()), &error);
        if (error.line == 0)
            ScriptRunner::check(lines, &error);
        if (error.line != 0) {
            printError(QStringLiteral("%1:%2: %3").arg(m_options.scriptFile).arg(error.line).arg(error.reason));
            return 1;
        }
    }

    ScriptPrompts scriptPrompts;
    QtPrompts qtPrompts;
    Prompts &prompts = scripted ? static_cast<Prompts &>(scriptPrompts) : static_cast<Prompts &>(qtPrompts);
    bool transcribing = scripted;
    Transcript transcript([&transcribing](const QString &line) {
        if (transcribing)
            printLine(line);
    });
    scriptPrompts.setBoxListener([&transcript](const RecordedBox &box) {
        transcript.messageBox(box.title, box.text, answerName(box.answer));
    });

    // Declared before the application, so that it outlives every call the application records.
    QFile callLog(m_options.callLogFile);
    auto app = std::make_shared<HostApplication>();
    if (!m_options.callLogFile.isEmpty()) {
        if (!callLog.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            printError(QStringLiteral("cannot write the call log %1: %2").arg(m_options.callLogFile, callLog.errorString()));
            return BadArguments;
        }
        // Flushed line by line: the log must hold the calls of a run that ends abruptly too.
        app->calls()->setListener([&callLog](const HostCalls::Call &call) {
            callLog.write((call.object + QLatin1Char('.') + call.text()).toUtf8().replace('\n', "\\n") + '\n');
            callLog.flush();
        });
    }
    for (const int n : m_options.failCalls)
        app->calls()->failCall(QStringLiteral("*"), n, err::Automation,
                               QStringLiteral("Injected fault in host call %1").arg(n));
    HostWindow window(app, prompts);
    qtPrompts.setParentWidget(&window);
    if (scripted)
        QObject::connect(&window, &HostWindow::statusTextChanged, &window,
                         [&transcript](const QString &text) { transcript.status(text); });

    for (const QString &path : m_options.documents) {
        try {
            app->openDocument(QFileInfo(path).absoluteFilePath());
        } catch (const DocumentFileError &e) {
            if (scripted) {
                printError(e.message);
                return BadArguments;
            }
            qtPrompts.message(e.message, QStringLiteral("tavik-host"), MessageIcon::Critical, MessageButtons::Ok);
        }
    }
    window.show();

    AddinLoader loader;
    const QString addinPath = m_options.addinPath.isEmpty() ? AddinLoader::defaultPluginPath() : m_options.addinPath;
    QString loadError;
    if (loader.load(addinPath, prompts, &loadError)) {
        // The add-in reports a failed connection itself and then offers no command.
        loader.addin()->SwAddIn_ConnectToSW(app, AddinCookie);
    } else if (scripted) {
        printError(loadError);
        return m_options.addinPath.isEmpty() ? 1 : BadArguments;
    } else {
        qtPrompts.message(loadError, QStringLiteral("tavik-host"), MessageIcon::Exclamation, MessageButtons::Ok);
    }

    int code = 0;
    if (scripted) {
        ScriptRunner runner(app, &window, scriptPrompts, transcript, std::move(lines), m_options.scriptFile);
        // What the host does on its way out is not part of the script's transcript.
        runner.setFinishedListener([&transcribing](int) { transcribing = false; });
        runner.start();
        code = QApplication::exec();
    } else {
        code = QApplication::exec();
    }

    if (loader.addin()) {
        try {
            loader.addin()->SwAddIn_DisconnectFromSW();
        } catch (const std::exception &e) {
            printError(QString::fromLocal8Bit(e.what()));
        }
    }
    // The host must not call back into an add-in that is gone.
    app->forgetAddin(AddinCookie);
    loader.release();
    return code;
}

} // namespace tavik
