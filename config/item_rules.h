#pragma once
// The rules a value typed for an item must keep, as plain functions over texts: for programs that
// set values without the editor's fields (the editor applies the same rules to its controls).

#include <QString>

namespace tavik {

struct CPItem;

struct ValueCheck {
    QString value; // the value as it is to be stored (upper-cased for allCaps items)
    QString reason; // why the value is refused; empty when it is accepted
    bool accepted() const { return reason.isEmpty(); }
};

// Whether the item's property lives at the document level (documentLevel) or in configurations.
bool itemLivesAt(const CPItem &item, bool documentLevel);

// Checks a new value for item at the document level or in a configuration: the item must take
// typed values (not a composite, a system value, a serial number or an item marked not editable),
// live at that level, and the value (upper-cased for allCaps) must fit length, be an entry of a
// list item, and match the prototype. An empty value is always accepted where the item can be set.
ValueCheck checkItemValue(const CPItem &item, const QString &value, bool documentLevel);

} // namespace tavik
