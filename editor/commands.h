#pragma once
// Commands on many fields or on one value: Clear (the frame and slot shown), its menu, Clear all
// configurations, Load defaults, and the value menu's copy, paste and clear.

#include <QObject>
#include <QPoint>

namespace tavik {

class M;
struct FormState;
struct SharedState;
class Prompts;

class Commands : public QObject {
public:
    explicit Commands(M &editor);

    // Clear and its right-button menu, Defaults, and the value menu's entries.
    void connectControls();

    void clearClick();
    void clearMenu(const QPoint &globalPos);
    void clearAllCPValues();
    void clearConfCPValues();
    void defaultsClick();
    void copyValue();
    void pasteValue();
    // Clears the field named by menuTag as the serial-number menu's Clear does.
    void clearValue();

private:
    M &m_editor;
    SharedState &m_state;
    FormState &m_form;
    Prompts &m_prompts;
};

} // namespace tavik
