#pragma once
// The editor window over the bundled host, on the offscreen platform: a document written into a
// scratch folder, a model built in code, prompts answered from a queue.

#include "config/shared_state.h"
#include "editor/field_value.h"
#include "editor/m.h"
#include "host/host_application.h"
#include "host/host_calls.h"
#include "host/host_document.h"
#include "platform/scripted_prompts.h"
#include "scratch_base.h"
#include "test_application.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

// Model building.
inline tavik::CPItem plainItem(const QString &tag, int16_t location = tavik::DocumentAndConfigurations)
{
    tavik::CPItem item;
    item.CPTag = tag;
    item.type = QStringLiteral("standard");
    item.displayName = tag;
    item.location = location;
    item.visible = true;
    item.editable = true;
    item.defaultValue = tag + QStringLiteral("-default");
    return item;
}

// A list field offering entries, with the given default.
inline tavik::CPItem listItem(const QString &tag, const QStringList &entries, const QString &defaultValue = QString())
{
    tavik::CPItem item = plainItem(tag);
    item.type = QStringLiteral("list");
    for (const QString &entry : entries)
        item.options.push_back(tavik::CPOption{{entry, QString(), QString()}, 0});
    item.defaultValue = defaultValue;
    return item;
}

// A serial-number field counting on the counter its key item names, without a default.
inline tavik::CPItem serialItem(
    const QString &tag, const QString &keyReference = QString(), const QString &prototype = QString())
{
    tavik::CPItem item = plainItem(tag);
    item.type = QStringLiteral("systemRead");
    item.options.push_back(tavik::CPOption{{QStringLiteral("nextSerialNumber"), keyReference, QString()}, 0});
    item.prototype = prototype;
    item.defaultValue.clear();
    return item;
}

// Appends a group to frame f (created when missing) and numbers its items.
inline tavik::Group &addGroup(tavik::SharedState &state, int f, const QString &name, std::vector<tavik::CPItem> items)
{
    while (state.frames.size() <= size_t(f)) {
        state.frames.emplace_back();
        state.frames.back().name = QStringLiteral("Frame%1").arg(state.frames.size() - 1);
    }
    auto &frame = state.frames[size_t(f)];
    frame.groups.emplace_back();
    auto &group = frame.groups.back();
    group.name = name;
    const int16_t g = int16_t(frame.groups.size() - 1);
    for (size_t i = 0; i < items.size(); ++i) {
        items[i].f_idx = int16_t(f);
        items[i].g_idx = g;
        items[i].i_idx = int16_t(i);
    }
    group.items = std::move(items);
    return group;
}

// Makes the items at the given indices of group the members of a new list of that group, in
// that order; the list is not linked to a target.
inline tavik::CPList &makeList(tavik::Group &group, const std::vector<int> &members)
{
    tavik::CPList &list = group.lists.emplace_back();
    for (int m : members) {
        tavik::CPItem &item = group.items.at(size_t(m));
        item.inList = true;
        item.listRef = {item.f_idx, item.g_idx, int16_t(group.lists.size() - 1)};
        item.listIndex = item.listRef.i_idx;
        list.members.push_back(item.ref());
    }
    return list;
}

class EditorFixture : public ScratchTest {
protected:
    EditorFixture()
        : ScratchTest(QStringLiteral("editor"))
    {
    }

    void SetUp() override
    {
        ScratchTest::SetUp();
        if (HasFatalFailure())
            return;
        testApplication();
        // The editor's commands keep counters and the scratchpad here, not in the user's settings.
        settingsPath = dir.filePath("settings.sqlite");
        qputenv("TAVIK_SETTINGS", settingsPath.toLocal8Bit());
        app = std::make_shared<tavik::HostApplication>();
        state.swApp = app;
        state.attributeDef = app->DefineAttribute("pub_Tavik");
        for (const char *parameter : {"USE_CONFIGS", "USE_FRAME"})
            state.attributeDef->AddParameter(parameter, 2, 0.0, 0);
        ASSERT_TRUE(state.attributeDef->Register());
    }

    void TearDown() override
    {
        editor.reset();
        qunsetenv("TAVIK_SETTINGS");
        ScratchTest::TearDown();
    }

    // Opens a part titled title with the configurations given; attribute: none when useConfigs
    // is negative, else the stored USE_CONFIGS and USE_FRAME.
    std::shared_ptr<tavik::HostDocument> openPart(
        const QString &title, const QStringList &configurations, double useConfigs = -1, double useFrame = 0)
    {
        QJsonObject doc{{"type", 1}, {"title", title}, {"configurations", QJsonArray::fromStringList(configurations)}};
        if (!configurations.isEmpty())
            doc["activeConfiguration"] = configurations.back();
        if (useConfigs >= 0)
            doc["attributes"] = QJsonArray{QJsonObject{{"name", "TavikAttribute"}, {"definition", "pub_Tavik"},
                {"parameters", QJsonObject{{"USE_CONFIGS", useConfigs}, {"USE_FRAME", useFrame}}}}};
        return app->openDocument(write(title + ".sldprt", QJsonDocument(doc).toJson()));
    }

    tavik::M &makeEditor()
    {
        editor = std::make_unique<tavik::M>(state, prompts);
        return *editor;
    }

    // Creates the editor and runs its load; the load's outcome is left to the test.
    tavik::M &load()
    {
        makeEditor();
        editor->formLoad();
        return *editor;
    }

    template <typename T = QWidget>
    T *control(const QString &name) const
    {
        return editor->findChild<T *>(name);
    }
    template <typename T = QWidget>
    static T *widgetOf(QObject *object)
    {
        return qobject_cast<T *>(object);
    }
    QWidget *page(int f, int g, int c) const
    {
        return widgetOf(state.frames[size_t(f)].groups[size_t(g)].pages[size_t(c)]);
    }

    tavik::CPItem &item(int f, int g, int i) { return state.frames[size_t(f)].groups[size_t(g)].items[size_t(i)]; }
    // The value field of item (f, g, i) in slot c.
    QString text(int f, int g, int i, int c) { return tavik::fieldValue(item(f, g, i).valueControls.at(size_t(c))); }
    void set(int f, int g, int i, int c, const QString &value)
    {
        tavik::setFieldValue(item(f, g, i).valueControls.at(size_t(c)), value);
    }

    QString settingsPath;
    std::shared_ptr<tavik::HostApplication> app;
    tavik::SharedState state;
    tavik::ScriptedPrompts prompts;
    std::unique_ptr<tavik::M> editor;
};
