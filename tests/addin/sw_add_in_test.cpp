// The add-in over the bundled host: connecting, and whole runs of the menu command with the
// editor shown and closed without a person.

#include "addin/sw_add_in.h"
#include "editor/m.h"
#include "host/host_application.h"
#include "host/host_calls.h"
#include "platform/scripted_prompts.h"
#include "scratch_base.h"
#include "test_application.h"

#include <QApplication>

using namespace tavik;

namespace {

class AddinRun : public ScratchTest {
protected:
    AddinRun()
        : ScratchTest(QStringLiteral("addin"))
    {
    }

    void SetUp() override
    {
        ScratchTest::SetUp();
        if (HasFatalFailure())
            return;
        testApplication();
        qputenv("TAVIK_SETTINGS", dir.filePath(QStringLiteral("settings.sqlite")).toLocal8Bit());
        for (const char *file : {"Tavik.xsd", "Tavik.xml"})
            write(QStringLiteral("addin/") + file, readFile(QStringLiteral(TAVIK_SOURCE_DIR "/data/") + file));
        app = std::make_shared<HostApplication>();
        app->openDocument(write("Bracket.sldprt", readFile(TAVIK_SOURCE_DIR "/data/samples/Bracket.sldprt")));
        addin = std::make_unique<swAddIn>(prompts, dir.filePath("addin"));
    }

    void TearDown() override
    {
        addin.reset();
        ScratchTest::TearDown();
    }

    ScriptedPrompts prompts;
    std::shared_ptr<HostApplication> app;
    std::unique_ptr<swAddIn> addin;
};

} // namespace

TEST_F(AddinRun, ConnectingAddsTheCommandAndDisconnectingRemovesIt)
{
    ASSERT_TRUE(addin->SwAddIn_ConnectToSW(app, 7));
    EXPECT_EQ(addin->menuText(), QStringLiteral("Tavik 1.54 L@") + app->GetMenuName(4));
    const auto items = app->menuItems();
    ASSERT_EQ(items.size(), 2);
    EXPECT_TRUE(items[0].docType == 1 && items[1].docType == 2);
    for (const auto &item : items)
        EXPECT_TRUE(item.cookie == 7 && item.callback == "DispForm");
    EXPECT_TRUE(app->isAttributeRegistered(QStringLiteral("pub_Tavik")) && prompts.boxes().empty());

    EXPECT_TRUE(addin->SwAddIn_DisconnectFromSW());
    EXPECT_TRUE(app->menuItems().isEmpty() && app->statusBarText() == "Thank you for using Tavik");
}

TEST_F(AddinRun, FailedAttributeDefinitionFailsTheConnectionAndLeavesNoCommand)
{
    app->calls()->failCall(QStringLiteral("Register"), 1, 440, QStringLiteral("Automation error"));
    EXPECT_FALSE(addin->SwAddIn_ConnectToSW(app, 3));

    ASSERT_EQ(prompts.boxes().size(), 1u);
    EXPECT_EQ(prompts.boxes()[0].text, QStringLiteral("Error  440 (Automation error) in <ConnectToSW>     "));
    EXPECT_TRUE(app->menuItems().isEmpty() && app->calls()->callsOf(QStringLiteral("RemoveMenu")).size() == 2);
    EXPECT_FALSE(addin->state().runOk || app->pickMenuItem(addin->menuText()));
}

TEST_F(AddinRun, SuccessfulRunsThankTheUserAndStartEachFromTheFileAlone)
{
    ASSERT_TRUE(addin->SwAddIn_ConnectToSW(app, 1));
    std::vector<std::vector<QString>> seen; // frame names per run
    addin->setEditorRunner([&](M &editor) {
        auto &frames = addin->state().frames;
        std::vector<QString> names;
        for (const auto &frame : frames)
            names.push_back(frame.name);
        seen.push_back(names);
        // Leave traces that a following run must not see.
        frames[0].name = QStringLiteral("changed by the first run");
        frames.emplace_back().name = QStringLiteral("extra");
        editor.reject();
    });

    app->pickMenuItem(addin->menuText());
    EXPECT_EQ(app->statusBarText(), QStringLiteral("Thank you for using Tavik"));
    ASSERT_EQ(addin->state().frames.size(), 1u);
    EXPECT_TRUE(addin->state().frames[0].name.isEmpty());

    app->pickMenuItem(addin->menuText());
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_GE(seen[0].size(), 2u);
    EXPECT_EQ(seen[1], seen[0]);
    EXPECT_EQ(app->statusBarText(), QStringLiteral("Thank you for using Tavik"));
    EXPECT_TRUE(prompts.boxes().empty());
}

TEST_F(AddinRun, AnEditorEndingInErrorOrAFailingHostShowsThePendingMessage)
{
    ASSERT_TRUE(addin->SwAddIn_ConnectToSW(app, 1));
    addin->setEditorRunner([&](M &editor) {
        addin->state().runOk = false;
        addin->state().errorTitle = QStringLiteral("Error");
        addin->state().errorMessage = QStringLiteral("Error 2 : 5 (x) in <Save CP>     ");
        editor.reject();
    });
    app->pickMenuItem(addin->menuText());
    EXPECT_EQ(app->statusBarText(), QStringLiteral("Tavik exited with error(s)"));
    ASSERT_EQ(prompts.boxes().size(), 1u);
    EXPECT_EQ(
        prompts.boxes()[0].title + '|' + prompts.boxes()[0].text, "Tavik: Error|Error 2 : 5 (x) in <Save CP>     ");

    // A host that fails before the run has begun: the default texts, never those of the last run.
    app->calls()->failCall(QStringLiteral("SetStatusBarText"), 1, 440, QStringLiteral("Automation error"));
    app->pickMenuItem(addin->menuText());
    ASSERT_EQ(prompts.boxes().size(), 2u);
    EXPECT_EQ(prompts.boxes()[1].title + '|' + prompts.boxes()[1].text,
        "Tavik: Tavik -> Fatal error|Unknown error\r\nExiting");
    EXPECT_EQ(addin->state().frames.size(), 1u);
}
