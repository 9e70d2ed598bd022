#include "editor/m.h"

#include "config/product.h"
#include "config/shared_state.h"
#include "editor/form_design.h"
#include "editor/multi_column_combo_box.h"
#include "editor/tab_strip.h"
#include "platform/prompts.h"
#include "platform/runtime_error.h"
#include "widgets/colours.h"
#include "widgets/designed_controls.h"
#include "widgets/field_text_box.h"
#include "widgets/twips.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <limits>

namespace tavik {

namespace {

QString text(std::string_view s)
{
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

// A horizontal line of the design, one pixel high.
QFrame *line(QWidget *parent, const form_design::Control &c)
{
    auto *frame = new QFrame(parent);
    frame->setObjectName(text(c.name));
    frame->setFrameShape(QFrame::HLine);
    frame->setFrameShadow(QFrame::Plain);
    frame->setLineWidth(1);
    frame->setGeometry(twipsToPixels(c.left), twipsToPixels(c.top), twipsToPixels(c.width), 1);
    return frame;
}

// Names and places a widget as designed; its caption is given where it is made.
void place(QWidget *widget, const form_design::Control &c)
{
    widget->setObjectName(text(c.name));
    widget->setGeometry(twipsRect(c.left, c.top, c.width, c.height));
    if (!c.toolTip.empty())
        widget->setToolTip(text(c.toolTip));
}

QAction *menuEntry(QMenu *menu, const char *name, const QString &caption)
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    return action;
}

void menuSeparator(QMenu *menu, const char *name)
{
    menu->addSeparator()->setObjectName(QLatin1String(name));
}

QMenu *popupMenu(QWidget *parent, const char *name, const QString &caption)
{
    auto *menu = new QMenu(caption, parent);
    menu->setObjectName(QLatin1String(name));
    menu->setTitle(caption);
    return menu;
}

} // namespace

M::M(SharedState &state, Prompts &prompts, QWidget *parent)
    : QDialog(parent)
    , m_state(state)
    , m_prompts(prompts)
{
    setObjectName(QStringLiteral("M"));
    setWindowTitle(product::title());
    setFixedSize(ClientWidth, ClientHeight);
    setSizeGripEnabled(false);
    // The designed positions fit a small dialog font; larger ones crowd the captions.
    QFont small = font();
    small.setPointSize(8);
    setFont(small);

    buildFixedControls();
    buildMenus();
    buildTemplates();
    setKeyboardOrder();

    // Every handler exists before any is wired: a handler's command may call on another's.
    m_navigation = std::make_unique<Navigation>(*this);
    m_editing = std::make_unique<FieldEditing>(*this);
    m_commands = std::make_unique<Commands>(*this);
    m_saving = std::make_unique<Saving>(*this);
    m_scratchpad = std::make_unique<ScratchpadCommands>(*this);
    m_copyFrom = std::make_unique<CopyFrom>(*this);
    m_serialNumbers = std::make_unique<SerialNumbers>(*this);
    m_navigation->connectControls();
    m_commands->connectControls();
    m_serialNumbers->connectMenu();
    m_saving->connectControls();
    m_scratchpad->connectControls();
    m_copyFrom->connectControls();
}

M::~M() = default;

void M::buildFixedControls()
{
    using form_design::control;
    const auto button = [this](const form_design::Control &c) {
        return designedButton(
            this, c.name.data(), text(c.caption), text(c.toolTip), twipsRect(c.left, c.top, c.width, c.height));
    };

    constexpr auto &framesFrame = control("framesFrame");
    m_framesFrame = new QGroupBox(text(framesFrame.caption), this);
    place(m_framesFrame, framesFrame);

    m_frameSelect = new MultiColumnComboBox(m_framesFrame);
    m_frameSelect->setEditable(true);
    place(m_frameSelect, control("frameSelect"));

    constexpr auto &configurationsFrame = control("configurationsFrame");
    m_configurationsFrame = new QGroupBox(text(configurationsFrame.caption), this);
    place(m_configurationsFrame, configurationsFrame);

    constexpr auto &useConfigs = control("useConfigs");
    m_useConfigs = new QCheckBox(text(useConfigs.caption), m_configurationsFrame);
    place(m_useConfigs, useConfigs);
    m_useConfigs->setChecked(false);

    m_configsList = new QListWidget(m_configurationsFrame);
    place(m_configsList, control("configsList"));
    m_configsList->setSelectionMode(QAbstractItemView::SingleSelection);

    m_defaults = button(control("Defaults"));
    m_scratch = button(control("Scratch"));
    m_copy = button(control("Copy"));
    m_line1 = line(this, control("Line1"));
    m_clear = button(control("Clear"));
    m_line2 = line(this, control("Line2"));
    m_purge = button(control("Purge"));
    m_quit = button(control("Quit"));
    m_done = button(control("done"));

    // Without a visual: the file-open dialog goes through the prompts, and the socket is unused.
    m_loadDlg = new QObject(this);
    m_loadDlg->setObjectName(QStringLiteral("Load_Dlg"));
    m_tavikc = new QObject(this);
    m_tavikc->setObjectName(QStringLiteral("Tavikc"));
}

void M::buildMenus()
{
    m_serNumMenu = popupMenu(this, "serNumMenu", QStringLiteral("Serial number..."));
    menuEntry(m_serNumMenu, "clear_Ser_Num", QStringLiteral("Clear"));
    menuSeparator(m_serNumMenu, "mnuSeparator");
    menuEntry(m_serNumMenu, "set", QStringLiteral("Set index to..."));
    menuEntry(m_serNumMenu, "zero", QStringLiteral("Reset index"));
    menuSeparator(m_serNumMenu, "mnuSeperator_5");
    menuEntry(m_serNumMenu, "setLocal", QStringLiteral("Edit serial number field..."));

    m_valueMenu = popupMenu(this, "valueMenu", QStringLiteral("CP Value"));
    menuEntry(m_valueMenu, "clear_value", QStringLiteral("Clear"));
    menuSeparator(m_valueMenu, "mnuSeparator_1");
    menuEntry(m_valueMenu, "copy_value", QStringLiteral("Copy"));
    menuEntry(m_valueMenu, "paste_value", QStringLiteral("Paste"));

    m_saveScratchMenu = popupMenu(this, "saveScratchMenu", QStringLiteral("Save Scratch"));
    menuEntry(m_saveScratchMenu, "save_scratch", QStringLiteral("Save to Scratchpad"));
    menuSeparator(m_saveScratchMenu, "mnuSeparator_2");
    menuEntry(m_saveScratchMenu, "load_scratch", QStringLiteral("Load from Scratchpad"));
    menuSeparator(m_saveScratchMenu, "mnuSeperator_3");
    menuEntry(m_saveScratchMenu, "clear_scratchpad", QStringLiteral("Clear Scratchpad"));

    m_clearCPmenu = popupMenu(this, "clearCPmenu", QStringLiteral("Clear CP Menu"));
    menuEntry(m_clearCPmenu, "clearAllCPValues", QStringLiteral("Clear CP Values from all Configurations"));
    menuSeparator(m_clearCPmenu, "mnuSeperator_4");
    menuEntry(m_clearCPmenu, "clearConfCPValues", QStringLiteral("Clear CP Values from current Configuration"));
}

void M::buildTemplates()
{
    m_gMultiPage = std::make_unique<ControlArray<TabStrip>>(
        QStringLiteral("gMultiPage"),
        [](QWidget *parent) {
            auto *strip = new TabStrip(parent);
            strip->setToolTip(QStringLiteral("CP Group"));
            return strip;
        },
        this);
    m_cFrame = std::make_unique<ControlArray<QFrame>>(
        QStringLiteral("cFrame"), [](QWidget *parent) { return new QFrame(parent); }, this);
    m_cFrame->templateElement()->setWindowTitle(QStringLiteral("cFrame"));
    // Labels get their caption from the load at once; only the templates show their design name.
    m_label = std::make_unique<ControlArray<QLabel>>(
        QStringLiteral("CP_Label"), [](QWidget *parent) { return new QLabel(parent); }, this);
    m_label->templateElement()->setText(QStringLiteral("CP_Label"));
    m_units = std::make_unique<ControlArray<QLabel>>(
        QStringLiteral("CP_Units"), [](QWidget *parent) { return new QLabel(parent); }, this);
    m_units->templateElement()->setText(QStringLiteral("CP_Units"));
    m_textBox = std::make_unique<ControlArray<FieldTextBox>>(
        QStringLiteral("CP_TextBox"), [](QWidget *parent) { return new FieldTextBox(parent); }, this);
    m_comboBox = std::make_unique<ControlArray<MultiColumnComboBox>>(
        QStringLiteral("CP_ComboBox"),
        [](QWidget *parent) {
            auto *combo = new MultiColumnComboBox(parent);
            combo->makeEditable();
            // A document value that is none of the entries is kept whole, however long.
            combo->lineEdit()->setMaxLength(std::numeric_limits<int>::max());
            return combo;
        },
        this);
    m_getNext = std::make_unique<ControlArray<QPushButton>>(
        QStringLiteral("getNext"),
        [](QWidget *parent) {
            auto *button = new QPushButton(QStringLiteral("Get Next"), parent);
            button->setToolTip(QStringLiteral("Right-Click for more options"));
            button->setAutoDefault(false);
            return button;
        },
        this);

    // The designed elements are out of sight until the load has finished with them.
    for (QWidget *element : std::initializer_list<QWidget *>{m_gMultiPage->templateElement(),
             m_cFrame->templateElement(), m_label->templateElement(), m_units->templateElement(),
             m_textBox->templateElement(), m_comboBox->templateElement(), m_getNext->templateElement()})
        element->setGeometry(0, 0, 0, 0);
    // Only the tab strips created from it take the focus: the template never does.
    m_gMultiPage->templateElement()->setFocusPolicy(Qt::NoFocus);
    m_textBox->templateElement()->setFocusPolicy(Qt::NoFocus);
    m_comboBox->templateElement()->setFocusPolicy(Qt::NoFocus);
}

void M::setKeyboardOrder()
{
    // Designed tab indices; frames and templates hold their places but never take the focus.
    const std::vector<std::pair<int, QWidget *>> order = {
        {0, m_frameSelect},
        {1, m_gMultiPage->templateElement()},
        {2, m_done},
        {3, m_quit},
        {4, m_configsList},
        {5, m_defaults},
        {6, m_scratch},
        {7, m_copy},
        {8, m_clear},
        {9, m_useConfigs},
        {10, m_framesFrame},
        {11, m_configurationsFrame},
        {12, m_cFrame->templateElement()},
        {13, m_label->templateElement()},
        {14, m_units->templateElement()},
        {15, m_textBox->templateElement()},
        {16, m_comboBox->templateElement()},
        {17, m_getNext->templateElement()},
        {18, m_purge},
    };
    for (const auto &[index, widget] : order)
        widget->setProperty("tabIndex", index);
    for (size_t k = 1; k < order.size(); ++k)
        QWidget::setTabOrder(order[k - 1].second, order[k].second);
}

void M::setCounterLimit(int limit)
{
    m_frameLimit = limit;
    m_cFrame->setLimit(limit);
    m_label->setLimit(limit);
    m_textBox->setLimit(limit);
    m_comboBox->setLimit(limit);
}

void M::reportError(const RuntimeError &error)
{
    m_state.runOk = false;
    m_state.errorTitle = product::title() + QStringLiteral(": Error");
    m_state.errorMessage = QStringLiteral("Error ") + QString::number(m_state.loadStage) + QStringLiteral(" : ")
        + QString::number(error.number) + QStringLiteral(" (") + error.description + QStringLiteral(") in <")
        + m_state.currentProc + QStringLiteral(">     ");
    m_prompts.message(m_state.errorMessage, m_state.errorTitle, MessageIcon::Critical, MessageButtons::Ok);
}

void M::guarded(const QString &procName, const std::function<void()> &work)
{
    try {
        work();
    } catch (const std::exception &e) {
        m_state.runOk = false;
        m_state.currentProc = procName;
        reportError(errorFromException(e));
    }
}

void M::loadFromDoc(sw::ModelDoc2 *source, const QString &configuration)
{
    m_copyFrom->loadFromDoc(source, configuration);
}

void M::mouseDoubleClickEvent(QMouseEvent *event)
{
    // Only the window's own background: a double click on a frame or page is not for the window.
    if (event->button() == Qt::LeftButton && !childAt(event->position().toPoint()))
        m_navigation->openAbout();
    QDialog::mouseDoubleClickEvent(event);
}

void M::unload()
{
    hide();
    // Children before their containers, so that no array keeps a pointer into a deleted page.
    m_getNext->clear();
    m_units->clear();
    m_textBox->clear();
    m_comboBox->clear();
    m_label->clear();
    m_cFrame->clear();
    m_gMultiPage->clear();
    for (auto &container : m_frameContainers)
        delete container.data();
    m_frameContainers.clear();
    m_state.emptyFrames();
}

} // namespace tavik
