#pragma once
// Wiring of the editor's pop-up menus: an entry is found by its name, and a right press on a
// button opens the button's menu.

#include <QAction>
#include <QEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QWidget>

#include <functional>
#include <utility>

namespace tavik {

// Runs command whenever the entry of menu named name is chosen, for as long as context lives.
inline void connectEntry(QMenu *menu, const char *name, QObject *context, std::function<void()> command)
{
    for (QAction *action : menu->actions())
        if (action->objectName() == QLatin1String(name))
            QObject::connect(action, &QAction::triggered, context, [command] { command(); });
}

// Calls back when the right mouse button goes down on the watched control; the control itself
// does not see that press.
class RightPress : public QObject {
public:
    RightPress(QWidget *watched, std::function<void(const QPoint &globalPos)> pressed)
        : QObject(watched)
        , m_pressed(std::move(pressed))
    {
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != QEvent::MouseButtonPress)
            return false;
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::RightButton)
            return false;
        m_pressed(mouse->globalPosition().toPoint());
        return true;
    }

private:
    std::function<void(const QPoint &)> m_pressed;
};

} // namespace tavik
