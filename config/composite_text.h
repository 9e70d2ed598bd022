#pragma once
// A composite's text built from the values of its parts, as a plain function over texts: for
// programs that change values without the editor's fields (the editor builds its composite fields
// from its controls with the same rules).

#include <QString>
#include <functional>

namespace tavik {

struct Composite;
struct CPItem;
struct ConfigurationModel;

struct CompositeText {
    QString text; // cut to the owner's length when it has one
    bool complete = true; // false when a part had no value
};

// valueOf gives an item's current value at the level being built. A literal part adds its text;
// a part naming an item adds its value, or for a "list" item the column useValue of the entry
// whose first text is the value; a part naming the first member of a linked list stands for the
// member that the list's target has chosen. A part without a value leaves the text incomplete.
CompositeText composeText(
    const ConfigurationModel &state, const Composite &composite, const std::function<QString(const CPItem &)> &valueOf);

// The composite whose owner is item, or nullptr.
const Composite *compositeOf(const ConfigurationModel &state, const CPItem &item);

} // namespace tavik
