#include "app/script_runner.h"

#include "app/host_window.h"
#include "app/script_prompts.h"
#include "app/transcript.h"
#include "editor/colours.h"
#include "editor/control_tag.h"
#include "host/document_file_error.h"
#include "host/host_application.h"
#include "host/host_document.h"

#include <QAbstractButton>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QTabBar>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

namespace tavik {

namespace {

// A line that cannot be carried out; caught where the line began.
struct LineFailure {
    QString reason;
};

[[noreturn]] void failLine(const QString &reason)
{
    throw LineFailure{reason};
}

int toIndex(const QString &word, const char *what)
{
    bool ok = false;
    const int value = word.toInt(&ok);
    if (!ok)
        failLine(QStringLiteral("%1 must be a whole number, not \"%2\"").arg(QLatin1String(what), word));
    return value;
}

QString flag(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

// The entry whose first column equals the box's text, as the editor's combo boxes count it; -1
// when the text is in no entry.
int comboListIndex(const QComboBox *box)
{
    const QString text = box->currentText();
    for (int i = 0; i < box->count(); ++i)
        if (box->itemText(i) == text)
            return i;
    return -1;
}

bool isFieldArray(const QString &objectName)
{
    return objectName.startsWith(QLatin1String("CP_TextBox_")) || objectName.startsWith(QLatin1String("CP_ComboBox_"));
}

// A person can only act on a control that is shown and enabled.
void requireUsable(QWidget *control, const QString &name)
{
    if (!control->isVisible())
        failLine(QStringLiteral("%1 is not shown").arg(name));
    if (!control->isEnabled())
        failLine(QStringLiteral("%1 is disabled").arg(name));
}

// Counts the pop-up menus shown, to tell whether a right click has opened one.
class PopupWatcher : public QObject {
public:
    PopupWatcher() { qApp->installEventFilter(this); }
    ~PopupWatcher() override { qApp->removeEventFilter(this); }
    int shown = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && qobject_cast<QMenu *>(watched))
            ++shown;
        return false;
    }
};

void sendMouse(QWidget *target, QEvent::Type type, Qt::MouseButton button)
{
    const QPointF local = QPointF(target->rect().center());
    QMouseEvent event(type, local, target->mapToGlobal(local), button,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button), Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

void sendKey(QWidget *target, int key, const QString &text = {}, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(target, &release);
}

} // namespace

ScriptRunner::ScriptRunner(std::shared_ptr<HostApplication> app, HostWindow *window, ScriptPrompts &prompts,
                           Transcript &transcript, std::vector<ScriptLine> lines, QString scriptName,
                           QObject *parent)
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
    } catch (const LineFailure &failure) {
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

QStringList ScriptRunner::fieldRecord(QWidget *field) const
{
    QString text;
    QString listIndex = QStringLiteral("-");
    if (auto *edit = qobject_cast<QLineEdit *>(field)) {
        text = edit->text();
    } else if (auto *combo = qobject_cast<QComboBox *>(field)) {
        text = combo->currentText();
        listIndex = QString::number(comboListIndex(combo));
    }
    // The control's own settings, whatever its page or frame shows at the moment.
    const bool visible = !field->isHidden();
    const bool enabled = !field->testAttribute(Qt::WA_ForceDisabled);
    return {tagOf(field), text, listIndex, flag(visible), flag(enabled),
            colours::backColor(field).name(QColor::HexRgb), field->toolTip()};
}

void ScriptRunner::doOpen(const QStringList &args)
{
    try {
        m_app->openDocument(QFileInfo(args[0]).absoluteFilePath());
    } catch (const DocumentFileError &e) {
        failLine(e.message);
    }
}

void ScriptRunner::doActivate(const QStringList &args)
{
    const auto doc = m_app->findDocument(args[0]);
    if (!doc || !m_app->activate(doc))
        failLine(QStringLiteral("no open document is called %1").arg(args[0]));
}

void ScriptRunner::doSave(const QStringList &)
{
    try {
        m_app->saveActiveDocument();
    } catch (const DocumentFileError &e) {
        failLine(e.message);
    }
}

void ScriptRunner::doCommand(const QStringList &)
{
    if (!m_window)
        failLine(QStringLiteral("the host window is gone"));
    const QStringList commands = m_window->commands();
    if (commands.isEmpty())
        failLine(m_app->activeDocument() ? QStringLiteral("the add-in offers no command for the active document")
                                         : QStringLiteral("no document is active"));
    if (!m_window->pickCommand(commands.first()))
        failLine(QStringLiteral("the add-in did not take its command"));
}

void ScriptRunner::doAnswer(const QStringList &args)
{
    const auto answer = answerFromName(args[0]);
    if (!answer)
        failLine(QStringLiteral("answer must be OK, Yes, No or Cancel, not \"%1\"").arg(args[0]));
    m_prompts.queueAnswer(*answer);
}

void ScriptRunner::doFile(const QStringList &args)
{
    if (args[0] == QLatin1String("cancel"))
        m_prompts.queueFile(std::nullopt);
    else
        m_prompts.queueFile(QFileInfo(args[0]).absoluteFilePath());
}

void ScriptRunner::doClick(const QStringList &args)
{
    const QString tag = args.value(1);
    QWidget *control = findControl(args[0], tag);
    auto *button = qobject_cast<QAbstractButton *>(control);
    if (!button)
        failLine(QStringLiteral("%1 is not a button").arg(args[0]));
    requireUsable(button, args[0]);
    button->click();
}

void ScriptRunner::doSelect(const QStringList &args)
{
    QWidget *control = findControl(args[0]);
    const int index = toIndex(args[1], "INDEX");
    requireUsable(control, args[0]);
    if (auto *list = qobject_cast<QListWidget *>(control)) {
        if (index < 0 || index >= list->count())
            failLine(QStringLiteral("%1 has no entry %2 (it has %3)").arg(args[0]).arg(index).arg(list->count()));
        list->setCurrentRow(index);
    } else if (auto *combo = qobject_cast<QComboBox *>(control)) {
        if (index < 0 || index >= combo->count())
            failLine(QStringLiteral("%1 has no entry %2 (it has %3)").arg(args[0]).arg(index).arg(combo->count()));
        combo->setCurrentIndex(index);
    } else if (auto *check = qobject_cast<QCheckBox *>(control)) {
        if (index != 0 && index != 1)
            failLine(QStringLiteral("%1 takes 0 or 1").arg(args[0]));
        if (check->isChecked() != (index == 1))
            check->click();
    } else {
        failLine(QStringLiteral("%1 is not a list, combo box or check box").arg(args[0]));
    }
}

void ScriptRunner::doTab(const QStringList &args)
{
    const int frame = toIndex(args[0], "FRAME");
    const int index = toIndex(args[1], "INDEX");
    const QString name = QStringLiteral("gMultiPage_") + QString::number(frame);
    QWidget *strip = findControl(name);
    auto *bar = strip->findChild<QTabBar *>();
    if (!bar)
        failLine(QStringLiteral("%1 has no tabs").arg(name));
    requireUsable(bar, name);
    if (index < 1 || index > bar->count())
        failLine(QStringLiteral("the tab strip of frame %1 has no tab %2 (it has %3)").arg(frame).arg(index).arg(bar->count()));
    bar->setCurrentIndex(index - 1);
}

void ScriptRunner::doPrint(const QStringList &args)
{
    m_transcript.field(fieldRecord(findField(args[0])));
}

void ScriptRunner::doProps(const QStringList &)
{
    const auto doc = m_app->activeDocument();
    if (!doc)
        failLine(QStringLiteral("no document is active"));
    QStringList levels{QString()};
    levels += doc->GetConfigurationNames();
    for (const QString &level : levels)
        for (const QString &name : doc->GetCustomInfoNames2(level))
            m_transcript.property(level, name, doc->CustomInfo2(level, name));
}

void ScriptRunner::doExpect(const QStringList &args)
{
    QWidget *field = findField(args[0]);
    const QString text = fieldRecord(field).value(1);
    if (text != args[1])
        failLine(QStringLiteral("field %1 holds \"%2\", expected \"%3\"")
                     .arg(args[0], Transcript::escape(text), Transcript::escape(args[1])));
}

void ScriptRunner::doExpectProp(const QStringList &args)
{
    const auto doc = m_app->activeDocument();
    if (!doc)
        failLine(QStringLiteral("no document is active"));
    const QString &config = args[0];
    if (!config.isEmpty() && !doc->GetConfigurationNames().contains(config))
        failLine(QStringLiteral("the active document has no configuration %1").arg(config));
    const bool present = doc->GetCustomInfoNames2(config).contains(args[1]);
    const QString where = config.isEmpty() ? QStringLiteral("the document") : QStringLiteral("configuration ") + config;
    if (args[2] == QLatin1String("-")) {
        if (present)
            failLine(QStringLiteral("%1 holds %2 = \"%3\", expected none")
                         .arg(where, args[1], Transcript::escape(doc->CustomInfo2(config, args[1]))));
        return;
    }
    if (!present)
        failLine(QStringLiteral("%1 has no property %2, expected \"%3\"").arg(where, args[1], Transcript::escape(args[2])));
    const QString value = doc->CustomInfo2(config, args[1]);
    if (value != args[2])
        failLine(QStringLiteral("%1 holds %2 = \"%3\", expected \"%4\"")
                     .arg(where, args[1], Transcript::escape(value), Transcript::escape(args[2])));
}

void ScriptRunner::settle()
{
    const bool outer = m_settling;
    m_settling = true;
    QCoreApplication::processEvents();
    m_settling = outer;
}

void ScriptRunner::doRightClick(const QStringList &args)
{
    const bool isField = args[0] == QLatin1String("field");
    if (isField && args.size() < 2)
        failLine(QStringLiteral("write: rightclick field TAG"));
    QWidget *control = isField ? findField(args[1]) : findControl(args[0], args.value(1));
    requireUsable(control, isField ? args[1] : args[0]);

    // A right click is a press, a release and a context-menu request. A menu opened by the
    // press owns the release, and the request must not open it a second time.
    PopupWatcher watcher;
    QPointer<QWidget> target(control);
    sendMouse(control, QEvent::MouseButtonPress, Qt::RightButton);
    if (watcher.shown == 0 && target) {
        sendMouse(target, QEvent::MouseButtonRelease, Qt::RightButton);
        if (target) {
            const QPoint local = target->rect().center();
            QContextMenuEvent request(QContextMenuEvent::Mouse, local, target->mapToGlobal(local));
            QApplication::sendEvent(target, &request);
        }
    }
}

void ScriptRunner::doMenu(const QStringList &args)
{
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    if (!menu)
        failLine(QStringLiteral("no pop-up menu is open"));
    QAction *entry = nullptr;
    for (QAction *action : menu->actions())
        if (action->objectName() == args[0])
            entry = action;
    if (!entry)
        failLine(QStringLiteral("the open menu %1 has no entry %2").arg(menu->objectName(), args[0]));
    if (!entry->isVisible() || !entry->isEnabled() || entry->isSeparator())
        failLine(QStringLiteral("the entry %1 cannot be chosen").arg(args[0]));
    // Chosen as with the keyboard, so that a menu run by exec() returns the entry as well.
    menu->setActiveAction(entry);
    sendKey(menu, Qt::Key_Return);
}

void ScriptRunner::doChoose(const QStringList &args)
{
    auto *combo = qobject_cast<QComboBox *>(findField(args[0]));
    if (!combo)
        failLine(QStringLiteral("field %1 is not a list field").arg(args[0]));
    const int index = toIndex(args[1], "INDEX");
    requireUsable(combo, args[0]);
    if (index < -1 || index >= combo->count())
        failLine(QStringLiteral("field %1 has no entry %2 (it has %3)").arg(args[0]).arg(index).arg(combo->count()));
    combo->setCurrentIndex(index);
    if (index >= 0) {
        // What a pick from the drop-down tells besides the change of the index.
        emit combo->activated(index);
        emit combo->textActivated(combo->itemText(index));
    }
}

void ScriptRunner::typeInto(QWidget *control, const QString &name, const QString &text)
{
    QLineEdit *edit = qobject_cast<QLineEdit *>(control);
    if (!edit) {
        if (auto *combo = qobject_cast<QComboBox *>(control))
            edit = combo->lineEdit();
    }
    if (!edit)
        failLine(QStringLiteral("%1 does not take typed text").arg(name));
    requireUsable(edit, name);
    if (edit->isReadOnly())
        failLine(QStringLiteral("%1 is read-only").arg(name));

    QWidget *window = edit->window();
    if (!window->isActiveWindow()) {
        window->activateWindow();
        settle();
    }
    edit->setFocus(Qt::MouseFocusReason);
    settle();

    sendKey(edit, Qt::Key_A, {}, Qt::ControlModifier);
    if (edit->hasSelectedText() || !edit->text().isEmpty())
        sendKey(edit, Qt::Key_Delete);
    for (const QChar c : text) {
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            failLine(QStringLiteral("a line break cannot be typed into %1").arg(name));
        sendKey(edit, 0, QString(c));
    }
}

void ScriptRunner::doType(const QStringList &args)
{
    typeInto(findField(args[0]), args[0], args[1]);
}

void ScriptRunner::doSetText(const QStringList &args)
{
    typeInto(findControl(args[0]), args[0], args[1]);
}

void ScriptRunner::doLeave(const QStringList &)
{
    QWidget *focused = QApplication::focusWidget();
    if (!focused)
        failLine(QStringLiteral("no control has the focus"));
    // As a click on an empty part of the window: the field loses the focus and nothing else
    // gains it, so only its own lost-focus handler runs.
    focused->clearFocus();
    settle();
}

} // namespace tavik
