#include "addin/runtime_error.h"
#include "config/model.h"
#include "config/resolution.h"

#include <gtest/gtest.h>

using namespace tavik;

namespace {

// Builds models the way the loader leaves them, before resolution.
struct Model {
    SharedState s;

    Group &group(int16_t f, int16_t g)
    {
        if (s.frames.size() <= size_t(f))
            s.frames.resize(size_t(f) + 1);
        auto &groups = s.frames[size_t(f)].groups;
        if (groups.size() <= size_t(g))
            groups.resize(size_t(g) + 1);
        return groups[size_t(g)];
    }

    CPRef item(int16_t f, int16_t g, const QString &tag, int16_t location = DocumentAndConfigurations)
    {
        auto &items = group(f, g).items;
        CPItem it;
        it.f_idx = f;
        it.g_idx = g;
        it.i_idx = int16_t(items.size());
        it.CPTag = tag;
        it.displayName = tag + " label";
        it.type = "standard";
        it.location = location;
        items.push_back(it);
        return it.ref();
    }

    void composite(const CPRef &owner, const QStringList &texts)
    {
        Composite c;
        c.owner = owner;
        for (const auto &t : texts)
            c.parts.push_back({owner, 0, t});
        s.frames[size_t(owner.f_idx)].composites.push_back(c);
    }

    CPList &list(int16_t f, int16_t g, const QString &linkTo, const std::vector<CPRef> &members)
    {
        CPList l;
        l.position = members.empty() ? CPRef{f, g, 0} : members.front();
        l.linkTo = linkTo;
        l.members = members;
        for (const auto &m : members) {
            auto &it = at(m);
            it.inList = true;
            it.listRef = l.position;
        }
        group(f, g).lists.push_back(l);
        return group(f, g).lists.back();
    }

    CPItem &at(const CPRef &r) { return itemAt(s, r); }
};

} // namespace

TEST(Resolution, CompositePartsBindToFirstItemOfTheirFrameOrBecomeLiterals)
{
    Model m;
    // Frame 0 has no composites; its "Width" must not be found from frame 1.
    m.item(0, 0, "Width");
    m.item(1, 0, "Lead");
    m.group(1, 1);                                   // a group without items
    const CPRef first = m.item(1, 2, "PartNo", OnlyConfigurations);
    const CPRef second = m.item(1, 2, "PartNo", OnlyConfigurations);
    const CPRef rev = m.item(1, 3, "Rev", OnlyConfigurations);
    const CPRef owner = m.item(1, 3, "Code", OnlyDocument);
    const CPRef other = m.item(1, 3, "Other", DocumentAndConfigurations);
    m.composite(owner, {"PartNo", "-", "Rev", "Width", "PartNo"});
    m.composite(other, {"Rev"});

    ASSERT_TRUE(doComposites(m.s));

    const auto &parts = m.s.frames[1].composites[0].parts;
    EXPECT_EQ(parts[0].ref, first);
    EXPECT_EQ(parts[0].useValue, 0);
    EXPECT_EQ(parts[1].useValue, -1);                // literal: the owner's reference stays
    EXPECT_EQ(parts[1].ref, owner);
    EXPECT_EQ(parts[2].ref, rev);
    EXPECT_EQ(parts[3].useValue, -1);                // an item of another frame is a literal too
    EXPECT_EQ(parts[3].ref, owner);
    EXPECT_EQ(parts[4].ref, first);

    // One entry per use, in resolution order; the item takes the location of the last owner.
    EXPECT_EQ(m.at(first).compositeRefs, (std::vector<int16_t>{0, 0}));
    EXPECT_EQ(m.at(first).compositeRefsUpper, 1);
    EXPECT_EQ(m.at(first).location, OnlyDocument);
    EXPECT_EQ(m.at(rev).compositeRefs, (std::vector<int16_t>{0, 1}));
    EXPECT_EQ(m.at(rev).location, DocumentAndConfigurations);
    EXPECT_TRUE(m.at(second).compositeRefs.empty());
    EXPECT_EQ(m.at(second).compositeRefsUpper, -1);
    EXPECT_EQ(m.at(second).location, OnlyConfigurations);
    EXPECT_TRUE(m.at({0, 0, 0}).compositeRefs.empty());
}

TEST(Resolution, LinkedListTurnsItsTargetIntoASelector)
{
    Model m;
    m.item(0, 0, "Intro");
    m.group(0, 1);                                   // empty group before the list's group
    const CPRef finish = m.item(0, 2, "Finish", OnlyDocument);
    const CPRef a = m.item(0, 2, "Paint", DocumentAndConfigurations);
    const CPRef b = m.item(0, 2, "Anodise", DocumentAndConfigurations);
    const CPRef c = m.item(0, 2, "Plate", OnlyConfigurations);
    const CPRef owner = m.item(0, 2, "Spec", OnlyConfigurations);
    m.at(finish).options.resize(2);
    m.at(finish).defaultValue = "x";
    m.composite(owner, {"Paint"});
    m.list(0, 2, "Finish", {a, b, c});

    ASSERT_TRUE(doComposites(m.s));
    ASSERT_TRUE(doCPLists(m.s));

    const CPRef listRef{0, 2, 0};
    const CPItem &t = m.at(finish);
    EXPECT_EQ(t.type, "list");
    EXPECT_TRUE(t.isListTarget);
    EXPECT_EQ(t.sourceList, listRef);
    EXPECT_EQ(t.listRef, listRef);
    ASSERT_EQ(t.options.size(), 3u);
    EXPECT_EQ(t.options[0].values[0], "Paint label");
    EXPECT_EQ(t.options[1].values[0], "Anodise label");
    EXPECT_EQ(t.options[2].values[0], "Plate label");
    EXPECT_EQ(t.options[2].values[1], "");
    EXPECT_EQ(t.options[2].useValue, 0);
    EXPECT_EQ(t.defaultValue, "Paint label");

    const CPList &l = m.s.frames[0].groups[2].lists[0];
    EXPECT_TRUE(l.linked);
    EXPECT_EQ(l.target, finish);
    EXPECT_EQ(l.members, (std::vector<CPRef>{a, b, c}));
    for (const CPRef &r : {a, b, c}) {
        EXPECT_TRUE(m.at(r).inList);
        EXPECT_EQ(m.at(r).listIndex, 0);
        EXPECT_EQ(m.at(r).listRef, listRef);
        // Lists resolve after composites, so the list's location wins over the composite's.
        EXPECT_EQ(m.at(r).location, OnlyDocument);
    }
}

TEST(Resolution, UnlinkedListsLeaveOrdinaryMembers)
{
    Model m;
    m.item(0, 0, "");                                // an item without a tag is no target
    const CPRef a = m.item(0, 0, "A", OnlyConfigurations);
    const CPRef b = m.item(0, 0, "B", OnlyConfigurations);
    const CPRef c = m.item(0, 0, "C", OnlyConfigurations);
    m.item(1, 0, "Elsewhere", OnlyDocument);
    m.list(0, 0, "", {a});
    m.list(0, 0, "Missing", {b});
    m.list(0, 0, "Elsewhere", {c});                  // names an item of another frame only

    ASSERT_TRUE(doCPLists(m.s));

    for (const CPRef &r : {a, b, c}) {
        EXPECT_FALSE(m.at(r).inList);
        EXPECT_EQ(m.at(r).location, OnlyConfigurations);
        EXPECT_EQ(m.at(r).listIndex, NoList);
    }
    for (const auto &l : m.s.frames[0].groups[0].lists) {
        EXPECT_FALSE(l.linked);
        EXPECT_EQ(l.members, (std::vector<CPRef>{{0, 0, 0}}));
    }
    EXPECT_EQ(m.at({0, 0, 0}).type, "standard");
    EXPECT_EQ(m.at({1, 0, 0}).type, "standard");
}

TEST(Resolution, EmptyCollectionsAreValid)
{
    Model m;
    m.group(0, 0);
    m.group(0, 1);
    const CPRef target = m.item(0, 1, "Choice");
    m.list(0, 1, "Choice", {});
    m.s.frames.emplace_back();                       // a frame without groups
    m.group(2, 0);
    const CPRef owner = m.item(2, 0, "Code");
    m.composite(owner, {});

    ASSERT_TRUE(doComposites(m.s));
    ASSERT_TRUE(doCPLists(m.s));
    EXPECT_EQ(m.at(target).type, "list");
    EXPECT_TRUE(m.at(target).options.empty());
    EXPECT_EQ(m.at(target).defaultValue, "");

    SharedState nothing;
    nothing.frames.clear();
    EXPECT_TRUE(doComposites(nothing));
    EXPECT_TRUE(doCPLists(nothing));
}

TEST(Resolution, ErrorsGiveTheExitingTextOrReachTheCaller)
{
    Model m;
    const CPRef owner = m.item(0, 0, "Code");
    m.composite(owner, {"Code"});
    m.s.frames[0].composites[0].owner = {0, 0, 7};   // points nowhere
    m.s.runOk = true;
    m.s.errorTitle = "Tavik -> Fatal error";
    EXPECT_FALSE(doComposites(m.s));
    EXPECT_FALSE(m.s.runOk);
    EXPECT_EQ(m.s.currentProc, "doComposites");
    EXPECT_EQ(m.s.errorMessage, "Error  9 (Subscript out of range) in <doComposites>     \r\nExiting");
    EXPECT_EQ(m.s.errorTitle, "Tavik -> Fatal error");

    // A bad member in the first group of the first frame is reported by the pass itself...
    Model first;
    first.item(0, 0, "T");
    first.list(0, 0, "T", {}).members.push_back({0, 0, 5});
    first.s.runOk = true;
    EXPECT_FALSE(doCPLists(first.s));
    EXPECT_FALSE(first.s.runOk);
    EXPECT_EQ(first.s.currentProc, "doCPLists");
    EXPECT_EQ(first.s.errorMessage, "Error  9 (Subscript out of range) in <doCPLists>     \r\nExiting");

    // ...one met later goes on to the command driver, with what was resolved before it kept.
    Model later;
    const CPRef t0 = later.item(0, 0, "T");
    const CPRef m0 = later.item(0, 0, "M");
    later.list(0, 0, "T", {m0});
    later.item(0, 1, "U");
    later.list(0, 1, "U", {}).members.push_back({0, 1, 5});
    later.s.runOk = true;
    later.s.errorMessage = "Unknown error\r\nExiting";
    EXPECT_THROW(doCPLists(later.s), RuntimeError);
    EXPECT_EQ(later.s.errorMessage, "Unknown error\r\nExiting");
    EXPECT_EQ(later.at(t0).type, "list");
    EXPECT_TRUE(later.at(m0).inList);
}
