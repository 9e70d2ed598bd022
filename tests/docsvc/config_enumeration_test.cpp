#include "document_fixture.h"

#include "docsvc/config_enumeration.h"

#include <QJsonArray>

using namespace tavik;

using ConfigEnumeration = DocumentFixture;

TEST_F(ConfigEnumeration, EntriesFollowTitleAndConfigurations)
{
    struct Case {
        QString title;
        QStringList configs;
        QString active;
        QStringList entries;
        int activeIndex;
    };
    const Case cases[] = {
        {"Bracket", {}, {}, {"<Bracket>"}, 0},
        {"Plate.v2.SLDPRT", {"Short", "Long", "Wide"}, "Wide", {"<Plate>", "Short", "Long", "Wide"}, 3},
        // No active configuration: nothing matches, and that is no error.
        {"Nut.sldprt", {"Default"}, {}, {"<Nut>", "Default"}, 0},
    };
    int n = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.title.toStdString());
        QJsonObject doc{{"title", c.title}, {"configurations", QJsonArray::fromStringList(c.configs)}};
        if (!c.active.isEmpty())
            doc["activeConfiguration"] = c.active;
        open(QStringLiteral("doc%1.sldprt").arg(n++), doc);
        state.activeConfigIndex = 7;
        QStringList list;
        ASSERT_TRUE(doConfigs(state, list)) << state.errorMessage.toStdString();
        EXPECT_EQ(list, c.entries);
        EXPECT_EQ(state.activeConfigIndex, c.activeIndex);
    }
}

TEST_F(ConfigEnumeration, FailingHostCallGivesTheMessageAndKeepsEntries)
{
    open("a.sldprt", {{"title", "Arm.sldprt"}, {"configurations", QJsonArray{"Default", "Long"}}});
    calls().failCall("GetConfigurationNames", 1, 5, "Invalid procedure call or argument");
    state.runOk = true;
    QStringList list;
    EXPECT_FALSE(doConfigs(state, list) || state.runOk);
    EXPECT_EQ(list, QStringList{"<Arm>"});
    EXPECT_EQ(state.errorMessage, "Error  5 (Invalid procedure call or argument) in <doConfigs>     \r\nExiting");

    app->closeDocument(app->activeDocument());
    EXPECT_FALSE(doConfigs(state, list));
    EXPECT_EQ(state.errorMessage,
        "Error  91 (Object variable or With block variable not set) in <doConfigs>     \r\nExiting");
}
