#pragma once
// Saving: Purge and Done. purgeCP deletes every configured property from the document and its
// configurations and tells whether it succeeded (a failure is reported). doneClick writes the
// frame on screen into the document and closes the editor; on a failure it reports "Save CP" and
// stays open.

#include <QObject>

namespace tavik {

class M;
struct FormState;
struct SharedState;
class Prompts;
class RuntimeError;

class Saving : public QObject {
public:
    explicit Saving(M &editor);

    // Done and Purge.
    void connectControls();

    bool purgeCP();
    void doneClick();
    void writeFrameProperties();
    // Done's check for a field that the form has refused (its entry does not match the
    // prototype): shows the first one Done would write and says which it is. True when found.
    bool refuseRejectedEntry();
    void saveFailed(const RuntimeError &error);
    // Done writes into the host's active document. After a Copy From... another document may be
    // active: the editor's own is made active again, and when that fails the user is told and
    // false returned, so that nothing is written into the wrong document.
    bool backOnEditorDocument();

private:
    M &m_editor;
    SharedState &m_state;
    FormState &m_form;
    Prompts &m_prompts;
};

} // namespace tavik
