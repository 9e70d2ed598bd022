// The verbs of the script runner: what each line does to the host and to the windows' controls.

#include "app/script_runner.h"

#include "app/document_saving.h"
#include "app/host_window.h"
#include "app/script_line_failure.h"
#include "app/script_prompts.h"
#include "app/transcript.h"
#include "editor/control_tag.h"
#include "host/document_file_error.h"
#include "host/host_application.h"
#include "host/host_document.h"
#include "widgets/colours.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QEventLoop>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QTabBar>
#include <QTimer>

namespace tavik {

namespace {

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
    return {tagOf(field), text, listIndex, flag(visible), flag(enabled), colours::backColor(field).name(QColor::HexRgb),
        field->toolTip()};
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
    const auto active = m_app->activeDocument();
    if (!active)
        failLine(QStringLiteral("no document is active"));
    try {
        // The host program's title, as on the window's own saves.
        saveDocument(*active, m_prompts, QStringLiteral("tavik-host"));
    } catch (const DocumentFileError &e) {
        failLine(e.message);
    }
}

// Lets two programs take turns on one file: a line waits until another program creates PATH,
// watching its folder, for at most a minute.
void ScriptRunner::doWaitFile(const QStringList &args)
{
    const QString path = QFileInfo(args[0]).absoluteFilePath();
    QFileSystemWatcher watcher({QFileInfo(path).absolutePath()});
    QEventLoop loop;
    QTimer bound;
    bound.setSingleShot(true);
    connect(&watcher, &QFileSystemWatcher::directoryChanged, &loop, [&] {
        if (QFileInfo::exists(path))
            loop.exit(0);
    });
    connect(&bound, &QTimer::timeout, &loop, [&] { loop.exit(1); });
    if (QFileInfo::exists(path))
        return;
    bound.start(60000);
    m_waiting = true;
    const int outcome = loop.exec();
    m_waiting = false;
    if (m_stepDeferred) {
        m_stepDeferred = false;
        QTimer::singleShot(0, this, &ScriptRunner::step);
    }
    if (outcome != 0)
        failLine(QStringLiteral("%1 did not appear within 60 seconds").arg(args[0]));
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
        failLine(QStringLiteral("the tab strip of frame %1 has no tab %2 (it has %3)")
                     .arg(frame)
                     .arg(index)
                     .arg(bar->count()));
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
        failLine(
            QStringLiteral("%1 has no property %2, expected \"%3\"").arg(where, args[1], Transcript::escape(args[2])));
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
    // One key a character, as a keyboard sends it: a character outside the Basic Multilingual
    // Plane (an emoji) is one key holding both halves of its surrogate pair, never two.
    for (qsizetype i = 0; i < text.size();) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            failLine(QStringLiteral("a line break cannot be typed into %1").arg(name));
        const qsizetype units = c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate() ? 2 : 1;
        sendKey(edit, 0, text.mid(i, units));
        i += units;
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

// As the window's close button: the window's own close handling decides what happens.
void ScriptRunner::doClose(const QStringList &)
{
    QWidget *window = scope();
    if (!window)
        failLine(QStringLiteral("no window is open"));
    window->close();
}

} // namespace tavik
