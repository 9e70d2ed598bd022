#pragma once
// Carries out a tavik-host script: one line per turn of the event loop, so that the lines after
// a command that opens a modal window (the editor, a dialog) run inside that window's loop, as a
// person's actions would. Each verb is one entry of the verb table and one member function.

#include "app/script_parser.h"

#include <QObject>
#include <QPointer>
#include <memory>

class QWidget;

namespace tavik {

class HostApplication;
class HostWindow;
class ScriptPrompts;
class Transcript;

class ScriptRunner : public QObject {
    Q_OBJECT
public:
    ScriptRunner(std::shared_ptr<HostApplication> app, HostWindow *window, ScriptPrompts &prompts,
        Transcript &transcript, std::vector<ScriptLine> lines, QString scriptName, QObject *parent = nullptr);

    // Checks every line's verb and number of words before anything runs; the first bad line
    // goes into error.
    static bool check(const std::vector<ScriptLine> &lines, ScriptSyntaxError *error);

    // Schedules the first line. When the script ends the event loop is left with the exit
    // status: 0 when every line ran, 1 when one failed (its reason and line on standard error).
    void start();

    // Told once, just before the program ends, with the exit status.
    void setFinishedListener(std::function<void(int)> listener) { m_finished = std::move(listener); }
    // Whether ending with a modal window still open ends the process at once (the default);
    // tests that open their windows without a loop of their own switch it off.
    void setExitAtOnceWhenModal(bool atOnce) { m_exitAtOnce = atOnce; }
    // "LINE: reason" of the line that failed; empty while none has.
    const QString &failure() const { return m_failure; }

private:
    struct Verb {
        const char *name;
        int minArgs;
        int maxArgs;
        const char *usage;
        void (ScriptRunner::*run)(const QStringList &args);
    };
    static const std::vector<Verb> &verbs();
    static const Verb *findVerb(const QString &name);

    void step();
    void runLine(const ScriptLine &line);
    void checkPrompts();
    void finish(int code, const QString &reason = {}, int lineNumber = 0);

    // The window whose controls the lines name: the open modal window, else the host window.
    QWidget *scope() const;
    QWidget *findControl(const QString &name, const QString &tag = {}) const;
    QWidget *findField(const QString &tag) const;
    QStringList fieldRecord(QWidget *field) const;

    void doOpen(const QStringList &args);
    void doActivate(const QStringList &args);
    void doSave(const QStringList &args);
    void doCommand(const QStringList &args);
    void doAnswer(const QStringList &args);
    void doFile(const QStringList &args);
    void doClick(const QStringList &args);
    void doSelect(const QStringList &args);
    void doTab(const QStringList &args);
    void doPrint(const QStringList &args);
    void doProps(const QStringList &args);
    void doExpect(const QStringList &args);
    void doExpectProp(const QStringList &args);
    void doRightClick(const QStringList &args);
    void doMenu(const QStringList &args);
    void doChoose(const QStringList &args);
    void doType(const QStringList &args);
    void doSetText(const QStringList &args);
    void doLeave(const QStringList &args);
    void doClose(const QStringList &args);
    void doWaitFile(const QStringList &args);

    // Types text into a text box as a person would: the old text selected, then one key per
    // character, so that length limits and change handlers see typing.
    void typeInto(QWidget *control, const QString &name, const QString &text);
    // Lets pending events (focus changes above all) arrive before the line goes on. Lines
    // that fall due meanwhile wait for the next turn of the loop.
    void settle();

    std::shared_ptr<HostApplication> m_app;
    QPointer<HostWindow> m_window;
    ScriptPrompts &m_prompts;
    Transcript &m_transcript;
    std::vector<ScriptLine> m_lines;
    QString m_scriptName;
    size_t m_next = 0;
    int m_runningLine = 0; // the innermost line being carried out
    int m_lastStartedLine = 0; // the line whose action came last
    int m_promptFailureLine = 0; // the line after whose start a prompt found no answer
    bool m_finishing = false;
    bool m_settling = false;
    bool m_waiting = false; // a wait-file line is waiting; later lines hold back
    bool m_stepDeferred = false; // a step came due during the wait
    bool m_exitAtOnce = true;
    std::function<void(int)> m_finished;
    QString m_failure;
};

} // namespace tavik
