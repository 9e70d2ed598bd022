#pragma once
// The events of the editor's value fields that have no signal of their own: the focus leaving a
// field and a mouse button released over it. Also gives the focus back to a field whose entry
// was rejected, once the focus change under way has ended.

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <functional>

class QWidget;

namespace tavik {

class FieldEvents : public QObject {
    Q_OBJECT
public:
    struct Handlers {
        std::function<void(QWidget *field)> lostFocus;
        std::function<void(QWidget *field, Qt::MouseButton button, const QPoint &globalPos)> mouseUp;
    };

    FieldEvents(Handlers handlers, QObject *parent);

    // A text box or combo box of the editor; a combo box's text area is watched with it.
    void watch(QWidget *field);

    // Puts the focus back into field as soon as the running focus change is over. Until then the
    // focus only passes through whatever took it: that control's user has not left it.
    void giveFocusBack(QWidget *field);
    bool focusBackPending() const { return !m_refocus.isNull(); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *fieldOf(QObject *watched) const;

    Handlers m_handlers;
    QPointer<QWidget> m_refocus;
};

} // namespace tavik
