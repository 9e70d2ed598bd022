// Navigation of the editor between frames, tabs and configuration slots: exactly one page is
// shown, the one of the current frame, that frame's current tab and the selected slot. Values are
// never moved; every slot keeps its own controls.

#include "editor/navigation.h"

#include "editor/about_box.h"
#include "editor/m.h"
#include "hostapi/host.h"

#include "config/shared_state.h"
#include "editor/multi_column_combo_box.h"
#include "editor/tab_strip.h"
#include "platform/runtime_error.h"
#include "widgets/colours.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>

namespace tavik {

namespace {

[[noreturn]] void outOfRange()
{
    throw RuntimeError(err::SubscriptRange, errorDescription(err::SubscriptRange));
}

Frame &frameAt(SharedState &state, int f)
{
    if (f < 0 || size_t(f) >= state.frames.size())
        outOfRange();
    return state.frames[size_t(f)];
}

QWidget *widget(QObject *object)
{
    auto *w = qobject_cast<QWidget *>(object);
    if (!w)
        throw RuntimeError(err::ObjectNotSet, errorDescription(err::ObjectNotSet));
    return w;
}

void showAndEnable(QWidget *w, bool on)
{
    w->setVisible(on);
    w->setEnabled(on);
}

} // namespace

Navigation::Navigation(M &editor)
    : m_editor(editor)
    , m_state(editor.state())
    , m_form(editor.formState())
{
}

void Navigation::connectControls()
{
    connect(m_editor.frameSelect(), &QComboBox::currentIndexChanged, this, [this] { frameSelectChange(); });
    connect(m_editor.configsList(), &QListWidget::currentRowChanged, this, [this] { configsListClick(); });
    connect(m_editor.useConfigs(), &QCheckBox::toggled, this, [this] { useConfigsChange(); });
    connect(m_editor.Quit(), &QPushButton::clicked, this, [this] { quitClick(); });
}

void Navigation::connectTabStrip(TabStrip *strip, int frameIndex)
{
    connect(strip, &TabStrip::clicked, this, [this, frameIndex] { tabClick(frameIndex); });
}

QWidget *Navigation::pageAt(int f, int g, int c) const
{
    Frame &frame = frameAt(m_state, f);
    if (g < 0 || size_t(g) >= frame.groups.size())
        outOfRange();
    const Group &group = frame.groups[size_t(g)];
    if (c < 0 || size_t(c) >= group.pages.size())
        outOfRange();
    return widget(group.pages[size_t(c)]);
}

void Navigation::hideSlotPages(int c)
{
    for (size_t f = 0; f < m_state.frames.size(); ++f)
        for (size_t g = 0; g < m_state.frames[f].groups.size(); ++g)
            showAndEnable(pageAt(int(f), int(g), c), false);
}

void Navigation::updateFrameCaption(int f, int c)
{
    QListWidgetItem *entry = m_editor.configsList()->item(c);
    if (!entry)
        outOfRange();
    Frame &frame = frameAt(m_state, f);
    static_cast<QGroupBox *>(widget(frame.frameContainer))->setTitle(frame.name + QStringLiteral(": ") + entry->text());
}

void Navigation::markSelectedConfig()
{
    if (QListWidgetItem *entry = m_editor.configsList()->item(m_editor.configsList()->currentRow()))
        entry->setSelected(true);
}

void Navigation::showFramePage(int f, int c)
{
    // Steps 2 to 6 of the refresh: the old slot's pages go, the new slot's page of the current
    // frame and tab comes.
    hideSlotPages(m_state.activeConfigIndex);
    Frame &frame = frameAt(m_state, f);
    // A frame without groups has no page to show; its empty container stays on screen.
    if (!frame.groups.empty()) {
        QWidget *page = pageAt(f, frame.currentTab, c);
        showAndEnable(page, true);
        page->raise();
    }
    m_state.activeConfigIndex = int16_t(c);
    updateFrameCaption(f, c);
    if (QListWidgetItem *entry = m_editor.configsList()->item(c))
        entry->setSelected(true);
}

void Navigation::tabDisplayRefresh()
{
    if (m_form.suppressEvents)
        return;
    showFramePage(m_editor.frameSelect()->listIndex(), m_editor.configsList()->currentRow());
}

QWidget *Navigation::stayingContainer(int f) const
{
    // On screen, hiding the container takes the focus out of it and repaints it: it goes down
    // and up again as before. In a hidden window holding no focus in it, down and up again leave
    // it as it was, after two state changes for each of its thousands of controls.
    if (m_editor.isVisible() || f < 0 || size_t(f) >= m_state.frames.size())
        return nullptr;
    auto *container = qobject_cast<QWidget *>(m_state.frames[size_t(f)].frameContainer);
    QWidget *focus = m_editor.focusWidget();
    if (!container || (focus && (focus == container || container->isAncestorOf(focus))))
        return nullptr;
    return container;
}

void Navigation::frameSelectChange()
{
    if (m_form.suppressEvents)
        return;
    m_editor.guarded(QStringLiteral("Frame Select"), [this] {
        m_state.runOk = false;
        const int f = m_editor.frameSelect()->listIndex();
        QWidget *staying = stayingContainer(f);
        for (int k = 0; k < m_editor.frameSelect()->listCount(); ++k) {
            QWidget *container = widget(frameAt(m_state, k).frameContainer);
            if (container != staying)
                showAndEnable(container, false);
        }
        Frame &frame = frameAt(m_state, f);
        m_state.currentFrame = int16_t(f);
        showAndEnable(widget(frame.frameContainer), true);

        const int selectedTab = static_cast<TabStrip *>(widget(frame.tabStrip))->selectedIndex();
        if (selectedTab > 0) {
            QWidget *page = pageAt(f, selectedTab - 1, m_state.activeConfigIndex);
            showAndEnable(page, true);
            page->raise();
            page->update();
        }
        updateFrameCaption(f, m_editor.configsList()->currentRow());
        m_state.defaultFrame = int16_t(f);
        m_state.runOk = true;
    });
}

void Navigation::tabClick(int frameIndex)
{
    if (m_form.suppressEvents)
        return;
    m_editor.guarded(QStringLiteral("TabStrip Click"), [this, frameIndex] {
        Frame &frame = frameAt(m_state, frameIndex);
        auto *strip = static_cast<TabStrip *>(widget(frame.tabStrip));
        const int selected = strip->selectedIndex();
        if (selected == frame.currentTab + 1)
            return;
        if (m_form.prototypeMismatch) {
            // A rejected entry must not be left behind on a hidden page.
            strip->selectTab(frame.currentTab + 1);
            return;
        }
        showAndEnable(pageAt(frameIndex, frame.currentTab, m_state.activeConfigIndex), false);
        QWidget *page = pageAt(frameIndex, selected - 1, m_state.activeConfigIndex);
        page->setVisible(true);
        page->raise();
        frame.currentTab = int16_t(selected - 1);
        tabDisplayRefresh();
    });
}

void Navigation::configsListClick()
{
    if (m_form.suppressEvents)
        return;
    // No error name of its own; an error is still reported, never let through the signal.
    m_editor.guarded(QStringLiteral("Configs List Click"), [this] {
        if (m_form.prototypeMismatch) {
            m_editor.configsList()->setCurrentRow(m_state.activeConfigIndex);
            markSelectedConfig();
            return;
        }
        showFramePage(m_editor.frameSelect()->listIndex(), m_editor.configsList()->currentRow());
    });
}

void Navigation::useConfigsChange()
{
    m_editor.guarded(QStringLiteral("Use Configs"), [this] {
        QListWidget *configsList = m_editor.configsList();
        if (m_editor.useConfigs()->isChecked()) {
            configsList->setEnabled(true);
            colours::setBackColor(configsList, colours::WindowBackground);
            markSelectedConfig();
        } else {
            // Back to the document slot before the list is locked.
            configsList->setCurrentRow(0);
            configsList->setEnabled(false);
            colours::setBackColor(configsList, colours::ButtonFace);
        }
        m_state.useConfigs = m_editor.useConfigs()->isChecked();
        m_state.runOk = true;
    });
}

void Navigation::openAbout()
{
    AboutBox box(&m_editor);
    box.exec();
}

void Navigation::quitClick()
{
    m_editor.guarded(QStringLiteral("Quit"), [this] {
        // The attribute's own follow-up after a purge; nothing is written to the document.
        if (m_form.purged && m_state.attribute)
            m_state.attribute->AfterPurge(0);
    });
    m_state.runOk = true;
    m_editor.unload();
    m_editor.reject();
}

} // namespace tavik
