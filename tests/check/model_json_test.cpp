#include "config/model_json.h"

#include <QJsonArray>
#include <QSet>

#include <gtest/gtest.h>

using namespace tavik;

namespace {

QSet<QString> keysOf(const QJsonObject &o)
{
    const QStringList keys = o.keys();
    return QSet<QString>(keys.begin(), keys.end());
}

QSet<QString> setOf(std::initializer_list<const char *> names)
{
    QSet<QString> s;
    for (const char *n : names)
        s.insert(QString::fromLatin1(n));
    return s;
}

} // namespace

// The JSON is read by people and scripts that know the model's field names: a misspelt or missing
// name, a reference that is not an [f, g, i] array, or a lost option text would mislead them.
TEST(ModelJson, CarriesEveryFieldUnderTheModelsNames)
{
    SharedState s;
    s.useConfigs = true;
    s.defaultFrame = 1;
    s.serverName = "numbers";
    s.serverPort = 70000;
    s.operationLabel = " [local]";
    s.frames.resize(1);
    Frame &f = s.frames[0];
    f.name = "Part";
    f.groups.resize(1);
    Group &g = f.groups[0];
    g.name = "General";
    g.items.resize(2);
    CPItem &a = g.items[0];
    a.CPTag = "Material";
    a.type = "list";
    a.incVal = -2147483647 - 1;
    a.compositeRefs = {0, 0};
    a.compositeRefsUpper = 1;
    a.options.push_back(CPOption{{"Steel", "S235", "7850"}, 2});
    CPItem &b = g.items[1];
    b.i_idx = 1;
    b.inList = true;
    b.listRef = {0, 0, 1};
    b.listIndex = 0;
    g.lists.push_back(CPList{{0, 0, 1}, true, false, true, "Material", {0, 0, 0}, 3, {{0, 0, 1}}});
    f.composites.push_back(Composite{{0, 0, 0}, {CompositePart{{0, 0, 1}, 1, "Name"}, CompositePart{{0, 0, 0}, -1, ", "}}});

    const QJsonObject root = modelToJson(s);
    EXPECT_EQ(keysOf(root), setOf({"settings", "frames"}));

    const QJsonObject settings = root["settings"].toObject();
    EXPECT_EQ(keysOf(settings), setOf({"useConfigs", "defaultFrame", "remoteOperation", "serverName",
                                       "serverPort", "operationLabel"}));
    EXPECT_EQ(settings["serverPort"].toInt(), 70000);
    EXPECT_EQ(settings["operationLabel"].toString(), " [local]");

    const QJsonObject frame = root["frames"].toArray().at(0).toObject();
    EXPECT_EQ(keysOf(frame), setOf({"name", "groups", "composites"}));
    const QJsonObject group = frame["groups"].toArray().at(0).toObject();
    EXPECT_EQ(keysOf(group), setOf({"name", "items", "lists"}));

    const QJsonArray items = group["items"].toArray();
    ASSERT_EQ(items.size(), 2);
    const QJsonObject item = items.at(0).toObject();
    EXPECT_EQ(keysOf(item),
              setOf({"f_idx", "g_idx", "i_idx", "inList", "listRef", "listIndex", "hasPrototype",
                     "saveDefaults", "compositeRefs", "compositeRefsUpper", "isListTarget",
                     "sourceList", "CPTag", "type", "displayName", "units", "sameForAllConfigs",
                     "prototype", "length", "minVal", "maxVal", "incVal", "allCaps", "location",
                     "visible", "editable", "systemWrite", "systemWriteValue", "defaultValue",
                     "options"}));
    EXPECT_EQ(item["listRef"].toArray(), (QJsonArray{9999, 9999, 9999}));
    EXPECT_EQ(item["incVal"].toInteger(), -2147483648LL);
    EXPECT_EQ(item["compositeRefs"].toArray(), (QJsonArray{0, 0}));
    const QJsonObject option = item["options"].toArray().at(0).toObject();
    EXPECT_EQ(keysOf(option), setOf({"values", "useValue"}));
    EXPECT_EQ(option["values"].toArray(), (QJsonArray{"Steel", "S235", "7850"}));
    EXPECT_EQ(option["useValue"].toInt(), 2);
    EXPECT_EQ(items.at(1).toObject()["listRef"].toArray(), (QJsonArray{0, 0, 1}));

    const QJsonObject list = group["lists"].toArray().at(0).toObject();
    EXPECT_EQ(keysOf(list), setOf({"position", "visible", "editable", "linked", "linkTo", "target",
                                   "defaultIndex", "members"}));
    EXPECT_EQ(list["members"].toArray(), (QJsonArray{QJsonArray{0, 0, 1}}));
    EXPECT_EQ(list["defaultIndex"].toInt(), 3);

    const QJsonObject composite = frame["composites"].toArray().at(0).toObject();
    EXPECT_EQ(keysOf(composite), setOf({"owner", "parts"}));
    const QJsonArray parts = composite["parts"].toArray();
    ASSERT_EQ(parts.size(), 2);
    EXPECT_EQ(keysOf(parts.at(0).toObject()), setOf({"ref", "useValue", "text"}));
    EXPECT_EQ(parts.at(1).toObject()["useValue"].toInt(), -1);
    EXPECT_EQ(parts.at(1).toObject()["text"].toString(), ", ");
}
