#pragma once
// The editor window over the bundled host, on the offscreen platform: a document written into a
// scratch folder, a model built in code, prompts answered from a queue.

#include "config/model.h"
#include "editor/m.h"
#include "host/host_application.h"
#include "host/host_calls.h"
#include "host/host_document.h"
#include "platform/scripted_prompts.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

inline QApplication &testApplication()
{
    static int argc = 1;
    static char name[] = "editor-test";
    static char *argv[] = {name, nullptr};
    // Never destroyed: taking it down among the other statics at exit crashes.
    static QApplication *app = new QApplication(argc, argv);
    return *app;
}

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

// Appends a group to frame f (created when missing) and numbers its items.
inline tavik::Group &addGroup(tavik::SharedState &state, int f, const QString &name,
                              std::vector<tavik::CPItem> items)
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

class EditorFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        testApplication();
        ASSERT_TRUE(dir.isValid());
        app = std::make_shared<tavik::HostApplication>();
        state.swApp = app;
        state.attributeDef = app->DefineAttribute(QStringLiteral("pub_Tavik"));
        state.attributeDef->AddParameter(QStringLiteral("USE_CONFIGS"), 2, 0.0, 0);
        state.attributeDef->AddParameter(QStringLiteral("USE_FRAME"), 2, 0.0, 0);
        ASSERT_TRUE(state.attributeDef->Register());
    }

    void TearDown() override
    {
        editor.reset();
        if (HasFailure())
            dir.setAutoRemove(false);
    }

    static QString base()
    {
        const QByteArray tmp = qgetenv("TAVIK_TEST_TMP");
        const QString path = tmp.isEmpty() ? QDir::tempPath() : QString::fromLocal8Bit(tmp);
        QDir().mkpath(path);
        return path;
    }

    // Opens a part titled title with the configurations given; attribute: none when useConfigs
    // is negative, else the stored USE_CONFIGS and USE_FRAME.
    std::shared_ptr<tavik::HostDocument> openPart(const QString &title, const QStringList &configurations,
                                                  double useConfigs = -1, double useFrame = 0)
    {
        QJsonObject doc{{QStringLiteral("type"), 1}, {QStringLiteral("title"), title}};
        doc[QStringLiteral("configurations")] = QJsonArray::fromStringList(configurations);
        if (!configurations.isEmpty())
            doc[QStringLiteral("activeConfiguration")] = configurations.back();
        if (useConfigs >= 0) {
            QJsonObject parameters{{QStringLiteral("USE_CONFIGS"), useConfigs}, {QStringLiteral("USE_FRAME"), useFrame}};
            QJsonObject attribute{{QStringLiteral("name"), QStringLiteral("TavikAttribute")},
                                  {QStringLiteral("definition"), QStringLiteral("pub_Tavik")},
                                  {QStringLiteral("parameters"), parameters}};
            doc[QStringLiteral("attributes")] = QJsonArray{attribute};
        }
        const QString path = dir.filePath(title + QStringLiteral(".sldprt"));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QJsonDocument(doc).toJson());
        f.close();
        return app->openDocument(path);
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
        return qobject_cast<QWidget *>(state.frames[size_t(f)].groups[size_t(g)].pages[size_t(c)]);
    }

    tavik::CPItem &item(int f, int g, int i) { return state.frames[size_t(f)].groups[size_t(g)].items[size_t(i)]; }

    QTemporaryDir dir{base() + QStringLiteral("/editor-XXXXXX")};
    std::shared_ptr<tavik::HostApplication> app;
    tavik::SharedState state;
    tavik::ScriptedPrompts prompts;
    std::unique_ptr<tavik::M> editor;
};
