#pragma once
// tavik-host --edit: one document opened and made active, the add-in's command run on it at once,
// and the document saved to its file when the editor ends with Done. Its outcome is the program's
// exit status with the one line the program prints.

#include <QString>
#include <memory>
#include <optional>

namespace tavik {

class HostApplication;
class HostDocument;
class HostWindow;
class Prompts;

class EditSession {
public:
    // Exit statuses beside 0 (saved after Done), 1 (a script line failed) and 2 (bad arguments).
    static constexpr int NotDone = 3; // the editor ended without Done: nothing was saved
    static constexpr int Failed = 4; // the document could not be opened or saved, or the editor did not run

    struct Outcome {
        int status = Failed;
        QString message; // the line for standard error; empty after a save
        bool tellPerson = false; // nobody has been shown it yet: a person needs it in a box
    };

    EditSession(std::shared_ptr<HostApplication> app, HostWindow &window, Prompts &prompts);
    ~EditSession();

    // Opens the document file and makes it the active document. The outcome when it cannot.
    std::optional<Outcome> open(const QString &path);

    // Runs the add-in's command (the first the Tools menu offers for the document) and returns
    // once the editor has closed; after Done the document is saved, with the host's question
    // before it writes over a file another program has changed meanwhile.
    Outcome run();

private:
    Outcome save();

    std::shared_ptr<HostApplication> m_app;
    HostWindow &m_window;
    Prompts &m_prompts;
    QString m_path;
    std::shared_ptr<HostDocument> m_doc;
};

} // namespace tavik
