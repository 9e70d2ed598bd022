#pragma once
// Serial numbers: the Get Next buttons, the serial-number menu (Clear, Set index, Reset index,
// Edit serial number field) and the Set Index dialog. The counters are the per-user settings
// store's, or the numbering server's when the configuration selects remote operation, unless
// another store is set.

#include <QObject>
#include <QPoint>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

class QDialog;
class QPushButton;

namespace tavik {

class M;
struct FormState;
struct SharedState;
class CounterStore;
class Prompts;

class SerialNumbers : public QObject {
public:
    explicit SerialNumbers(M &editor);

    // The serial-number menu's entries.
    void connectMenu();
    // The Get Next buttons the load has made.
    void connectGetNext();

    // The mouse-down remembers the button's field in menuTag; its right button opens serNumMenu
    // over a field that holds a number. getNextClick draws a number into an empty field.
    void getNextMouseDown(QPushButton *button, Qt::MouseButton which, const QPoint &globalPos);
    void getNextClick(QPushButton *button);
    void setIndexClick();
    void zeroClick();
    void setLocalClick();
    // Clears the field named by menuTag; the drawn number is not given back to its counter.
    void clearSerNum();
    // getRegValKey and getNextNum give the empty text and -1 when the key item has no field in
    // the slot, without a message.
    QString getRegValKey();
    int32_t getNextNum(int16_t f_idx, int16_t g_idx, int16_t i_idx, int16_t c_idx, const QString &uniqueTag);
    const QString &serialKey() const { return m_serialKey; }

    void setCounterStore(std::shared_ptr<CounterStore> store) { m_counterStore = std::move(store); }
    CounterStore &counterStore();
    // Shows the loaded Set Index dialog until it closes: exec() unless replaced (tests drive the
    // dialog without a modal loop).
    void setSerialDialogRunner(std::function<void(QDialog &)> runner) { m_runSerialDialog = std::move(runner); }

private:
    void showSetSerNum(bool setIndexMode);

    M &m_editor;
    SharedState &m_state;
    FormState &m_form;
    Prompts &m_prompts;
    std::shared_ptr<CounterStore> m_counterStore;
    std::function<void(QDialog &)> m_runSerialDialog;
    QString m_serialKey;
};

} // namespace tavik
