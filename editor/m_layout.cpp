// The load handler of M: frame containers, tab strips, pages and one row of controls per item,
// built from the model for every configuration slot, then the document's attribute.

#include "editor/form_design.h"
#include "editor/m.h"

#include "config/error_text.h"
#include "config/layout_limits.h"
#include "config/product.h"
#include "config/shared_state.h"
#include "docsvc/active_document.h"
#include "docsvc/config_enumeration.h"
#include "editor/control_tag.h"
#include "editor/multi_column_combo_box.h"
#include "editor/tab_strip.h"
#include "hostapi/host.h"
#include "platform/runtime_error.h"
#include "widgets/colours.h"
#include "widgets/field_text_box.h"
#include "widgets/twips.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <cfenv>
#include <cmath>

namespace tavik {

namespace {

using form_design::RowHeight;
using form_design::RowStart;

QRect designed(const form_design::Box &box, int rowTop = 0)
{
    return twipsRect(box.left, rowTop + box.top, box.width, box.height);
}
constexpr int LabelChars = 16;
constexpr int UnitsChars = 8;

// The load stops with this code in loadStage when a counter passes its limit.
struct LimitStage {
    static constexpr int16_t Combo = 1, Label = 2, TextBox = 3, Page = 4;
};

[[noreturn]] void limitReached(SharedState &state, int16_t stage)
{
    state.loadStage = stage;
    throw RuntimeError(0, QString());
}

// The stored frame number as a frame index: nearest, halves to even. A number that names no
// frame (below 0, or too large for an index) opens the first frame, as one beyond the last frame
// does: failing would load nothing, and Done would then write defaults over the document's values.
int16_t storedFrame(double value)
{
    if (!std::isfinite(value) || value < -0.5 || value >= 32767.5)
        return 0;
    return static_cast<int16_t>(std::nearbyint(value));
}

template <typename T>
T &at(std::vector<T> &items, int index)
{
    if (index < 0 || size_t(index) >= items.size())
        throw RuntimeError(err::SubscriptRange, errorDescription(err::SubscriptRange));
    return items[size_t(index)];
}

void setTabStop(QWidget *widget, bool on)
{
    widget->setFocusPolicy(on ? Qt::StrongFocus : Qt::NoFocus);
}

} // namespace

bool M::formLoad()
{
    m_state.runOk = false;
    m_state.loadStage = 0;
    m_form.suppressEvents = true;
    m_cFrame->clear();
    m_label->clear();
    m_units->clear();
    m_textBox->clear();
    m_comboBox->clear();
    m_getNext->clear();

    try {
        QStringList entries;
        const bool enumerated = doConfigs(m_state, entries);
        m_configsList->addItems(entries);
        if (!enumerated)
            throw RuntimeError(0, QString());
        // The frames and every counter, before anything is built, so that the report says which
        // limit the whole form passes and where, instead of stopping without a reason halfway.
        if (const auto breach = layoutLimitBreach(m_state.frames, m_configsList->count(), m_frameLimit)) {
            m_state.loadStage = breach->stage;
            throw RuntimeError(0, breach->reason);
        }

        for (size_t f = 0; f < m_state.frames.size(); ++f)
            buildFrame(int(f));
        m_editing->connectFields();
        m_serialNumbers->connectGetNext();
        finishLoad();
    } catch (const std::exception &e) {
        const RuntimeError error = errorFromException(e);
        loadFailed(error.number, error.description);
        return false;
    }
    return true;
}

void M::buildFrame(int f)
{
    Frame &frame = m_state.frames[size_t(f)];
    m_frameSelect->addEntry(frame.name);

    auto *container = new QGroupBox(frame.name, this);
    container->setObjectName(QStringLiteral("CP_Frame_") + QString::number(f));
    container->setGeometry(form_design::FrameContainerPixels.left, form_design::FrameContainerPixels.top,
        form_design::FrameContainerPixels.width, form_design::FrameContainerPixels.height);
    setTag(container, tagNumber(f));
    // Built enabled: a control created in a disabled container takes a state change of its own.
    // Selecting the frame to show leaves the other containers disabled once they are full.
    container->setVisible(true);
    if (m_frameContainers.size() <= size_t(f))
        m_frameContainers.resize(size_t(f) + 1);
    m_frameContainers[size_t(f)] = container;
    frame.frameContainer = container;

    TabStrip *strip = m_gMultiPage->loadAt(f, container);
    frame.tabStrip = strip;
    strip->setGeometry(designed(form_design::TabStrip));
    strip->setVisible(true);
    setTag(strip, tagNumber(f));
    setTabStop(strip, true);
    m_navigation->connectTabStrip(strip, f);

    strip->clearTabs();
    frame.currentTab = 0;
    const int slotCount = m_configsList->count();
    for (size_t g = 0; g < frame.groups.size(); ++g) {
        Group &group = frame.groups[g];
        strip->addTab(int(g) + 1, QStringLiteral("tab") + Str(static_cast<long long>(g)), group.name);
        group.tab = int(g) + 1;
        group.pages.assign(size_t(slotCount), nullptr);
        for (int c = 0; c < slotCount; ++c)
            buildPage(f, int(g), c);
    }
}

void M::buildPage(int f, int g, int c)
{
    Group &group = m_state.frames[size_t(f)].groups[size_t(g)];
    auto *container = static_cast<QWidget *>(m_state.frames[size_t(f)].frameContainer);

    QFrame *page = m_cFrame->load(container);
    if (m_cFrame->overLimit())
        limitReached(m_state, LimitStage::Page);
    group.pages[size_t(c)] = page;
    page->setGeometry(designed(form_design::Page));
    setTag(page, pageTag(f, g, c));
    page->setWindowTitle(m_configsList->item(c)->text());
    page->setVisible(false);
    page->setEnabled(true);
    page->setFrameShape(QFrame::NoFrame);
    colours::setForeColor(page, colours::WindowText);
    // Every field's text area is white: the page gives it to the fields built on it.
    colours::setFieldAreaColor(page, colours::WindowBackground);

    int rowTop = RowStart;
    size_t i = 0;
    while (i < group.items.size()) {
        CPItem &item = group.items[i];
        if (!shownInSlot(item, c)) {
            ++i;
            continue;
        }
        int span = 0;
        if (item.inList) {
            Group &listGroup = at(at(m_state.frames, item.listRef.f_idx).groups, item.listRef.g_idx);
            const CPList &list = at(listGroup.lists, item.listRef.i_idx);
            span = int(list.members.size()) - 1;
            if (span < 0 || i + size_t(span) >= group.items.size())
                throw RuntimeError(err::SubscriptRange, errorDescription(err::SubscriptRange));
        }
        buildRow(f, g, int(i), c, rowTop, span);
        i += size_t(span) + 1;
        rowTop += RowHeight;
    }
}

void M::buildRow(int f, int g, int i, int c, int rowTop, int span)
{
    Group &group = m_state.frames[size_t(f)].groups[size_t(g)];
    auto *page = static_cast<QWidget *>(group.pages[size_t(c)]);
    const size_t slotCount = group.pages.size();

    CPItem &first = group.items[size_t(i)];
    if (first.labelControls.empty())
        first.labelControls.assign(slotCount, nullptr);
    first.labelControls[size_t(c)] = buildLabel(first, page, rowTop, c);

    for (int k = 0; k <= span; ++k) {
        CPItem &member = group.items[size_t(i + k)];
        if (member.valueControls.empty())
            member.valueControls.assign(slotCount, nullptr);
        if (member.unitsControls.empty())
            member.unitsControls.assign(slotCount, nullptr);
        member.valueControls[size_t(c)] = buildValueControl(member, page, rowTop, c, k == 0);
        member.unitsControls[size_t(c)] = buildUnitsControl(member, i, page, rowTop, c);
    }
}

QWidget *M::buildLabel(const CPItem &item, QWidget *page, int rowTop, int c)
{
    QWidget *control = nullptr;
    if (!item.inList) {
        QLabel *label = m_label->load(page);
        if (m_label->overLimit())
            limitReached(m_state, LimitStage::Label);
        label->setText(item.displayName.left(LabelChars));
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        control = label;
    } else {
        MultiColumnComboBox *selector = m_comboBox->load(page);
        if (m_comboBox->overLimit())
            limitReached(m_state, LimitStage::Combo);
        const CPList &list = m_state.frames[size_t(item.listRef.f_idx)]
                                 .groups[size_t(item.listRef.g_idx)]
                                 .lists[size_t(item.listRef.i_idx)];
        for (const CPRef &member : list.members)
            selector->addEntry(itemAt(m_state, member).displayName);
        selector->setListIndex(0);
        selector->setTextAlignment(Qt::AlignRight);
        selector->setDropButtonShown(false);
        colours::setBackColor(selector, colours::WindowBackground);
        colours::setForeColor(selector, colours::DisabledText);
        selector->setEnabled(false);
        setTabStop(selector, false);
        control = selector;
    }
    setTag(control, controlTag(item.f_idx, item.g_idx, item.i_idx, c));
    control->setGeometry(designed(item.inList ? form_design::ListSelector : form_design::Label, rowTop));
    control->setVisible(item.visible);
    control->setEnabled(!item.inList);
    if (!item.inList)
        m_label->advance();
    return control;
}

QWidget *M::buildValueControl(const CPItem &item, QWidget *page, int rowTop, int c, bool tabStop)
{
    QWidget *control = nullptr;
    const QString text = item.type == QLatin1String("composite") ? QString() : item.defaultValue;
    MultiColumnComboBox *combo = nullptr;
    FieldTextBox *box = nullptr;
    if (item.type == QLatin1String("list")) {
        combo = m_comboBox->load(page);
        if (m_comboBox->overLimit())
            limitReached(m_state, LimitStage::Combo);
        combo->setVisibleColumns(2);
        combo->setTextAlignment(Qt::AlignLeft);
        combo->setDropButtonShown(true);
        colours::setBackColor(combo, colours::WindowBackground);
        colours::setForeColor(combo, colours::ButtonText);
        for (size_t o = 0; o < item.options.size(); ++o) {
            combo->addEntry(item.options[o].values[0]);
            combo->setList(int(o), 1, item.options[o].values[1]);
            combo->setList(int(o), 2, item.options[o].values[2]);
        }
        control = combo;
    } else {
        box = m_textBox->load(page);
        if (m_textBox->overLimit())
            limitReached(m_state, LimitStage::TextBox);
        // A length of 0 sets no limit.
        if (item.length > 0)
            box->setLengthLimit(item.length);
        control = box;
    }
    setTabStop(control, tabStop);
    setTag(control, controlTag(item.f_idx, item.g_idx, item.i_idx, c));
    control->setGeometry(designed(form_design::Value, rowTop));
    control->setVisible(item.visible);
    control->setToolTip(item.units);
    control->setEnabled(item.editable);
    // Every field's text area is white, the read-only ones and those of hidden frames as well.
    colours::setBackColor(control, colours::WindowBackground);
    if (combo)
        combo->setValue(text);
    else
        box->setText(text);
    return control;
}

QWidget *M::buildUnitsControl(const CPItem &item, int rowItem, QWidget *page, int rowTop, int c)
{
    QLabel *units = m_units->load(page);
    units->setText(item.units.left(UnitsChars));
    units->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setTag(units, controlTag(item.f_idx, item.g_idx, rowItem, c));
    units->setGeometry(designed(form_design::Units, rowTop));
    units->setVisible(item.visible);
    units->setEnabled(true);
    if (!item.isSerialNumber())
        return units;

    QPushButton *button = m_getNext->load(page);
    setTag(button, controlTag(item.f_idx, item.g_idx, rowItem, c));
    button->setGeometry(designed(form_design::GetNext, rowTop));
    button->setVisible(item.visible);
    button->setEnabled(true);
    return button;
}

void M::finishLoad()
{
    for (QWidget *element : std::initializer_list<QWidget *>{m_cFrame->templateElement(),
             m_gMultiPage->templateElement(), m_label->templateElement(), m_units->templateElement(),
             m_textBox->templateElement(), m_comboBox->templateElement(), m_getNext->templateElement()}) {
        element->setEnabled(false);
        element->setVisible(false);
    }
    setTabStop(m_getNext->templateElement(), false);

    const int lastFrame = int(m_state.frames.size()) - 1;
    if (m_state.defaultFrame > lastFrame)
        m_state.defaultFrame = 0;
    m_frameSelect->setListIndex(m_state.defaultFrame);
    m_state.currentFrame = int16_t(m_frameSelect->listIndex());
    Frame &current = at(m_state.frames, m_state.currentFrame);
    auto *container = static_cast<QWidget *>(current.frameContainer);
    container->setVisible(true);
    container->setEnabled(true);
    current.currentTab = 0;

    m_configsList->setCurrentRow(0);
    m_useConfigs->setChecked(m_state.useConfigs);
    m_configsList->setEnabled(m_useConfigs->isChecked());
    colours::setBackColor(m_configsList, m_useConfigs->isChecked() ? colours::WindowBackground : colours::ButtonFace);
    m_state.activeConfigIndex = 0;

    findOrCreateAttribute();
    // Whether or not values were read, every composite shows what its parts hold.
    buildAllComposites();

    m_form.suppressEvents = false;
    m_form.purged = false;
    m_navigation->frameSelectChange();
    m_navigation->markSelectedConfig();

    m_state.runOk = true;
    setWindowTitle(product::title() + QLatin1Char(' ') + product::version() + m_state.operationLabel);
}

void M::findOrCreateAttribute()
{
    const std::shared_ptr<sw::ModelDoc2> document = activeDocument(m_state);
    const std::shared_ptr<sw::Feature> feature = document->FeatureByName(QStringLiteral("TavikAttribute"));
    if (!feature) {
        // A document seen for the first time: the configuration file's settings stay in force,
        // and the values it already holds are shown; defaults fill only what it lacks, so that
        // Done does not write them over the document's own values.
        m_state.attribute
            = required(required(m_state.attributeDef)
                           ->CreateInstance5(document, nullptr, nullptr, QStringLiteral("TavikAttribute"), 1, 2));
        loadDocumentValues(true);
        return;
    }
    m_state.attribute = required(feature->GetSpecificFeature());
    const double useConfigs
        = required(m_state.attribute->GetParameter(QStringLiteral("USE_CONFIGS")))->GetDoubleValue();
    const double useFrame = required(m_state.attribute->GetParameter(QStringLiteral("USE_FRAME")))->GetDoubleValue();
    m_state.useConfigs = useConfigs != 0.0;
    m_state.defaultFrame = storedFrame(useFrame);
    loadDocumentValues();
}

void M::loadFailed(int number, const QString &description)
{
    m_state.runOk = false;
    m_state.currentProc = QStringLiteral("Form Load");
    m_state.errorTitle = QStringLiteral("Fatal Error");
    m_state.errorMessage
        = exitingErrorText(number, description, m_state.currentProc) + Str(static_cast<long long>(m_state.loadStage));
    unload();
}

} // namespace tavik
