#pragma once
// The editor window M: the fixed controls as designed, the control arrays from which the load
// builds one frame container, tab strip and set of pages per frame, the pop-up menus, the form
// state shared by the editor's handlers, the load, and the composites and linked items that every
// handler keeps up to date. The handlers of each topic (navigation, editing, commands, saving,
// scratchpad, Copy From..., serial numbers) are classes of their own that M owns and hands out.

#include "editor/commands.h"
#include "editor/control_array.h"
#include "editor/copy_from.h"
#include "editor/field_editing.h"
#include "editor/navigation.h"
#include "editor/saving.h"
#include "editor/scratchpad_commands.h"
#include "editor/serial_numbers.h"
#include "transfer/copy_target.h"

#include <QDialog>
#include <QPointer>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;

namespace sw {
class ModelDoc2;
}

namespace tavik {

struct SharedState;
struct CPItem;
struct CPRef;
class Prompts;
class RuntimeError;
class FieldTextBox;
class MultiColumnComboBox;
class TabStrip;

// State of the open form read and written by several of its handlers.
struct FormState {
    bool suppressEvents = false; // the program is changing controls: handlers stand still
    bool prototypeMismatch = false; // a rejected entry holds the editor on its tab and slot
    bool purged = false; // Purge ran since the editor opened
    QString menuTag; // tag of the field whose pop-up menu was opened last
};

class M : public QDialog, public CopyTarget {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 680;
    static constexpr int ClientHeight = 480;

    M(SharedState &state, Prompts &prompts, QWidget *parent = nullptr);
    ~M() override;

    // The load handler, run by the command driver before the window is shown. Builds every
    // frame, page and field from the model and reads the document's attribute. On failure the
    // window has unloaded itself (the frame table is back to one empty frame), runOk is False and
    // errorMessage / errorTitle hold the report.
    bool formLoad();

    // Fills the fields of the frame to be shown from the document, and shows the settings read
    // from it (check box, frame, configuration list). A failure is reported as "CP Load"; the
    // values read until then stay. With onlyHeld (a document the editor has never saved into) a
    // property the document lacks leaves its field's default in place.
    void loadDocumentValues(bool onlyHeld = false);

    // The handlers, each of one topic and wired to the controls and menu entries it serves.
    Navigation &navigation() { return *m_navigation; }
    FieldEditing &editing() { return *m_editing; }
    Commands &commands() { return *m_commands; }
    Saving &saving() { return *m_saving; }
    ScratchpadCommands &scratchpad() { return *m_scratchpad; }
    CopyFrom &copyFrom() { return *m_copyFrom; }
    SerialNumbers &serialNumbers() { return *m_serialNumbers; }

    // Composites and linked items, called by every operation that changes a field's value.
    // Reads a control's tag into frame, group, item and slot. A tag that is not four numbers
    // joined by ":" leaves the results as they were, sets runOk False and currentProc "splitTag",
    // shows no message, and returns false so that the caller can stop.
    bool splitTag(const QString &tag, int16_t &f_idx, int16_t &g_idx, int16_t &i_idx, int16_t &c_idx);
    // Rebuilds in slot c every composite that uses item (f, g, i) and marks it complete or not.
    void buildComposites(int f_idx, int g_idx, int i_idx, int c_idx);
    // Shows in slot c the member of the list that list target (f, g, i) has chosen.
    void dispLinkedItem(int f_idx, int g_idx, int i_idx, int c_idx);
    // Rebuilds every composite of every frame in every slot, parts before the composites they
    // feed: after the load, each composite shows what its parts hold.
    void buildAllComposites();

    // What the configsSelect dialog runs to fill the frame on screen: CopyFrom's loadFromDoc.
    void loadFromDoc(sw::ModelDoc2 *source, const QString &configuration) override;

    // The common error report of the open editor: records the texts and shows them at once.
    void reportError(const RuntimeError &error) override;
    // Runs a handler's work under its error name: an error is reported and the editor stays open.
    void guarded(const QString &procName, const std::function<void()> &work);
    // Hides the window and deletes what the load built, back to one empty frame.
    void unload();

    FormState &formState() { return m_form; }
    SharedState &state() override { return m_state; }
    Prompts &prompts() override { return m_prompts; }
    QWidget &parentWindow() override { return *this; }

    // Upper limit of the last frame index and of the page, label, text box and combo box
    // counters (9999).
    void setCounterLimit(int limit);

    // Fixed controls, by their designed names.
    QGroupBox *framesFrame() const { return m_framesFrame; }
    MultiColumnComboBox *frameSelect() const { return m_frameSelect; }
    QGroupBox *configurationsFrame() const { return m_configurationsFrame; }
    QCheckBox *useConfigs() const { return m_useConfigs; }
    QListWidget *configsList() const { return m_configsList; }
    QPushButton *Defaults() const { return m_defaults; }
    QPushButton *Scratch() const { return m_scratch; }
    QPushButton *Copy() const { return m_copy; }
    QFrame *Line1() const { return m_line1; }
    QPushButton *Clear() const { return m_clear; }
    QFrame *Line2() const { return m_line2; }
    QPushButton *Purge() const { return m_purge; }
    QPushButton *Quit() const { return m_quit; }
    QPushButton *done() const { return m_done; }

    QMenu *serNumMenu() const { return m_serNumMenu; }
    QMenu *valueMenu() const { return m_valueMenu; }
    QMenu *saveScratchMenu() const { return m_saveScratchMenu; }
    QMenu *clearCPmenu() const { return m_clearCPmenu; }

    // Control arrays.
    ControlArray<TabStrip> &gMultiPage() { return *m_gMultiPage; }
    ControlArray<QFrame> &cFrame() { return *m_cFrame; }
    ControlArray<QLabel> &CP_Label() { return *m_label; }
    ControlArray<QLabel> &CP_Units() { return *m_units; }
    ControlArray<FieldTextBox> &CP_TextBox() { return *m_textBox; }
    ControlArray<MultiColumnComboBox> &CP_ComboBox() { return *m_comboBox; }
    ControlArray<QPushButton> &getNext() { return *m_getNext; }

    // The frame containers created by the load, by frame index.
    const std::vector<QPointer<QGroupBox>> &frameContainers() const { return m_frameContainers; }

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    void buildFixedControls();
    void buildMenus();
    void buildTemplates();
    void setKeyboardOrder();

    // Load steps.
    void buildFrame(int f);
    void buildPage(int f, int g, int c);
    void buildRow(int f, int g, int i, int c, int rowTop, int span);
    QWidget *buildLabel(const CPItem &item, QWidget *page, int rowTop, int c);
    QWidget *buildValueControl(const CPItem &item, QWidget *page, int rowTop, int c, bool tabStop);
    QWidget *buildUnitsControl(const CPItem &item, int rowItem, QWidget *page, int rowTop, int c);
    void finishLoad();
    void findOrCreateAttribute();
    void loadFailed(int number, const QString &description);

    // Rebuilds in slot c the composites owned by the items reached from starts, in feeding order.
    // Items that feed each other in a ring are reported once per run, naming them.
    void rebuildInOrder(const std::vector<CPRef> &starts, int c);
    bool m_buildingComposites = false;
    bool m_ringReported = false;
    std::vector<std::array<int, 4>> m_showingLinked;

    SharedState &m_state;
    Prompts &m_prompts;
    FormState m_form;

    QGroupBox *m_framesFrame = nullptr;
    MultiColumnComboBox *m_frameSelect = nullptr;
    QGroupBox *m_configurationsFrame = nullptr;
    QCheckBox *m_useConfigs = nullptr;
    QListWidget *m_configsList = nullptr;
    QPushButton *m_defaults = nullptr;
    QPushButton *m_scratch = nullptr;
    QPushButton *m_copy = nullptr;
    QFrame *m_line1 = nullptr;
    QPushButton *m_clear = nullptr;
    QFrame *m_line2 = nullptr;
    QPushButton *m_purge = nullptr;
    QPushButton *m_quit = nullptr;
    QPushButton *m_done = nullptr;
    QObject *m_loadDlg = nullptr;
    QObject *m_tavikc = nullptr;

    QMenu *m_serNumMenu = nullptr;
    QMenu *m_valueMenu = nullptr;
    QMenu *m_saveScratchMenu = nullptr;
    QMenu *m_clearCPmenu = nullptr;

    std::unique_ptr<ControlArray<TabStrip>> m_gMultiPage;
    std::unique_ptr<ControlArray<QFrame>> m_cFrame;
    std::unique_ptr<ControlArray<QLabel>> m_label;
    std::unique_ptr<ControlArray<QLabel>> m_units;
    std::unique_ptr<ControlArray<FieldTextBox>> m_textBox;
    std::unique_ptr<ControlArray<MultiColumnComboBox>> m_comboBox;
    std::unique_ptr<ControlArray<QPushButton>> m_getNext;

    std::vector<QPointer<QGroupBox>> m_frameContainers;
    int m_frameLimit = DefaultCounterLimit;

    // Declared last, so destroyed first: each handler's connections end with it, before the
    // controls it serves are deleted.
    std::unique_ptr<Navigation> m_navigation;
    std::unique_ptr<FieldEditing> m_editing;
    std::unique_ptr<Commands> m_commands;
    std::unique_ptr<Saving> m_saving;
    std::unique_ptr<ScratchpadCommands> m_scratchpad;
    std::unique_ptr<CopyFrom> m_copyFrom;
    std::unique_ptr<SerialNumbers> m_serialNumbers;
};

} // namespace tavik
