#pragma once
// The configsSelect dialog of Copy From...: opens another part or assembly, lists its document
// level and configurations with the custom properties of the one selected, and copies them into
// the editor's empty fields or into the scratchpad. After every button the editor's document is
// the host's active document again. The load and the buttons can be run without exec().

#include <QDialog>
#include <QStringList>
#include <memory>

class QLabel;
class QListWidget;
class QPushButton;

namespace sw {
class ModelDoc2;
}

namespace tavik {

class CopyTarget;

class ConfigsSelect : public QDialog {
    Q_OBJECT
public:
    explicit ConfigsSelect(CopyTarget &editor);
    ~ConfigsSelect() override;

    // The file to copy from; the load replaces it by the opened document's name.
    void setFilePath(const QString &path) { m_filePath = path; }
    const QString &filePath() const { return m_filePath; }

    // Opens the file and fills the lists. False when the dialog is not to be shown: the file's
    // extension names no part or assembly (the user has been told). A file the host cannot open
    // leaves the lists empty; any other failure is shown and leaves what was filled so far.
    bool formLoad();

    // The user's choices. Each button closes the dialog and activates the editor's document
    // again; a failed activation is shown and Copy to Document then copies nothing.
    void listClick();
    void doneClick();
    void copyScratchClick();
    void cancelClick();
    // Escape and the window's close button cancel.
    void reject() override;

    // Controls, by their designed names.
    QLabel *lbl() const { return m_lbl; }
    QListWidget *list() const { return m_list; }
    QListWidget *CPlist() const { return m_cpList; }
    QPushButton *done() const { return m_done; }
    QPushButton *copyScratch() const { return m_copyScratch; }
    QPushButton *cancel() const { return m_cancel; }

    const std::shared_ptr<sw::ModelDoc2> &otherDocument() const { return m_other; }
    // "" for the document level, else the configuration's name.
    const QString &selectedConfiguration() const { return m_selectedConfig; }
    // The name the editor's document is activated by again.
    const QString &editorDocumentName() const { return m_editorDocName; }
    // The host's active document when the dialog loaded: the editor's.
    const std::shared_ptr<sw::ModelDoc2> &editorDocument() const { return m_editorDoc; }
    // The name a document is activated by: its path, or its title when it has never been saved.
    static QString activationName(sw::ModelDoc2 &doc);
    int openError() const { return m_openError; }
    int activateError() const { return m_activateError; }

private:
    void fillCPlist();
    // True when the editor's document is the active one again; otherwise the user is told.
    bool reactivateEditorDocument();
    void unload(int result);

    CopyTarget &m_editor;
    QLabel *m_lbl = nullptr;
    QListWidget *m_list = nullptr;
    QListWidget *m_cpList = nullptr;
    QPushButton *m_done = nullptr;
    QPushButton *m_copyScratch = nullptr;
    QPushButton *m_cancel = nullptr;

    QString m_filePath;
    std::shared_ptr<sw::ModelDoc2> m_other;
    std::shared_ptr<sw::ModelDoc2> m_editorDoc;
    QString m_editorDocName;
    QString m_selectedConfig;
    QStringList m_propertyNames;
    int m_openError = 0;
    int m_activateError = 0;
    bool m_finished = false;
};

} // namespace tavik
