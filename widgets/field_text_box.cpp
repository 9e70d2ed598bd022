#include "widgets/field_text_box.h"

#include <QEvent>
#include <QValidator>
#include <limits>

namespace tavik {

namespace {

// Refuses a user's change that makes the text longer than the limit and longer than it was.
class LengthValidator : public QValidator {
public:
    explicit LengthValidator(FieldTextBox *field)
        : QValidator(field)
        , m_field(field)
        , m_current(field->text().size())
    {
        connect(field, &QLineEdit::textChanged, this, [this](const QString &text) { m_current = text.size(); });
    }

    State validate(QString &input, int &) const override
    {
        const int limit = m_field->lengthLimit();
        if (!m_field->inUserInput() || limit <= 0 || input.size() <= limit || input.size() <= m_current)
            return Acceptable;
        return Invalid;
    }

private:
    FieldTextBox *m_field;
    qsizetype m_current;
};

} // namespace

FieldTextBox::FieldTextBox(QWidget *parent)
    : QLineEdit(parent)
{
    // The line edit's own limit of 32,767 would cut a longer document value as it comes in.
    setMaxLength(std::numeric_limits<int>::max());
}

void FieldTextBox::setLengthLimit(int limit)
{
    m_limit = limit;
    if (limit > 0 && !validator())
        setValidator(new LengthValidator(this));
}

bool FieldTextBox::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::InputMethod:
    case QEvent::Drop:
    case QEvent::MouseButtonRelease: {
        const bool outer = m_userInput;
        m_userInput = true;
        const bool handled = QLineEdit::event(event);
        m_userInput = outer;
        return handled;
    }
    default:
        return QLineEdit::event(event);
    }
}

} // namespace tavik
