#include "app/script_runner.h"

#include "app/host_window.h"
#include "app/script_line_failure.h"
#include "app/script_prompts.h"
#include "editor/control_tag.h"

#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

namespace tavik {

namespace {

bool isFieldArray(const QString &objectName)
{
    return objectName.startsWith(QLatin1String("CP_TextBox_")) || objectName.startsWith(QLatin1String("CP_ComboBox_"));
}

} // namespace

ScriptRunner::ScriptRunner(std::shared_ptr<HostApplication> app, HostWindow *window, ScriptPrompts &prompts,
    Transcript &transcript, std::vector<ScriptLine> lines, QString scriptName, QObject *parent)
    : QObject(parent)
    , m_app(std::move(app))
    , m_window(window)
    , m_prompts(prompts)
    , m_transcript(transcript)
    , m_lines(std::move(lines))
    , m_scriptName(std::move(scriptName))
{
    m_prompts.setFailureListener([this](const QString &) {
        if (!m_promptFailureLine)
            m_promptFailureLine = m_lastStartedLine;
    });
}

const std::vector<ScriptRunner::Verb> &ScriptRunner::verbs()
{
    static const std::vector<Verb> table = {
        {"open", 1, 1, "open PATH", &ScriptRunner::doOpen},
        {"activate", 1, 1, "activate NAME", &ScriptRunner::doActivate},
        {"save", 0, 0, "save", &ScriptRunner::doSave},
        {"command", 0, 0, "command", &ScriptRunner::doCommand},
        {"answer", 1, 1, "answer OK|Yes|No|Cancel", &ScriptRunner::doAnswer},
        {"file", 1, 1, "file PATH|cancel", &ScriptRunner::doFile},
        {"click", 1, 2, "click NAME [TAG]", &ScriptRunner::doClick},
        {"select", 2, 2, "select NAME INDEX", &ScriptRunner::doSelect},
        {"tab", 2, 2, "tab FRAME INDEX", &ScriptRunner::doTab},
        {"print", 1, 1, "print TAG", &ScriptRunner::doPrint},
        {"props", 0, 0, "props", &ScriptRunner::doProps},
        {"expect", 2, 2, "expect TAG TEXT", &ScriptRunner::doExpect},
        {"expect-prop", 3, 3, "expect-prop CONFIG NAME VALUE", &ScriptRunner::doExpectProp},
        {"rightclick", 1, 2, "rightclick NAME [TAG]", &ScriptRunner::doRightClick},
        {"menu", 1, 1, "menu ENTRY", &ScriptRunner::doMenu},
        {"choose", 2, 2, "choose TAG INDEX", &ScriptRunner::doChoose},
        {"type", 2, 2, "type TAG TEXT", &ScriptRunner::doType},
        {"settext", 2, 2, "settext NAME TEXT", &ScriptRunner::doSetText},
        {"leave", 0, 0, "leave", &ScriptRunner::doLeave},
        {"close", 0, 0, "close", &ScriptRunner::doClose},
        {"wait-file", 1, 1, "wait-file PATH", &ScriptRunner::doWaitFile},
    };
    return table;
}

const ScriptRunner::Verb *ScriptRunner::findVerb(const QString &name)
{
    for (const Verb &verb : verbs())
        if (name == QLatin1String(verb.name))
            return &verb;
    return nullptr;
}

bool ScriptRunner::check(const std::vector<ScriptLine> &lines, ScriptSyntaxError *error)
{
    for (const ScriptLine &line : lines) {
        const Verb *verb = findVerb(line.words.value(0));
        QString reason;
        if (!verb) {
            reason = QStringLiteral("unknown command \"%1\"").arg(line.words.value(0));
        } else {
            const int args = int(line.words.size()) - 1;
            if (args < verb->minArgs || args > verb->maxArgs)
                reason = QStringLiteral("wrong number of words; write: %1").arg(QLatin1String(verb->usage));
        }
        if (!reason.isEmpty()) {
            if (error)
                *error = {line.number, reason};
            return false;
        }
    }
    return true;
}

void ScriptRunner::start()
{
    QTimer::singleShot(0, this, &ScriptRunner::step);
}

void ScriptRunner::step()
{
    if (m_finishing)
        return;
    if (m_waiting) {
        m_stepDeferred = true;
        return;
    }
    if (m_settling) {
        QTimer::singleShot(0, this, &ScriptRunner::step);
        return;
    }
    checkPrompts();
    if (m_finishing)
        return;
    if (m_next >= m_lines.size()) {
        finish(0);
        return;
    }
    const ScriptLine &line = m_lines[m_next++];
    // The next line is due as soon as the event loop turns, which may be inside a modal window
    // that this line opens.
    QTimer::singleShot(0, this, &ScriptRunner::step);

    const int outer = m_runningLine;
    m_runningLine = line.number;
    m_lastStartedLine = line.number;
    try {
        runLine(line);
    } catch (const ScriptLineFailure &failure) {
        m_runningLine = outer;
        finish(1, failure.reason, line.number);
        return;
    } catch (const std::exception &e) {
        m_runningLine = outer;
        finish(1, QString::fromLocal8Bit(e.what()), line.number);
        return;
    } catch (...) {
        m_runningLine = outer;
        finish(1, QStringLiteral("unexpected failure"), line.number);
        return;
    }
    m_runningLine = outer;
    checkPrompts();
}

void ScriptRunner::runLine(const ScriptLine &line)
{
    const Verb *verb = findVerb(line.words.value(0));
    if (!verb)
        failLine(QStringLiteral("unknown command \"%1\"").arg(line.words.value(0)));
    (this->*verb->run)(line.words.mid(1));
}

void ScriptRunner::checkPrompts()
{
    if (m_prompts.failed() && !m_finishing)
        finish(1, m_prompts.failure(), m_promptFailureLine);
}

void ScriptRunner::finish(int code, const QString &reason, int lineNumber)
{
    if (m_finishing)
        return;
    m_finishing = true;
    if (code != 0) {
        const QString where = lineNumber > 0 ? QStringLiteral("%1:%2: ").arg(m_scriptName).arg(lineNumber)
                                             : m_scriptName + QStringLiteral(": ");
        m_failure = (lineNumber > 0 ? QString::number(lineNumber) + QStringLiteral(": ") : QString()) + reason;
        std::fputs(qPrintable(QStringLiteral("tavik-host: ") + where + reason + QLatin1Char('\n')), stderr);
    }
    std::fflush(stdout);
    std::fflush(stderr);
    if (m_finished)
        m_finished(code);
    if (m_exitAtOnce && QApplication::activeModalWidget()) {
        // Still inside a modal window's loop: leaving the loops one by one would let the windows
        // carry on (report, close, write) after the script has ended. End here instead.
        std::_Exit(code);
    }
    QCoreApplication::exit(code);
}

QWidget *ScriptRunner::scope() const
{
    if (QWidget *modal = QApplication::activeModalWidget())
        return modal;
    return m_window;
}

QWidget *ScriptRunner::findControl(const QString &name, const QString &tag) const
{
    QWidget *root = scope();
    if (!root)
        failLine(QStringLiteral("no window is open"));
    const auto widgets = root->findChildren<QWidget *>();
    for (QWidget *w : widgets) {
        if (tag.isEmpty()) {
            if (w->objectName() == name)
                return w;
        } else if (w->objectName().startsWith(name + QLatin1Char('_')) && tagOf(w) == tag) {
            return w;
        }
    }
    if (tag.isEmpty())
        failLine(QStringLiteral("no control named %1 in %2").arg(name, root->objectName()));
    failLine(QStringLiteral("no %1 with tag %2 in %3").arg(name, tag, root->objectName()));
}

QWidget *ScriptRunner::findField(const QString &tag) const
{
    QWidget *root = scope();
    if (!root)
        failLine(QStringLiteral("no window is open"));
    QWidget *found = nullptr;
    for (QWidget *w : root->findChildren<QWidget *>()) {
        if (!isFieldArray(w->objectName()) || tagOf(w) != tag)
            continue;
        // The selector of a linked list carries the tag of the list's first field too; it sits
        // in the label column, the field in the value column to its right.
        if (!found || w->x() > found->x())
            found = w;
    }
    if (!found)
        failLine(QStringLiteral("no field with tag %1").arg(tag));
    return found;
}

} // namespace tavik
