#pragma once
// Prompts shown to a person: real message boxes and file dialogs, and the system clipboard.

#include "platform/prompts.h"

#include <QPointer>
#include <QWidget>

namespace tavik {

class QtPrompts : public Prompts {
public:
    // Boxes are placed over the open modal window, else over parent, else over the active window.
    explicit QtPrompts(QWidget *parent = nullptr);
    void setParentWidget(QWidget *parent) { m_parent = parent; }

    MessageAnswer message(const QString &text, const QString &title, MessageIcon icon, MessageButtons buttons) override;
    std::optional<QString> openFile(const FileOpenRequest &request) override;
    void clearClipboard() override;
    void setClipboardText(const QString &text) override;
    QString clipboardText() override;

private:
    QWidget *parentWidget() const;
    QPointer<QWidget> m_parent;
};

// The system clipboard, shared by every prompts implementation that runs with a GUI.
namespace systemClipboard {
void clear();
void setText(const QString &text);
QString text();
} // namespace systemClipboard

} // namespace tavik
