#include "app/host_program.h"

#include "app/addin_loader.h"
#include "app/edit_session.h"
#include "app/host_window.h"
#include "app/script_prompts.h"
#include "app/script_runner.h"
#include "app/transcript.h"
#include "editor/qt_prompts.h"
#include "host/document_file_error.h"
#include "host/host_application.h"
#include "host/host_calls.h"
#include "hostapi/addin_interface.h"
#include "platform/runtime_error.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <cstdio>
#include <optional>

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

// One run of the host: the prompts (a script's or the window's), the transcript of a script, the
// host application with its call log, the window, the edit of one document and the loaded
// add-in, in the order they are made and unmade. Each step returns the exit status that ends the
// run early, or nothing.
class HostSession {
public:
    explicit HostSession(const HostOptions &options)
        : m_options(options)
        , m_scripted(!options.scriptFile.isEmpty())
        , m_editing(!options.editFile.isEmpty())
        , m_transcript([this](const QString &line) {
            if (m_transcribing)
                printLine(line);
        })
        , m_callLog(options.callLogFile)
        , m_app(std::make_shared<HostApplication>())
        , m_window(m_app, prompts())
        , m_edit(m_app, m_window, prompts())
    {
        m_scriptPrompts.setBoxListener(
            [this](const RecordedBox &box) { m_transcript.messageBox(box.title, box.text, answerName(box.answer)); });
        // While editing one document the host window stays hidden: boxes go over the editor.
        if (!m_editing)
            m_qtPrompts.setParentWidget(&m_window);
        if (m_scripted)
            QObject::connect(&m_window, &HostWindow::statusTextChanged, &m_window,
                [this](const QString &text) { m_transcript.status(text); });
    }

    ~HostSession()
    {
        // The host must not call back into an add-in that is gone.
        m_app->forgetAddin(AddinCookie);
        m_loader.release();
    }

    std::optional<int> openCallLog()
    {
        if (m_options.callLogFile.isEmpty())
            return std::nullopt;
        if (!m_callLog.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            printError(
                QStringLiteral("cannot write the call log %1: %2").arg(m_options.callLogFile, m_callLog.errorString()));
            return HostProgram::BadArguments;
        }
        // Flushed line by line: the log must hold the calls of a run that ends abruptly too.
        m_app->calls()->setListener([this](const HostCalls::Call &call) {
            m_callLog.write((call.object + QLatin1Char('.') + call.text()).toUtf8().replace('\n', "\\n") + '\n');
            m_callLog.flush();
        });
        return std::nullopt;
    }

    void injectFaults()
    {
        for (const int n : m_options.failCalls)
            m_app->calls()->failCall(
                QStringLiteral("*"), n, err::Automation, QStringLiteral("Injected fault in host call %1").arg(n));
    }

    // A document that cannot be opened ends a script and an edit; a person is told and goes on.
    std::optional<int> openDocuments()
    {
        if (m_editing) {
            if (const std::optional<EditSession::Outcome> failed = m_edit.open(m_options.editFile)) {
                report(*failed);
                return failed->status;
            }
            return std::nullopt;
        }
        for (const QString &path : m_options.documents) {
            try {
                m_app->openDocument(QFileInfo(path).absoluteFilePath());
            } catch (const DocumentFileError &e) {
                if (m_scripted) {
                    printError(e.message);
                    return HostProgram::BadArguments;
                }
                m_qtPrompts.message(e.message, QStringLiteral("tavik-host"), MessageIcon::Critical, MessageButtons::Ok);
            }
        }
        m_window.show();
        return std::nullopt;
    }

    // The add-in reports a failed connection itself and then offers no command.
    std::optional<int> loadAddin()
    {
        const QString path = m_options.addinPath.isEmpty() ? AddinLoader::defaultPluginPath() : m_options.addinPath;
        QString error;
        if (m_loader.load(path, prompts(), &error)) {
            m_loader.addin()->SwAddIn_ConnectToSW(m_app, AddinCookie);
        } else if (m_scripted) {
            printError(error);
            return m_options.addinPath.isEmpty() ? 1 : HostProgram::BadArguments;
        } else {
            m_qtPrompts.message(error, QStringLiteral("tavik-host"), MessageIcon::Exclamation, MessageButtons::Ok);
            if (m_editing) {
                printError(error);
                return EditSession::Failed;
            }
        }
        return std::nullopt;
    }

    // Runs the script, the edit, or the window for a person, until the application quits.
    int exec(std::vector<ScriptLine> lines)
    {
        std::optional<ScriptRunner> runner;
        if (m_scripted) {
            runner.emplace(m_app, &m_window, m_scriptPrompts, m_transcript, std::move(lines), m_options.scriptFile);
            // What the host does on its way out is not part of the script's transcript.
            runner->setFinishedListener([this](int) { m_transcribing = false; });
            // A script that ends inside the editor closes it, as an edit ends without Done.
            runner->setExitAtOnceWhenModal(!m_editing);
        }
        if (!m_editing) {
            if (runner)
                runner->start();
            return QApplication::exec();
        }

        // The editor is the only window: its closing must not end the program, whose save (and
        // the question before writing over another program's save) comes after it.
        QApplication::setQuitOnLastWindowClosed(false);
        EditSession::Outcome edited;
        QTimer::singleShot(0, &m_window, [&] {
            // The script's first line falls due inside the editor that the command opens.
            if (runner)
                runner->start();
            edited = m_edit.run();
            report(edited);
            // A script leaves the loop itself once its remaining lines have run.
            if (!runner)
                QCoreApplication::exit(edited.status);
        });
        const int code = QApplication::exec();
        return code != 0 ? code : edited.status;
    }

    void disconnectAddin()
    {
        if (!m_loader.addin())
            return;
        try {
            m_loader.addin()->SwAddIn_DisconnectFromSW();
        } catch (const std::exception &e) {
            printError(QString::fromLocal8Bit(e.what()));
        }
    }

private:
    // The outcome's line on standard error; a person who has not seen it yet gets it in a box.
    void report(const EditSession::Outcome &outcome)
    {
        if (outcome.message.isEmpty())
            return;
        printError(outcome.message);
        if (outcome.tellPerson && !m_scripted)
            m_qtPrompts.message(
                outcome.message, QStringLiteral("tavik-host"), MessageIcon::Critical, MessageButtons::Ok);
    }

    Prompts &prompts()
    {
        return m_scripted ? static_cast<Prompts &>(m_scriptPrompts) : static_cast<Prompts &>(m_qtPrompts);
    }

    const HostOptions &m_options;
    const bool m_scripted;
    const bool m_editing;
    bool m_transcribing = m_scripted;
    ScriptPrompts m_scriptPrompts;
    QtPrompts m_qtPrompts;
    Transcript m_transcript;
    // Made before the application, so that it outlives every call the application records.
    QFile m_callLog;
    std::shared_ptr<HostApplication> m_app;
    HostWindow m_window;
    EditSession m_edit;
    AddinLoader m_loader;
};

} // namespace

HostProgram::HostProgram(HostOptions options)
    : m_options(std::move(options))
{
}

std::optional<int> HostProgram::readScript(std::vector<ScriptLine> &lines) const
{
    if (m_options.scriptFile.isEmpty())
        return std::nullopt;
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
    return std::nullopt;
}

int HostProgram::run()
{
    if (!m_options.settingsFile.isEmpty())
        qputenv("TAVIK_SETTINGS", QFileInfo(m_options.settingsFile).absoluteFilePath().toLocal8Bit());

    // A script is read and checked whole before anything is opened, so a broken script changes
    // nothing.
    std::vector<ScriptLine> lines;
    if (const std::optional<int> failed = readScript(lines))
        return *failed;

    HostSession session(m_options);
    if (const std::optional<int> failed = session.openCallLog())
        return *failed;
    session.injectFaults();
    if (const std::optional<int> failed = session.openDocuments())
        return *failed;
    if (const std::optional<int> failed = session.loadAddin())
        return *failed;
    const int code = session.exec(std::move(lines));
    session.disconnectAddin();
    return code;
}

} // namespace tavik
