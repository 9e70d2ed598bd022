#pragma once
// Copy From... on the editor's side: the Copy button asks for another part or assembly file and
// shows the configsSelect dialog over it, which fills the empty fields of the frame on screen in
// the selected slot from one level of that document (configuration "" is its document level);
// fields that hold a value keep it.

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

namespace sw {
class ModelDoc2;
}

namespace tavik {

class M;
struct CPItem;
struct FormState;
struct SharedState;
class Prompts;

class CopyFrom : public QObject {
public:
    explicit CopyFrom(M &editor);

    // The Copy button.
    void connectControls();

    void copyClick();
    // The editor's loadFromDoc, which the configsSelect dialog runs.
    void loadFromDoc(sw::ModelDoc2 *source, const QString &configuration);
    // Gives field (f, g, i) of slot c the text value() returns when the field is empty: a text
    // box while it holds no text, a combo box while it has no selection nor text (its first entry
    // when the text is none of its entries); then rebuilds what depends on it. Copy From... and
    // the scratchpad's Load fill through it.
    void fillEmptyField(const CPItem &item, int f, int g, int i, int c, const std::function<QString()> &value);

    // The document the editor was opened on, known once a Copy From... has made another active;
    // null before.
    const std::shared_ptr<sw::ModelDoc2> &editorDocument() const { return m_editorDocument; }

private:
    M &m_editor;
    SharedState &m_state;
    FormState &m_form;
    Prompts &m_prompts;
    std::shared_ptr<sw::ModelDoc2> m_editorDocument;
};

} // namespace tavik
