#pragma once
// The add-in as the host sees it: connecting adds the menu command for parts and assemblies and
// defines the document attribute; the command's callback DispForm runs the editor once, from
// loading the configuration to reporting the outcome in the status bar.

#include "config/shared_state.h"
#include "hostapi/addin_interface.h"
#include "hostapi/host.h"

#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class QWidget;

namespace tavik {

class M;
class Prompts;
class RuntimeError;

class swAddIn : public sw::SwAddin, public sw::AddinCallbacks {
public:
    // addinFolder holds the default Tavik.xml and Tavik.xsd; each run of the command looks for a
    // team's configuration first (findConfigurationFolder).
    swAddIn(Prompts &prompts, QString addinFolder);
    ~swAddIn() override;
    swAddIn(const swAddIn &) = delete;
    swAddIn &operator=(const swAddIn &) = delete;

    bool SwAddIn_ConnectToSW(const std::shared_ptr<sw::SldWorks> &app, int cookie) override;
    bool SwAddIn_DisconnectFromSW() override;
    // The menu command: one run of the editor.
    void DispForm();
    bool make_Tavik_Attribute(const std::shared_ptr<sw::SldWorks> &app);

    // The host calls the menu command by its callback name.
    void invokeCallback(const QString &name) override;

    SharedState &state() { return m_state; }
    const QString &menuText() const { return m_menuText; }
    const QString &callbackName() const { return m_callbackName; }

    // Shows the loaded editor and returns when it has closed; exec() unless replaced. Tests
    // replace it to act inside the editor without a modal loop.
    using EditorRunner = std::function<void(M &)>;
    void setEditorRunner(EditorRunner runner) { m_runEditor = std::move(runner); }
    // The window the editor is centred over; the active window when none is set.
    void setEditorParent(QWidget *parent);

    // Number of add-in objects alive in this library.
    static int liveCount();
    // The address that identifies the library holding the add-in.
    static const void *moduleHandle();

private:
    void setStatusBarText(const QString &text);
    void removeMenuItems();
    QString noticeStatusText() const;

    SharedState m_state;
    Prompts &m_prompts;
    // The add-in's own folder, the last place each run looks for its configuration.
    QString m_addinFolder;
    std::shared_ptr<sw::SldWorks> m_app;
    int m_cookie = 0;
    QString m_menuText;
    QString m_callbackName;
    // The error make_Tavik_Attribute met, still to be reported by the failed connection.
    std::optional<std::pair<int, QString>> m_pendingError;
    QPointer<M> m_editor;
    QPointer<QWidget> m_editorParent;
    EditorRunner m_runEditor;
};

} // namespace tavik
