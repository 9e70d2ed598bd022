#include "config/feed_graph.h"
#include "config/resolution.h"
#include "config/shared_state.h"
#include "platform/runtime_error.h"

#include <gtest/gtest.h>

using namespace tavik;

namespace {

// Models as the loader leaves them, before resolution.
struct Model {
    SharedState s;

    Group &group(int16_t f, int16_t g)
    {
        s.frames.resize(std::max(s.frames.size(), size_t(f) + 1));
        auto &groups = s.frames[size_t(f)].groups;
        groups.resize(std::max(groups.size(), size_t(g) + 1));
        return groups[size_t(g)];
    }
    CPRef item(int16_t f, int16_t g, const QString &tag, int16_t location = DocumentAndConfigurations)
    {
        auto &items = group(f, g).items;
        CPItem it;
        it.f_idx = f, it.g_idx = g, it.i_idx = int16_t(items.size());
        it.CPTag = tag, it.displayName = tag + " label", it.location = location;
        items.push_back(it);
        return it.ref();
    }
    void composite(const CPRef &owner, const QStringList &texts)
    {
        Composite c{owner, {}};
        for (const auto &t : texts)
            c.parts.push_back({owner, 0, t});
        s.frames[size_t(owner.f_idx)].composites.push_back(c);
    }
    CPList &list(int16_t f, int16_t g, const QString &linkTo, const std::vector<CPRef> &members)
    {
        CPList l;
        l.linkTo = linkTo, l.members = members;
        for (const auto &m : members)
            at(m).inList = true;
        return group(f, g).lists.emplace_back(l);
    }
    CPItem &at(const CPRef &r) { return itemAt(s, r); }
};

} // namespace

TEST(Resolution, CompositePartsBindToFirstItemOfTheirFrameOrBecomeLiterals)
{
    // The tiny configuration's model (tests/check) shows a plain binding and a literal; here the
    // first of two items of one tag, a tag of another frame, and locations over several owners.
    Model m;
    m.item(0, 0, "Width"); // frame 0 has no composites
    m.group(1, 0); // a group without items
    const CPRef first = m.item(1, 1, "PartNo", OnlyConfigurations);
    const CPRef second = m.item(1, 1, "PartNo", OnlyConfigurations);
    const CPRef rev = m.item(1, 2, "Rev", OnlyConfigurations);
    const CPRef owner = m.item(1, 2, "Code", OnlyDocument);
    m.composite(owner, {"PartNo", "Width", "Rev", "PartNo"});
    m.composite(m.item(1, 2, "Other", DocumentAndConfigurations), {"Rev"});
    ASSERT_TRUE(doComposites(m.s));
    const auto &p = m.s.frames[1].composites[0].parts;
    EXPECT_TRUE(p[0].ref == first && p[3].ref == first);
    EXPECT_EQ(std::make_pair(p[1].useValue, p[1].ref), std::make_pair(int16_t(-1), owner));
    // One entry per use; the item takes the location of the owner resolved last.
    EXPECT_TRUE(m.at(first).compositeRefs == (std::vector<int16_t>{0, 0}) && m.at(first).location == OnlyDocument);
    EXPECT_TRUE(
        m.at(rev).compositeRefs == (std::vector<int16_t>{0, 1}) && m.at(rev).location == DocumentAndConfigurations);
    EXPECT_TRUE(m.at(second).compositeRefsUpper == -1 && m.at(second).location == OnlyConfigurations);
}

TEST(Resolution, ListsLinkToTheirTargetOrLeaveOrdinaryMembers)
{
    Model m;
    m.item(0, 0, ""); // an item without a tag is no target
    const CPRef finish = m.item(0, 1, "Finish", OnlyDocument);
    const CPRef a = m.item(0, 1, "Paint"), b = m.item(0, 1, "Anodise"), c = m.item(0, 1, "Plate");
    const CPRef u = m.item(0, 1, "U", OnlyConfigurations), v = m.item(0, 1, "V", OnlyConfigurations);
    m.item(1, 0, "Elsewhere");
    m.at(finish).options.resize(5);
    m.composite(m.item(0, 1, "Treatment", OnlyConfigurations), {"Paint"});
    m.list(0, 1, "Finish", {a, b, c});
    m.list(0, 1, "", {u});
    m.list(0, 1, "Elsewhere", {v}); // names an item of another frame only

    ASSERT_TRUE(doComposites(m.s) && doCPLists(m.s));
    const CPRef listRef{0, 1, 0};
    const CPItem &t = m.at(finish);
    EXPECT_EQ(t.type, "list");
    EXPECT_TRUE(t.isListTarget && t.sourceList == listRef && t.listRef.isNone());
    ASSERT_EQ(t.options.size(), 3u);
    EXPECT_EQ(t.options[1].values, (std::array<QString, 3>{"Anodise label", "", ""}));
    EXPECT_EQ(t.options[2].values[0], "Plate label");
    EXPECT_EQ(t.defaultValue, "Paint label");
    const auto &lists = m.s.frames[0].groups[1].lists;
    EXPECT_TRUE(lists[0].linked && lists[0].target == finish);
    for (const CPRef &r : {a, b, c}) {
        EXPECT_TRUE(m.at(r).inList && m.at(r).listIndex == 0 && m.at(r).listRef == listRef);
        // Lists resolve after composites: the list's location wins over the composite's.
        EXPECT_EQ(m.at(r).location, OnlyDocument);
    }
    for (const CPRef &r : {u, v})
        EXPECT_FALSE(m.at(r).inList);
    for (size_t l : {1, 2})
        EXPECT_TRUE(!lists[l].linked && lists[l].members == (std::vector<CPRef>{{0, 0, 0}}));
    EXPECT_EQ(m.at({0, 0, 0}).type, "");

    // Empty collections are valid: a list without members, a frame without groups, a composite
    // without parts.
    Model empty;
    empty.group(0, 0);
    const CPRef target = empty.item(0, 1, "Choice");
    empty.list(0, 1, "Choice", {});
    empty.s.frames.emplace_back();
    empty.composite(empty.item(2, 0, "Code"), {});
    ASSERT_TRUE(doComposites(empty.s) && doCPLists(empty.s));
    EXPECT_TRUE(empty.at(target).options.empty() && empty.at(target).defaultValue.isEmpty());
}

TEST(Resolution, ErrorsGiveTheExitingTextOrReachTheCaller)
{
    Model m;
    m.composite(m.item(0, 0, "Code"), {"Code"});
    m.s.frames[0].composites[0].owner = {0, 0, 7}; // points nowhere
    m.s.runOk = true;
    m.s.errorTitle = "Tavik -> Fatal error";
    EXPECT_FALSE(doComposites(m.s) || m.s.runOk);
    EXPECT_EQ(m.s.errorMessage, "Error  9 (Subscript out of range) in <doComposites>     \r\nExiting");

    // A bad member in the first group of the first frame is reported by the pass itself...
    Model first;
    first.item(0, 0, "T");
    first.list(0, 0, "T", {}).members.push_back({0, 0, 5});
    EXPECT_FALSE(doCPLists(first.s));
    EXPECT_EQ(first.s.errorMessage, "Error  9 (Subscript out of range) in <doCPLists>     \r\nExiting");

    // ...one met later goes on to the command driver; what was resolved before it stays.
    Model later;
    const CPRef t = later.item(0, 0, "T");
    later.list(0, 0, "T", {later.item(0, 0, "M")});
    later.item(0, 1, "U");
    later.list(0, 1, "U", {}).members.push_back({0, 1, 5});
    later.s.errorMessage = "Unknown error\r\nExiting";
    EXPECT_THROW(doCPLists(later.s), RuntimeError);
    EXPECT_TRUE(later.s.errorMessage == "Unknown error\r\nExiting" && later.at(t).type == "list");
}

TEST(Resolution, RingsOfCompositesAndListsAndCompositeTargetsAreRefusedByName)
{
    const auto refusal = [](Model &m) {
        m.s.runOk = true;
        const bool resolved = doComposites(m.s) && doCPLists(m.s);
        EXPECT_FALSE(resolved || m.s.runOk);
        EXPECT_EQ(m.s.currentProc, "doCPLists");
        return m.s.errorMessage.toStdString();
    };
    const std::string ring = "Composites and linked lists feed each other in a ring: ";
    // A list that is its own member's target, a composite that is the target of a list whose
    // member it reads, and a composite that names itself are refused by the ring scripts (e2e).

    // A chain of lists that ends in one: the ring named is the list linked to its own member.
    Model chain;
    const CPRef q = chain.item(0, 0, "Q"), t = chain.item(0, 0, "T");
    const CPRef s = chain.item(0, 0, "S"), z = chain.item(0, 0, "Z");
    chain.list(0, 0, "T", {q});
    chain.list(0, 0, "S", {t});
    chain.list(0, 0, "Z", {s, z});
    EXPECT_EQ(refusal(chain), ring + "Z -> Z\r\nExiting");

    // A composite that feeds a composite reading it back.
    Model pair;
    pair.composite(pair.item(0, 1, "P"), {"Q", "!"});
    pair.composite(pair.item(0, 1, "Q"), {"P"});
    EXPECT_EQ(refusal(pair), ring + "P -> Q -> P\r\nExiting");

    // Without a ring a composite still cannot be a list's target: it would be built and chosen.
    Model plain;
    plain.list(0, 0, "C", {plain.item(0, 0, "M")});
    plain.composite(plain.item(0, 0, "C"), {"A", "-"});
    EXPECT_EQ(refusal(plain), "The composite C cannot be the target of a linked list\r\nExiting");

    // Composites over composites and over list members in a line are no ring, and neither is a
    // chain of lists: a member of one list that is the target of a list resolved after it stays a
    // member of its own list, and chooses from the other.
    Model line;
    line.item(0, 0, "A");
    const CPRef m2 = line.item(0, 0, "M2");
    line.list(0, 0, "A", {line.item(0, 0, "M1"), m2});
    line.composite(line.item(0, 0, "C"), {"M1", "M2"});
    line.composite(line.item(0, 0, "C2"), {"C", "!"});
    line.list(0, 1, "M2", {line.item(0, 1, "N")});
    EXPECT_TRUE(doComposites(line.s) && doCPLists(line.s));
    EXPECT_TRUE(feedingRing(line.s).isEmpty());
    EXPECT_TRUE(line.at(m2).inList && line.at(m2).listRef == (CPRef{0, 0, 0}));
    EXPECT_TRUE(line.at(m2).isListTarget && line.at(m2).sourceList == (CPRef{0, 1, 0}));
}
