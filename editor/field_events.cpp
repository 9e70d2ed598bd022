#include "editor/field_events.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QMouseEvent>

namespace tavik {

FieldEvents::FieldEvents(Handlers handlers, QObject *parent)
    : QObject(parent)
    , m_handlers(std::move(handlers))
{
}

void FieldEvents::watch(QWidget *field)
{
    // The value menu stands in for the platform's own menu of a text field.
    field->setContextMenuPolicy(Qt::NoContextMenu);
    field->installEventFilter(this);
    if (auto *combo = qobject_cast<QComboBox *>(field); combo && combo->lineEdit()) {
        combo->lineEdit()->setContextMenuPolicy(Qt::NoContextMenu);
        combo->lineEdit()->installEventFilter(this);
    }
}

QWidget *FieldEvents::fieldOf(QObject *watched) const
{
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget)
        return nullptr;
    if (auto *combo = qobject_cast<QComboBox *>(widget->parentWidget()); combo && combo->lineEdit() == widget)
        return combo;
    return widget;
}

void FieldEvents::giveFocusBack(QWidget *field)
{
    m_refocus = field;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (QWidget *refocused = m_refocus.data())
                refocused->setFocus(Qt::OtherFocusReason);
            m_refocus = nullptr;
        },
        Qt::QueuedConnection);
}

bool FieldEvents::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::FocusOut: {
        QWidget *field = fieldOf(watched);
        // A combo box reports the focus leaving its text area and itself; itself counts.
        if (!field || field != watched)
            return false;
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        // A pop-up menu or another window taking the focus for a moment is no leaving; nor is
        // a field that has gone out of sight (its page hidden, the window closing), which the
        // user can no longer put right.
        if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason)
            return false;
        if (!field->isVisible())
            return false;
        if (m_refocus && m_refocus != field)
            return false;
        if (m_handlers.lostFocus)
            m_handlers.lostFocus(field);
        return false;
    }
    case QEvent::MouseButtonRelease: {
        QWidget *field = fieldOf(watched);
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (field && m_handlers.mouseUp)
            m_handlers.mouseUp(field, mouse->button(), mouse->globalPosition().toPoint());
        // The right button's menu has taken over; the field itself has nothing to do with it.
        return mouse->button() == Qt::RightButton;
    }
    case QEvent::ContextMenu:
        return true;
    default:
        return false;
    }
}

} // namespace tavik
