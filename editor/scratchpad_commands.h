#pragma once
// The scratchpad commands of the editor: Save and Load work on the frame on screen and the
// configuration slot selected; Clear empties the whole scratchpad. The Scratch button loads, its
// right button opens saveScratchMenu.

#include <QObject>
#include <QPoint>
#include <functional>

namespace tavik {

class M;
struct FormState;
struct SharedState;
class SettingsStore;

class ScratchpadCommands : public QObject {
public:
    explicit ScratchpadCommands(M &editor);

    // The Scratch button, its right button and saveScratchMenu's entries.
    void connectControls();

    void saveScratch();
    void loadScratch();
    void clearScratchpad();
    void scratchMouseDown(const QPoint &globalPos);

private:
    // Runs a command's work on the frame and slot shown with the field handlers held; no frame or
    // slot to work on, or a failing store, is reported under procName.
    void scratchCommand(const QString &procName, const std::function<void(int f, int c, SettingsStore &store)> &work);

    M &m_editor;
    SharedState &m_state;
    FormState &m_form;
};

} // namespace tavik
