// Serial-number commands of the editor: Get Next on its button, the serial-number menu (Clear, Set
// index, Reset index, Edit serial number field), and the counter lookups they share. A serial field counts on the counter its key item's value in the same slot
// names, or on the shared counter when its frame has no key item.

#include "editor/serial_numbers.h"

#include "editor/m.h"

#include "config/product.h"
#include "config/shared_state.h"
#include "docsvc/active_document.h"
#include "editor/busy_cursor.h"
#include "editor/control_tag.h"
#include "editor/field_value.h"
#include "editor/get_next_look.h"
#include "editor/menu_entry.h"
#include "editor/multi_column_combo_box.h"
#include "platform/ignoring_errors.h"
#include "platform/prompts.h"
#include "platform/runtime_error.h"
#include "platform/settings_store.h"
#include "serial/counter_store.h"
#include "serial/remote_counter_store.h"
#include "serial/serial_format.h"
#include "serial/set_ser_num.h"

#include <QAction>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>

namespace tavik {

namespace {

// The counters of the per-user settings store, opened when first needed: a store that cannot be
// opened is then reported by the command that needed it, not by the editor's load.
class PerUserCounters : public CounterStore {
public:
    Draw next(const QString &name, bool create) override { return local().next(name, create); }
    std::optional<QString> entry(const QString &name) override { return local().entry(name); }
    void set(const QString &name, int64_t nextIndex) override { local().set(name, nextIndex); }
    void reset(const QString &name) override { local().reset(name); }

private:
    LocalCounterStore &local()
    {
        if (!m_local) {
            m_settings = std::make_unique<SettingsStore>();
            m_local = std::make_unique<LocalCounterStore>(*m_settings);
        }
        return *m_local;
    }

    std::unique_ptr<SettingsStore> m_settings;
    std::unique_ptr<LocalCounterStore> m_local;
};

// Shows the wait cursor during every call to the counters: a draw may wait on a numbering server
// or on a settings file that another process holds. The questions and messages around a draw come
// after the call, with the ordinary cursor.
class BusyCounters : public CounterStore {
public:
    explicit BusyCounters(std::shared_ptr<CounterStore> store)
        : m_store(std::move(store))
    {
    }
    Draw next(const QString &name, bool create) override
    {
        BusyCursor busy;
        return m_store->next(name, create);
    }
    std::optional<QString> entry(const QString &name) override
    {
        BusyCursor busy;
        return m_store->entry(name);
    }
    void set(const QString &name, int64_t nextIndex) override
    {
        BusyCursor busy;
        m_store->set(name, nextIndex);
    }
    void reset(const QString &name) override
    {
        BusyCursor busy;
        m_store->reset(name);
    }

private:
    std::shared_ptr<CounterStore> m_store;
};

// Hands every mouse button pressed on a Get Next button to the serial-number handler. The right
// button goes no further: the button itself does nothing with it.
class GetNextPress : public QObject {
public:
    GetNextPress(QPushButton *button, SerialNumbers &handler)
        : QObject(button)
        , m_button(button)
        , m_handler(handler)
    {
        button->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != QEvent::MouseButtonPress)
            return false;
        auto *mouse = static_cast<QMouseEvent *>(event);
        m_handler.getNextMouseDown(m_button, mouse->button(), mouse->globalPosition().toPoint());
        return mouse->button() == Qt::RightButton;
    }

private:
    QPushButton *m_button;
    SerialNumbers &m_handler;
};

// The key item's text in slot c; nothing when the key item has no field there.
std::optional<QString> keyValueIn(const CPItem &key, int c)
{
    const QWidget *field = slotControl(key.valueControls, c);
    if (!field)
        return std::nullopt;
    return fieldValue(field);
}

} // namespace

SerialNumbers::SerialNumbers(M &editor)
    : m_editor(editor)
    , m_state(editor.state())
    , m_form(editor.formState())
    , m_prompts(editor.prompts())
{
}

void SerialNumbers::connectMenu()
{
    connectEntry(m_editor.serNumMenu(), "clear_Ser_Num", this, [this] { clearSerNum(); });
    connectEntry(m_editor.serNumMenu(), "set", this, [this] { setIndexClick(); });
    connectEntry(m_editor.serNumMenu(), "zero", this, [this] { zeroClick(); });
    connectEntry(m_editor.serNumMenu(), "setLocal", this, [this] { setLocalClick(); });
}

void SerialNumbers::connectGetNext()
{
    for (const auto &[index, button] : m_editor.getNext().elements()) {
        if (!button)
            continue;
        connect(button, &QPushButton::clicked, this, [this, button = button.data()] { getNextClick(button); });
        new GetNextPress(button, *this);
    }
}

CounterStore &SerialNumbers::counterStore()
{
    if (!m_counterStore) {
        // With a numbering server every number comes from it: were it to fall back on the
        // per-user counters, two workstations could hand out the same number.
        if (m_state.remoteOperation)
            m_counterStore = std::make_shared<RemoteCounterStore>(
                RemoteCounterStore::Server{m_state.serverName, m_state.serverPort},
                [this] { return activeDocument(m_state)->GetTitle(); });
        else
            m_counterStore = std::make_shared<PerUserCounters>();
    }
    // Also a store a test put in place.
    if (!dynamic_cast<BusyCounters *>(m_counterStore.get()))
        m_counterStore = std::make_shared<BusyCounters>(m_counterStore);
    return *m_counterStore;
}

void SerialNumbers::getNextMouseDown(QPushButton *button, Qt::MouseButton which, const QPoint &globalPos)
{
    m_form.menuTag = tagOf(button);
    if (which != Qt::RightButton)
        return;
    m_editor.guarded(QStringLiteral("getNext_MouseDown"), [&] {
        FieldIndex at;
        if (!m_editor.splitTag(m_form.menuTag, at.f, at.g, at.i, at.c))
            return;
        const CPItem &item = itemAt(m_state, CPRef{at.f, at.g, at.i});
        // The menu's commands are for a number already drawn; an empty field wants Get Next.
        if (fieldValue(requiredSlotControl(item.valueControls, at.c)).isEmpty())
            return;
        m_editor.serNumMenu()->popup(globalPos);
    });
}

void SerialNumbers::getNextClick(QPushButton *button)
{
    FieldIndex at;
    // A button whose tag cannot be read names no field: drawing for whatever the indices held
    // before would fill the wrong one.
    if (m_editor.splitTag(tagOf(button), at.f, at.g, at.i, at.c)) {
        ignoringErrors([&] {
            CPItem &item = itemAt(m_state, CPRef{at.f, at.g, at.i});
            QWidget *field = requiredSlotControl(item.valueControls, at.c);
            // Another number needs Clear first: a drawn number is never replaced by a click.
            if (!fieldValue(field).isEmpty())
                return;
            button->setEnabled(false);
            const int32_t number = getNextNum(at.f, at.g, at.i, at.c, keyReference(item));
            setFieldValue(field, formatSerialNumber(number, item.prototype));
            if (!fieldValue(field).isEmpty())
                showNumberDrawn(button, true);
        });
    }
    button->setEnabled(true);
}

int32_t SerialNumbers::getNextNum(int16_t f_idx, int16_t g_idx, int16_t i_idx, int16_t c_idx, const QString &uniqueTag)
{
    try {
        CPItem &item = itemAt(m_state, CPRef{f_idx, g_idx, i_idx});
        const CPItem *key = findItemByTag(m_state, f_idx, uniqueTag);
        const std::optional<QString> keyValue = key ? keyValueIn(*key, c_idx) : std::nullopt;
        const NextNumber next = tavik::getNextNum(item, key, keyValue, counterStore(), m_prompts);
        if (!next.serialKey.isEmpty())
            m_serialKey = next.serialKey;
        return next.number;
    } catch (const std::exception &) {
        return -1;
    }
}

QString SerialNumbers::getRegValKey()
{
    try {
        FieldIndex at;
        if (!m_editor.splitTag(m_form.menuTag, at.f, at.g, at.i, at.c))
            return QString();
        const CPItem &item = itemAt(m_state, CPRef{at.f, at.g, at.i});
        const CPItem *key = findItemByTag(m_state, at.f, keyReference(item));
        std::optional<QString> keyValue;
        if (key) {
            keyValue = keyValueIn(*key, at.c);
            if (!keyValue)
                return QString();
        }
        m_serialKey = resolveCounterName(key, keyValue.value_or(QString()), m_prompts).value_or(QString());
        return m_serialKey;
    } catch (const std::exception &) {
        return QString();
    }
}

void SerialNumbers::setIndexClick()
{
    if (getRegValKey().isEmpty())
        return;
    showSetSerNum(true);
}

void SerialNumbers::setLocalClick()
{
    showSetSerNum(false);
}

void SerialNumbers::showSetSerNum(bool setIndexMode)
{
    setSerNum::Field field;
    try {
        FieldIndex at;
        if (!m_editor.splitTag(m_form.menuTag, at.f, at.g, at.i, at.c))
            return;
        CPItem &item = itemAt(m_state, CPRef{at.f, at.g, at.i});
        QPointer<QWidget> value = requiredSlotControl(item.valueControls, at.c);
        QPointer<QWidget> button = slotControl(item.unitsControls, at.c);
        field.item = &item;
        field.value = fieldValue(value);
        // The dialog's own copy of the counter name: without a usable key value it names the
        // shared counter, silently. Set index has made sure of the key value before.
        const CPItem *key = findItemByTag(m_state, at.f, keyReference(item));
        const QString keyValue = key ? keyValueIn(*key, at.c).value_or(QString()) : QString();
        field.counterName = counterName(key, keyValue).value_or(product::title());
        field.write = [value, button](const QString &displayText) {
            setFieldValue(value.data(), displayText);
            if (button)
                showNumberDrawn(button, true);
        };
    } catch (const std::exception &e) {
        m_prompts.message(errorFromException(e).description, QString(), MessageIcon::None, MessageButtons::Ok);
        return;
    }

    setSerNum dialog(counterStore(), m_prompts, &m_editor);
    dialog.setIndexMode = setIndexMode;
    dialog.formLoad(std::move(field));
    if (m_runSerialDialog)
        m_runSerialDialog(dialog);
    else
        dialog.exec();
}

void SerialNumbers::zeroClick()
{
    m_editor.guarded(QStringLiteral("Zero"), [this] {
        FieldIndex at;
        if (!m_editor.splitTag(m_form.menuTag, at.f, at.g, at.i, at.c))
            return;
        CPItem &item = itemAt(m_state, CPRef{at.f, at.g, at.i});
        const CPItem *key = findItemByTag(m_state, at.f, keyReference(item));
        const QString keyValue = key ? fieldValue(requiredSlotControl(key->valueControls, at.c)) : QString();
        const std::optional<QString> name = resolveCounterName(key, keyValue, m_prompts);
        if (!name)
            return;
        m_serialKey = *name;

        const MessageAnswer answer
            = m_prompts.message(QStringLiteral("Are you sure you want to reset index for      \r\n[") + *name
                    + QStringLiteral("] to zero?     "),
                product::title() + QStringLiteral(": Reset index"), MessageIcon::Exclamation, MessageButtons::YesNo);
        if (answer != MessageAnswer::Yes)
            return;
        counterStore().reset(*name);
        const int32_t serialNumber
            = validateSerialNumber(0, item.prototype, item.minVal, item.maxVal, item.incVal, m_prompts);
        setFieldValue(requiredSlotControl(item.valueControls, at.c), formatSerialNumber(serialNumber, item.prototype));
        showNumberDrawn(requiredSlotControl(item.unitsControls, at.c), true);
    });
}

void SerialNumbers::clearSerNum()
{
    m_editor.guarded(QStringLiteral("clear_Ser_Num"), [this] {
        FieldIndex at;
        if (!m_editor.splitTag(m_form.menuTag, at.f, at.g, at.i, at.c))
            return;
        const CPItem &item = itemAt(m_state, CPRef{at.f, at.g, at.i});
        QWidget *field = requiredSlotControl(item.valueControls, at.c);
        if (item.type != QLatin1String("list"))
            setFieldValue(field, QString());
        else
            comboOf(field)->setListIndex(-1);
        // The number drawn is not given back to the counter; only the button's look returns.
        showNumberDrawn(requiredSlotControl(item.unitsControls, at.c), false);
    });
}

} // namespace tavik
