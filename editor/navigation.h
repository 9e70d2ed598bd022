#pragma once
// Navigation of the editor window between frames, tabs and configuration slots, its About box and
// Quit. Exactly one page is shown: the one of the current frame, that frame's current tab and the
// selected slot.

#include <QObject>

class QWidget;

namespace tavik {

class M;
struct FormState;
struct SharedState;
class TabStrip;

// The handlers are the receivers of the connections they make, so that none outlives them.
class Navigation : public QObject {
public:
    explicit Navigation(M &editor);

    // The frame list, the configuration list, the Use Configurations check box and Quit.
    void connectControls();
    // A tab strip the load has made for frame frameIndex.
    void connectTabStrip(TabStrip *strip, int frameIndex);

    void frameSelectChange();
    void tabClick(int frameIndex);
    void tabDisplayRefresh();
    void configsListClick();
    void useConfigsChange();
    void openAbout();
    void quitClick();

    // Shows the page of frame f's current tab in slot c; the pages of the slot shown before go.
    void showFramePage(int f, int c);
    // Marks the configuration list's current entry as selected.
    void markSelectedConfig();

private:
    QWidget *pageAt(int f, int g, int c) const;
    // The container of frame f when it may stay as it is while the others are taken down.
    QWidget *stayingContainer(int f) const;
    void hideSlotPages(int c);
    void updateFrameCaption(int f, int c);

    M &m_editor;
    SharedState &m_state;
    FormState &m_form;
};

} // namespace tavik
