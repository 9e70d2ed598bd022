// Composites and linked items of M: reading a control's tag back into indices, rebuilding the
// composite fields that use an item whenever its value changes, and showing the member of a
// linked list that its target has chosen.

#include "editor/m.h"

#include "addin/runtime_error.h"
#include "config/model.h"
#include "editor/colours.h"
#include "editor/field_text_box.h"
#include "editor/field_value.h"
#include "editor/ignoring_errors.h"
#include "editor/multi_column_combo_box.h"

#include <QLabel>

namespace tavik {

namespace {

const QString IncompleteHint = QStringLiteral("Highlighted field is incomplete");

// A composite field may itself be a part of another composite: putting its text in runs its own
// change handler, which rebuilds the next one. Composites that use each other in a ring would do
// so without end; past this depth the rebuild stops with "Out of stack space".
constexpr int MaxCompositeNesting = 64;
int compositeNesting = 0;

struct NestingLevel {
    NestingLevel()
    {
        if (compositeNesting >= MaxCompositeNesting)
            throw RuntimeError(28, QStringLiteral("Out of stack space"));
        ++compositeNesting;
    }
    ~NestingLevel() { --compositeNesting; }
    NestingLevel(const NestingLevel &) = delete;
    NestingLevel &operator=(const NestingLevel &) = delete;
};

[[noreturn]] void outOfRange()
{
    throw RuntimeError(err::SubscriptRange, errorDescription(err::SubscriptRange));
}

// A decimal integer with an optional sign that fits 16 bits.
bool readTagNumber(const QString &piece, int16_t &out)
{
    if (piece.isEmpty())
        return false;
    for (qsizetype k = 0; k < piece.size(); ++k) {
        const QChar ch = piece[k];
        if (!(ch.isDigit() && ch.unicode() < 128) && !(k == 0 && (ch == u'-' || ch == u'+')))
            return false;
    }
    bool ok = false;
    const int value = piece.toInt(&ok, 10);
    if (!ok || value < INT16_MIN || value > INT16_MAX)
        return false;
    out = int16_t(value);
    return true;
}

CPList &listAt(SharedState &state, const CPRef &ref)
{
    if (ref.f_idx < 0 || size_t(ref.f_idx) >= state.frames.size())
        outOfRange();
    Frame &frame = state.frames[size_t(ref.f_idx)];
    if (ref.g_idx < 0 || size_t(ref.g_idx) >= frame.groups.size())
        outOfRange();
    Group &group = frame.groups[size_t(ref.g_idx)];
    if (ref.i_idx < 0 || size_t(ref.i_idx) >= group.lists.size())
        outOfRange();
    return group.lists[size_t(ref.i_idx)];
}

CPItem &firstMember(SharedState &state, const CPList &list)
{
    if (list.members.empty())
        outOfRange();
    return itemAt(state, list.members.front());
}

// The list selector of slot c: the first member's label place holds it.
MultiColumnComboBox *selectorOf(const CPItem &first, int c)
{
    return comboOf(requiredSlotControl(first.labelControls, c));
}

// The item a composite part reads in slot c. A part that names the first member of a linked list
// stands for the list: it reads the member chosen in that slot, and nothing (nullptr) while the
// selector has no selection. Any other part reads the item it names.
const CPItem *partItem(SharedState &state, const CPRef &ref, int c)
{
    const CPItem &named = itemAt(state, ref);
    if (!named.inList)
        return &named;
    const CPList &list = listAt(state, named.listRef);
    if (list.members.empty() || !(list.members.front() == named.ref()))
        return &named;
    QWidget *selector = slotControl(named.labelControls, c);
    if (!selector)
        return &named;
    const int chosen = comboOf(selector)->listIndex();
    if (chosen < 0)
        return nullptr;
    return &itemAt(state, CPRef{named.f_idx, named.g_idx, int16_t(named.i_idx + chosen)});
}

// The text a part contributes in slot c; complete becomes false when it has none.
QString partText(SharedState &state, const CompositePart &part, int c, bool &complete)
{
    if (part.useValue < 0 || part.useValue > 2)
        return part.text;
    const CPItem *item = partItem(state, part.ref, c);
    QWidget *control = item ? slotControl(item->valueControls, c) : nullptr;
    if (!control) {
        complete = false;
        return {};
    }
    if (item->type != QLatin1String("list")) {
        const QString value = fieldValue(control);
        if (value.isEmpty())
            complete = false;
        return value;
    }
    MultiColumnComboBox *combo = comboOf(control);
    const int selected = combo->listIndex();
    if (selected < 0) {
        complete = false;
        return {};
    }
    return combo->list(selected, part.useValue);
}

void rebuildComposite(SharedState &state, const Composite &composite, int c)
{
    const CPItem &owner = itemAt(state, composite.owner);
    // An owner not shown in this slot has nothing to show the result in.
    QWidget *field = slotControl(owner.valueControls, c);
    if (!field)
        return;
    // A user's own entry in an editable composite survives until the user empties it.
    if (owner.editable && !fieldValue(field).isEmpty())
        return;

    QString text;
    bool complete = true;
    for (const CompositePart &part : composite.parts)
        text += partText(state, part, c, complete);

    if (auto *box = qobject_cast<FieldTextBox *>(field); box && box->lengthLimit() > 0)
        text = text.left(box->lengthLimit());
    setFieldValue(field, text);

    // After the value: the field's own change handler puts the units hint back as it runs.
    if (QWidget *label = slotControl(owner.labelControls, c))
        colours::setForeColor(label, complete ? colours::ButtonText : colours::Incomplete);
    field->setToolTip(complete ? owner.units : IncompleteHint);
}

void bringForward(QWidget *control, bool enabled)
{
    control->setVisible(true);
    control->setEnabled(enabled);
    control->raise();
}

} // namespace

bool M::splitTag(const QString &tag, int16_t &f_idx, int16_t &g_idx, int16_t &i_idx, int16_t &c_idx)
{
    // At most four pieces: whatever follows the third ":" is the slot's piece.
    QStringList pieces;
    qsizetype start = 0;
    for (int k = 0; k < 3; ++k) {
        const qsizetype colon = tag.indexOf(u':', start);
        if (colon < 0)
            break;
        pieces << tag.mid(start, colon - start);
        start = colon + 1;
    }
    pieces << tag.mid(start);

    int16_t numbers[4] = {};
    bool ok = pieces.size() == 4;
    for (int k = 0; ok && k < 4; ++k)
        ok = readTagNumber(pieces[k], numbers[k]);
    if (!ok) {
        m_state.runOk = false;
        m_state.currentProc = QStringLiteral("splitTag");
        return false;
    }
    f_idx = numbers[0];
    g_idx = numbers[1];
    i_idx = numbers[2];
    c_idx = numbers[3];
    m_state.runOk = true;
    return true;
}

void M::buildComposites(int f_idx, int g_idx, int i_idx, int c_idx)
{
    guarded(QStringLiteral("buildComposites"), [&] {
        NestingLevel level;
        const CPItem *item = &itemAt(m_state, CPRef{int16_t(f_idx), int16_t(g_idx), int16_t(i_idx)});
        if (item->inList) {
            // Composites name a list by its first member; only the chosen member is shown. A
            // member without a place in this slot, or a list with nothing chosen, has no
            // composite to show.
            const CPItem &first = firstMember(m_state, listAt(m_state, item->listRef));
            QWidget *selector = slotControl(first.labelControls, c_idx);
            if (!selector || comboOf(selector)->listIndex() < 0)
                return;
            item = &first;
        }
        if (item->compositeRefsUpper < 0) {
            m_state.runOk = true;
            return;
        }
        if (item->f_idx < 0 || size_t(item->f_idx) >= m_state.frames.size())
            outOfRange();
        const std::vector<Composite> &composites = m_state.frames[size_t(item->f_idx)].composites;
        const int last = std::min<int>(item->compositeRefsUpper, int(item->compositeRefs.size()) - 1);
        for (int k = 0; k <= last; ++k) {
            const int r = item->compositeRefs[size_t(k)];
            if (r < 0 || size_t(r) >= composites.size())
                outOfRange();
            rebuildComposite(m_state, composites[size_t(r)], c_idx);
        }
        m_state.runOk = true;
    });
}

void M::dispLinkedItem(int f_idx, int g_idx, int i_idx, int c_idx)
{
    guarded(QStringLiteral("dispLinkedItem"), [&] {
        const CPItem &target = itemAt(m_state, CPRef{int16_t(f_idx), int16_t(g_idx), int16_t(i_idx)});
        if (!target.isListTarget)
            return;
        CPList &list = listAt(m_state, target.listRef);
        // A list without members has nothing to show.
        if (list.members.empty())
            return;
        const CPItem &first = firstMember(m_state, list);

        for (const CPRef &ref : list.members) {
            ignoringErrors([&] {
                const CPItem &member = itemAt(m_state, ref);
                QWidget *value = requiredSlotControl(member.valueControls, c_idx);
                value->setVisible(false);
                value->setEnabled(false);
                setTabStop(value, false);
                value->lower();
                if (auto *combo = qobject_cast<MultiColumnComboBox *>(value))
                    combo->setListIndex(-1);
                QWidget *units = requiredSlotControl(member.unitsControls, c_idx);
                units->setVisible(false);
                units->setEnabled(false);
            });
        }

        MultiColumnComboBox *selector = selectorOf(first, c_idx);
        const int chosen = comboOf(requiredSlotControl(target.valueControls, c_idx))->listIndex();
        if (chosen < 0) {
            // Nothing chosen: the first member holds the place, greyed.
            selector->setListIndex(-1);
            QWidget *value = requiredSlotControl(first.valueControls, c_idx);
            bringForward(value, false);
            setTabStop(value, false);
            bringForward(requiredSlotControl(first.unitsControls, c_idx), true);
        } else {
            list.defaultIndex = int16_t(chosen);
            selector->setListIndex(chosen);
            const CPItem &shown = itemAt(m_state, CPRef{first.f_idx, first.g_idx,
                                                         int16_t(first.i_idx + selector->listIndex())});
            QWidget *value = requiredSlotControl(shown.valueControls, c_idx);
            bringForward(value, true);
            setTabStop(value, true);
            if (auto *box = qobject_cast<QLineEdit *>(value))
                box->setReadOnly(false);
            else if (auto *combo = qobject_cast<MultiColumnComboBox *>(value); combo && combo->lineEdit())
                combo->lineEdit()->setReadOnly(false);
            bringForward(requiredSlotControl(shown.unitsControls, c_idx), true);
            // Composites that use the list now read the member shown.
            buildComposites(first.f_idx, first.g_idx, first.i_idx, c_idx);
        }
        m_state.runOk = true;
    });
}

} // namespace tavik
