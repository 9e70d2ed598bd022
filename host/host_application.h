#pragma once
// The application object of the bundled host: open documents kept as files, the active one,
// menus, the status bar and attribute definitions. Implements the host's application interface;
// the members after it are the host's own side, for tavik-host and the tests.

#include "host/host_attribute_def.h"
#include "hostapi/host.h"

#include <QList>
#include <functional>
#include <memory>

namespace tavik {

class HostCalls;
class HostDocument;
class HostFrame;

class HostApplication : public sw::SldWorks, public std::enable_shared_from_this<HostApplication> {
public:
    struct MenuItem {
        int docType;
        int cookie;
        QString text;
        int position;
        QString callback;
        QString enable;
        QString hint;
    };

    // Create it in a shared_ptr: documents look back at it to keep two of them off one file.
    HostApplication();
    ~HostApplication() override;

    bool SetAddinCallbackInfo(const void *moduleHandle, sw::AddinCallbacks *addin, int cookie) override;
    // Menu 4 is "Tools", where the add-in's command goes.
    QString GetMenuName(int menu) override;
    bool AddMenuItem3(int docType, int cookie, const QString &menuText, int position, const QString &callback,
        const QString &enable, const QString &hint) override;
    bool RemoveMenu(int docType, const QString &menuText, const QString &callback) override;
    std::shared_ptr<sw::MainFrame> Frame() override;

    std::shared_ptr<sw::AttributeDef> DefineAttribute(const QString &name) override;

    std::shared_ptr<sw::ModelDoc2> ActiveDoc() override;
    // A document already open is returned, not opened twice. The opened document becomes the
    // active one, as a window of its own would. Errors: 2 file not found, 1 any other failure
    // (a broken file, or a type other than the one asked for).
    std::shared_ptr<sw::ModelDoc2> OpenDoc6(
        const QString &path, int type, int options, const QString &configuration, int &errors, int &warnings) override;
    // By title, name or path (a relative path from the current folder). On failure errors is 1
    // and the result none.
    std::shared_ptr<sw::ModelDoc2> ActivateDoc2(const QString &name, bool silent, int &errors) override;

    // Preference 47 sets the length unit of the active document (and of documents yet to come
    // when none is open).
    bool SetUserPreferenceIntegerValue(int preference, int value) override;
    std::shared_ptr<sw::UserUnit> GetUserUnit(int unitType) override;

    // --- The host's own side: not interface calls, not recorded. ---

    // The call log and fault injection shared by every object of this host.
    const std::shared_ptr<HostCalls> &calls() const { return m_calls; }

    // Opens a document file and makes it the active document; a document already open is made
    // active. Throws DocumentFileError naming the file and the fault; nothing is written.
    std::shared_ptr<HostDocument> openDocument(const QString &path);
    // A new document that was never saved (path ""), made active. type 1 part, 2 assembly.
    std::shared_ptr<HostDocument> newDocument(int type, const QString &title = {});
    QList<std::shared_ptr<HostDocument>> documents() const { return m_documents; }
    std::shared_ptr<HostDocument> activeDocument() const { return m_active; }
    // False when the document is not open in this host.
    bool activate(const std::shared_ptr<HostDocument> &doc);
    // Throws DocumentFileError, also when no document is active.
    void saveActiveDocument();
    // Interface calls on the document afterwards throw RuntimeError 91. The last opened of the
    // others becomes active when it was the active one.
    void closeDocument(const std::shared_ptr<HostDocument> &doc);
    // By title or file name, or by path; a name holding a "/" is a path and matches paths only.
    std::shared_ptr<HostDocument> findDocument(const QString &nameOrPath) const;
    // The document whose file is that one (an absolute path), or none.
    std::shared_ptr<HostDocument> findDocumentByPath(const QString &path) const;
    // Why the last OpenDoc6 gave none ("" when it gave a document).
    QString lastOpenError() const { return m_lastOpenError; }

    QList<MenuItem> menuItems() const { return m_menuItems; }
    // Before the add-in's library is unloaded: its callbacks and menu items go.
    void forgetAddin(int cookie);
    // Picks the menu item of that text for the active document's type: the add-in registered
    // with the item's cookie gets its callback. False when there is no such item or add-in.
    // Exceptions of the add-in pass through to the caller.
    bool pickMenuItem(const QString &menuText);

    QString statusBarText() const;
    QStringList statusBarHistory() const;
    void setStatusListener(std::function<void(const QString &)> listener);
    // Told whenever a document is opened, created, activated or closed.
    void setDocumentsListener(std::function<void()> listener) { m_documentsListener = std::move(listener); }

    bool isAttributeRegistered(const QString &name) const { return m_registry->contains(name); }

private:
    void enter(const char *member, const QStringList &args = {});
    void documentsChanged();
    std::shared_ptr<HostDocument> addDocument(std::shared_ptr<HostDocument> doc);

    std::shared_ptr<HostCalls> m_calls;
    std::shared_ptr<HostFrame> m_frame;
    std::shared_ptr<AttributeRegistry> m_registry;
    QList<std::shared_ptr<HostDocument>> m_documents;
    std::shared_ptr<HostDocument> m_active;
    QList<MenuItem> m_menuItems;
    QList<std::pair<int, sw::AddinCallbacks *>> m_addins; // cookie -> add-in
    int m_lengthUnit = 0;
    int m_newDocuments = 0;
    QString m_lastOpenError;
    std::function<void()> m_documentsListener;
};

} // namespace tavik
