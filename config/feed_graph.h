#pragma once
// Which items a change of an item feeds once composites and linked lists are bound: the owners of
// the composites that read it, and the members of the list it chooses from. The editor rebuilds
// composites in this order; the resolution refuses a configuration whose items feed each other in
// a ring, since the editor would then rebuild them without end.

#include <QStringList>
#include <functional>
#include <vector>

namespace tavik {

struct ConfigurationModel;
struct CPItem;
struct CPList;
struct CPRef;

// Whether a linked list has a member chosen; a list without one shows no member to read.
using ListChoice = std::function<bool(const CPList &list)>;

// The items a change of item feeds directly: the owner of every composite that reads the item
// (a list member stands for its list, whose composites read the member chosen, unless choice says
// the list has none), and for a list target every member of its list.
std::vector<CPRef> fedItems(const ConfigurationModel &state, const CPItem &item, const ListChoice &choice = {});

// Every item reachable from starts (themselves included), each once, in an order in which an item
// comes after every item that feeds it. When the items reached feed each other in a ring, the
// result is empty and ring holds the CPTags of the ring's items in order.
std::vector<CPRef> feedOrder(const ConfigurationModel &state, const std::vector<CPRef> &starts, QStringList &ring,
    const ListChoice &choice = {});

// The first ring of items that feed each other, over every frame: the CPTags of its items in
// order (a list whose target is its own member gives that member alone), or empty when there is
// none.
QStringList feedingRing(const ConfigurationModel &state);

// The words that name a ring found by feedOrder or feedingRing: "... in a ring: A -> B -> A".
QString ringText(const QStringList &ring);

// The first list, over every frame, whose target is a composite: that composite's CPTag, or empty.
// Its value would be both built from its parts and chosen from the list.
QString compositeListTarget(const ConfigurationModel &state);

} // namespace tavik
