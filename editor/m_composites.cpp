// Composites and linked items of M: reading a control's tag back into indices, rebuilding the
// composite fields that use an item whenever its value changes, and showing the member of a
// linked list that its target has chosen.

#include "editor/m.h"

#include "config/feed_graph.h"
#include "config/shared_state.h"
#include "editor/field_value.h"
#include "editor/multi_column_combo_box.h"
#include "platform/ignoring_errors.h"
#include "platform/runtime_error.h"
#include "widgets/colours.h"
#include "widgets/field_text_box.h"

#include <QLabel>
#include <QScopedValueRollback>
#include <QTextBoundaryFinder>

namespace tavik {

namespace {

const QString IncompleteHint = QStringLiteral("Highlighted field is incomplete");

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

// The longest start of text of at most limit code units that ends between two characters as the
// reader sees them: a cut never leaves half of a surrogate pair or of a combined character.
QString leftWholeCharacters(const QString &text, int limit)
{
    if (text.size() <= limit)
        return text;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    finder.setPosition(limit);
    const qsizetype end = finder.isAtBoundary() ? limit : finder.toPreviousBoundary();
    return text.left(std::max<qsizetype>(0, end));
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

    // The change handler of an all-capitals field would upper-case the text only while events
    // run; the composite holds the same text either way.
    if (owner.allCaps)
        text = text.toUpper();
    if (auto *box = qobject_cast<FieldTextBox *>(field); box && box->lengthLimit() > 0)
        text = leftWholeCharacters(text, box->lengthLimit());
    setFieldValue(field, text);

    // After the value: the field's own change handler puts the units hint back as it runs.
    if (QWidget *label = slotControl(owner.labelControls, c))
        colours::setForeColor(label, complete ? colours::ButtonText : colours::Incomplete);
    field->setToolTip(complete ? owner.units : IncompleteHint);
}

// Whether a linked list shows a member in slot c: its selector has a selection there.
ListChoice choiceIn(SharedState &state, int c)
{
    return [&state, c](const CPList &list) {
        if (list.members.empty())
            return false;
        QWidget *selector = slotControl(itemAt(state, list.members.front()).labelControls, c);
        return selector && comboOf(selector)->listIndex() >= 0;
    };
}

// Marks a list target as being shown in a slot while it is, so that the members' change handlers
// that showing it sets off cannot show it again from within (a target that is its own member).
class ShowingLinked {
public:
    ShowingLinked(std::vector<std::array<int, 4>> &showing, std::array<int, 4> key)
        : m_showing(showing)
        , m_entered(std::find(showing.begin(), showing.end(), key) == showing.end())
    {
        if (m_entered)
            m_showing.push_back(key);
    }
    ~ShowingLinked()
    {
        if (m_entered)
            m_showing.pop_back();
    }
    ShowingLinked(const ShowingLinked &) = delete;
    ShowingLinked &operator=(const ShowingLinked &) = delete;
    bool entered() const { return m_entered; }

private:
    std::vector<std::array<int, 4>> &m_showing;
    bool m_entered;
};

// Rebuilds in slot c every composite that item owner owns.
void rebuildOwned(SharedState &state, const CPRef &owner, int c)
{
    if (owner.f_idx < 0 || size_t(owner.f_idx) >= state.frames.size())
        outOfRange();
    for (const Composite &composite : state.frames[size_t(owner.f_idx)].composites)
        if (composite.owner == owner)
            rebuildComposite(state, composite, c);
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

void M::rebuildInOrder(const std::vector<CPRef> &starts, int c)
{
    const ListChoice choice = choiceIn(m_state, c);
    QStringList ring;
    const std::vector<CPRef> order = feedOrder(m_state, starts, ring, choice);
    if (!ring.isEmpty()) {
        // A ring has no order to rebuild in. It is told once; the fields stay as they are.
        if (m_ringReported)
            return;
        m_ringReported = true;
        throw RuntimeError(28, ringText(ring));
    }
    for (const CPRef &ref : order)
        rebuildOwned(m_state, ref, c);
}

void M::buildComposites(int f_idx, int g_idx, int i_idx, int c_idx)
{
    // A rebuild under way reaches everything its items feed: the change handlers of the fields it
    // fills come back here, and must not start it over.
    if (m_buildingComposites)
        return;
    guarded(QStringLiteral("buildComposites"), [&] {
        const QScopedValueRollback building(m_buildingComposites, true);
        const CPItem &item = itemAt(m_state, CPRef{int16_t(f_idx), int16_t(g_idx), int16_t(i_idx)});
        rebuildInOrder(fedItems(m_state, item, choiceIn(m_state, c_idx)), c_idx);
        m_state.runOk = true;
    });
}

void M::buildAllComposites()
{
    if (m_buildingComposites)
        return;
    guarded(QStringLiteral("buildComposites"), [&] {
        const QScopedValueRollback building(m_buildingComposites, true);
        for (const Frame &frame : m_state.frames) {
            std::vector<CPRef> owners;
            size_t slotCount = 0;
            for (const Composite &composite : frame.composites) {
                owners.push_back(composite.owner);
                slotCount = std::max(slotCount, itemAt(m_state, composite.owner).valueControls.size());
            }
            for (size_t c = 0; c < slotCount; ++c)
                rebuildInOrder(owners, int(c));
        }
        m_state.runOk = true;
    });
}

void M::dispLinkedItem(int f_idx, int g_idx, int i_idx, int c_idx)
{
    const ShowingLinked showing(m_showingLinked, {f_idx, g_idx, i_idx, c_idx});
    if (!showing.entered())
        return;
    guarded(QStringLiteral("dispLinkedItem"), [&] {
        const CPItem &target = itemAt(m_state, CPRef{int16_t(f_idx), int16_t(g_idx), int16_t(i_idx)});
        if (!target.isListTarget)
            return;
        CPList &list = listAt(m_state, target.sourceList);
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
            const CPItem &shown
                = itemAt(m_state, CPRef{first.f_idx, first.g_idx, int16_t(first.i_idx + selector->listIndex())});
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
