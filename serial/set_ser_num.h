#pragma once
// The Set Index dialog of a serial-number field. In Set index mode the typed number is taken as
// drawn: the counter moves past it and the field shows it. In Edit mode any text that fits the
// prototype goes into the field and the counter is left alone. Typed text is checked against the
// prototype; a refusal shows in the hint line and as a red text box, never in a message box.

#include <QDialog>
#include <cstdint>
#include <functional>

class QFrame;
class QLabel;
class QPushButton;

namespace tavik {

struct CPItem;
class CounterStore;
class FieldTextBox;
class Prompts;

class setSerNum : public QDialog {
    Q_OBJECT
public:
    // The serial field the dialog works on, as the editor hands it over.
    struct Field {
        CPItem *item = nullptr; // the serial item: prototype, range and step, CPTag
        QString value; // the field's text when the dialog opens
        QString counterName; // the counter that Set index writes
        // Puts a display text into the field (its change handling runs) and strikes its button.
        std::function<void(const QString &displayText)> write;
    };

    setSerNum(CounterStore &counters, Prompts &prompts, QWidget *parent = nullptr);
    ~setSerNum() override;

    // Set by the caller before formLoad: True for Set index, False for Edit serial number field.
    bool setIndexMode = false;

    // The load handler: captions, the proposed text (the next number to be drawn, or the field's
    // value) in entry form. A failure is shown in a box with its description; the dialog keeps
    // what was set up to then.
    void formLoad(Field field);
    // Text change and focus: the hint line shows the prototype again, the box its normal colour.
    void textChange();
    // Checks the text and, when it is accepted, writes the counter (Set index) and the field and
    // closes; otherwise the dialog stays open with the reason in the hint line.
    void setClick();
    void cancelClick();

    // The number last put into the field (Set index: the number the typed index stands for).
    int32_t serialNumber() const { return m_serialNumber; }

    FieldTextBox *Text() const { return m_text; }
    QLabel *Label() const { return m_label; }
    QLabel *setFor() const { return m_setFor; }
    QPushButton *set() const { return m_set; }
    QPushButton *cancel() const { return m_cancel; }
    QFrame *Line1() const { return m_line; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    CPItem &item() const;
    void refuse(const QString &reason);

    CounterStore &m_counters;
    Prompts &m_prompts;
    Field m_field;
    int32_t m_serialNumber = 0;

    QLabel *m_setFor = nullptr;
    FieldTextBox *m_text = nullptr;
    QPushButton *m_set = nullptr;
    QPushButton *m_cancel = nullptr;
    QFrame *m_line = nullptr;
    QLabel *m_label = nullptr;
};

} // namespace tavik
