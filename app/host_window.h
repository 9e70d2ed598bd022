#pragma once
// The window of tavik-host: the host's menus (menu 4, Tools, holds the add-ins' commands for the
// active document's type), the status bar the add-ins write to, and the list of open documents.

#include <QMainWindow>
#include <functional>
#include <memory>

class QListWidget;
class QMenu;

namespace tavik {

class HostApplication;
class HostDocument;
class Prompts;

class HostWindow : public QMainWindow {
    Q_OBJECT
public:
    HostWindow(std::shared_ptr<HostApplication> app, Prompts &prompts, QWidget *parent = nullptr);
    ~HostWindow() override;

    // File > Open: asks for a document file and opens it; false when cancelled or refused.
    bool openDocument();
    // File > Save: saves the active document to its file; false (after saying why) on failure.
    bool saveDocument();
    // File > Close: closes the active document, first asking whether to save it when it has
    // changed since it was opened or saved. False when the person cancelled or the save failed
    // (the document then stays open).
    bool closeActiveDocument();
    // Closes every open document the same way; false as soon as one stays open.
    bool closeAllDocuments();
    // Runs the add-in command with that menu text, as picking it in the menu does. False when
    // the active document has no such command.
    bool pickCommand(const QString &menuText);
    // The menu texts of the add-in commands offered for the active document, in menu order.
    QStringList commands() const;

    void refreshDocuments();
    QMenu *hostMenu(int index) const;

protected:
    // Closing the window closes the documents first; a cancelled question keeps the window.
    void closeEvent(QCloseEvent *event) override;

signals:
    // The host's status bar text was set (by an add-in or by the host).
    void statusTextChanged(const QString &text);

private:
    void rebuildCommandMenu();
    bool closeDocument(const std::shared_ptr<HostDocument> &doc);
    void showError(const QString &text);
    // Runs work and gives its result; what it throws is shown, and gives false.
    bool showingErrors(const std::function<bool()> &work);

    std::shared_ptr<HostApplication> m_app;
    Prompts &m_prompts;
    QList<QMenu *> m_menus;
    QListWidget *m_documents = nullptr;
};

} // namespace tavik
