#include "serial/set_ser_num.h"

#include "config/model.h"
#include "config/product.h"
#include "platform/prompts.h"
#include "platform/runtime_error.h"
#include "serial/counter_store.h"
#include "serial/serial_format.h"
#include "widgets/colours.h"
#include "widgets/designed_controls.h"
#include "widgets/field_text_box.h"
#include "widgets/twips.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace tavik {

namespace {

const QString PrototypeIs = QStringLiteral("Prototype is: ");

} // namespace

setSerNum::setSerNum(CounterStore &counters, Prompts &prompts, QWidget *parent)
    : QDialog(parent)
    , m_counters(counters)
    , m_prompts(prompts)
{
    setObjectName(QStringLiteral("setSerNum"));
    setWindowTitle(product::title());
    setFixedSize(twipsToPixels(3900), twipsToPixels(2175));
    setSizeGripEnabled(false);
    QFont small = font();
    small.setPointSize(8);
    setFont(small);

    m_setFor = designedLabel(this, "setFor", QString(), twipsRect(240, 120, 3375, 255));
    m_text = new FieldTextBox(this);
    m_text->setObjectName(QStringLiteral("Text"));
    m_text->setGeometry(twipsRect(240, 480, 3375, 350));
    m_set = designedButton(this, "set", QStringLiteral("Set"), QString(), twipsRect(480, 1080, 1095, 375));
    // Enter in the text box is the same as the button.
    m_set->setDefault(true);
    m_cancel = designedButton(this, "cancel", QStringLiteral("Cancel"), QString(), twipsRect(2280, 1080, 1095, 375));
    m_line = new QFrame(this);
    m_line->setObjectName(QStringLiteral("Line1"));
    m_line->setFrameShape(QFrame::HLine);
    m_line->setFrameShadow(QFrame::Plain);
    m_line->setGeometry(twipsToPixels(240), twipsToPixels(1680), twipsToPixels(3600 - 240), 1);
    m_label = designedLabel(this, "Label", QStringLiteral("Prototype is:"), twipsRect(240, 1800, 3375, 255));

    connect(m_text, &QLineEdit::textChanged, this, [this] { textChange(); });
    m_text->installEventFilter(this);
    connect(m_set, &QPushButton::clicked, this, [this] { setClick(); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { cancelClick(); });
}

setSerNum::~setSerNum() = default;

CPItem &setSerNum::item() const
{
    if (!m_field.item)
        throw RuntimeError(err::ObjectNotSet, errorDescription(err::ObjectNotSet));
    return *m_field.item;
}

void setSerNum::formLoad(Field field)
{
    m_field = std::move(field);
    try {
        CPItem &serial = item();
        m_label->setText(PrototypeIs + serial.prototype);
        // Holds back typing only: a longer text put in by the program stays whole, and an empty
        // prototype sets no limit rather than a box that takes nothing.
        m_text->setLengthLimit(int(serial.prototype.size()));

        if (setIndexMode) {
            m_setFor->setText(QStringLiteral("Set index for [") + m_field.counterName + QStringLiteral("]"));
            setWindowTitle(product::title() + QStringLiteral(": Set Index"));
            // A counter not yet created proposes index 0; a stored text that is no index is
            // reported, and the user can repair the counter by setting it.
            const QString stored = m_counters.entry(m_field.counterName).value_or(QStringLiteral("0"));
            const std::optional<int32_t> index = parseDecimalDigits(stored);
            if (!index)
                throw RuntimeError(err::TypeMismatch, errorDescription(err::TypeMismatch));
            m_serialNumber = validateSerialNumber(
                *index, serial.prototype, serial.minVal, serial.maxVal, serial.incVal, m_prompts);
            m_text->setText(formatSerialNumber(m_serialNumber, serial.prototype));
            m_set->setText(QStringLiteral("Set"));
        } else {
            m_setFor->setText(QStringLiteral("Editing [") + serial.CPTag + QStringLiteral("] value"));
            setWindowTitle(product::title() + QStringLiteral(": Edit Index"));
            m_text->setText(m_field.value);
            m_set->setText(QStringLiteral("Done"));
        }
        // In entry form the text lines up with the prototype character by character.
        m_text->setText(escapeSerialText(m_text->text()));
    } catch (const std::exception &e) {
        m_prompts.message(errorFromException(e).description, QString(), MessageIcon::None, MessageButtons::Ok);
    }
}

void setSerNum::textChange()
{
    const QString prototype = m_field.item ? m_field.item->prototype : QString();
    m_label->setText(PrototypeIs + prototype);
    colours::setBackColor(m_text, colours::WindowBackground);
    m_text->setToolTip(prototype);
}

bool setSerNum::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_text && event->type() == QEvent::FocusIn)
        textChange();
    return QDialog::eventFilter(watched, event);
}

void setSerNum::refuse(const QString &reason)
{
    m_label->setText(reason);
    colours::setBackColor(m_text, colours::Mismatch);
}

void setSerNum::setClick()
{
    try {
        CPItem &serial = item();
        const QString &prototype = serial.prototype;
        const QString typed = m_text->text();
        if (typed.isEmpty() || typed.size() != prototype.size()) {
            refuse(QStringLiteral("Empty String or string does not match prototype"));
            return;
        }
        const int32_t number = unformatSerialNumber(typed, prototype, m_prompts);
        if (number < 0) {
            refuse(QStringLiteral("String does not match prototype"));
            m_text->setToolTip(QStringLiteral("Does not match prototype: ") + prototype);
            return;
        }
        if (setIndexMode) {
            // The reason stays here: the editor's pending error report is not the place for it.
            QString reason;
            const int32_t index
                = validateValue(typed, prototype, serial.minVal, serial.maxVal, serial.incVal, reason, m_prompts);
            if (index < 0) {
                refuse(reason);
                m_text->setToolTip(QStringLiteral(
                    "Number may be less than minVal, greater then maxVal or have incorrect incremental value"));
                return;
            }
            m_label->setText(PrototypeIs + prototype);
            m_counters.set(m_field.counterName, int64_t(index) + 1);
            m_serialNumber
                = validateSerialNumber(index, prototype, serial.minVal, serial.maxVal, serial.incVal, m_prompts);
        } else {
            m_label->setText(PrototypeIs + prototype);
            m_serialNumber = number;
        }
        if (!m_field.write)
            throw RuntimeError(err::ObjectNotSet, errorDescription(err::ObjectNotSet));
        m_field.write(formatSerialNumber(m_serialNumber, prototype));
        accept();
    } catch (const std::exception &e) {
        m_label->setText(QStringLiteral("Error: ") + errorFromException(e).description);
    }
}

void setSerNum::cancelClick()
{
    reject();
}

} // namespace tavik
