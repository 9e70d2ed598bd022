// Serial numbers drawn from the local counters of the settings store: asking to create a
// counter, counting through the range, unusable entries, a store that cannot be used, and
// editors in several processes drawing at once.

#include "config/model.h"
#include "platform/scripted_prompts.h"
#include "platform/settings_store.h"
#include "scratch_base.h"
#include "serial/concurrent_draws.h"
#include "serial/counter_store.h"

using namespace tavik;

namespace {

class Counters : public ::testing::Test {
protected:
    Counters()
    {
        serial.prototype = "SN-####";
        serial.minVal = "SN-0100";
        serial.maxVal = "SN-0110";
        serial.incVal = 5;
        key.CPTag = "Project";
    }
    NextNumber draw(const std::optional<QString> &keyValue)
    {
        return getNextNum(serial, keyValue ? &key : nullptr, keyValue, counters, prompts);
    }
    std::optional<QString> stored(const QString &name) { return settings.value("Tavik", "nextSerialNumbers", name); }
    const RecordedBox &lastBox() { return prompts.boxes().back(); }

    QTemporaryDir tmp{scratchBase() + "/counters-XXXXXX"};
    SettingsStore settings{tmp.filePath("settings.sqlite")};
    LocalCounterStore counters{settings};
    ScriptedPrompts prompts;
    CPItem serial, key;
};

TEST_F(Counters, CreatingAskedOnceThenDrawnPerNameIgnoringCase)
{
    prompts.queueAnswer(MessageAnswer::No);
    EXPECT_EQ(draw(QString("4711")).number, -1);
    EXPECT_EQ(stored("Project·4711"), std::nullopt);
    EXPECT_EQ(lastBox().text, "Create a new index for [Project·4711] ?     ");

    prompts.queueAnswer(MessageAnswer::Yes);
    EXPECT_EQ(draw(QString("4711")).number, 100);
    EXPECT_EQ(stored("Project·4711"), QString("1"));
    prompts.queueAnswer(MessageAnswer::Yes);
    EXPECT_EQ(draw(QString("a b")).number, 100); // another key value (another slot's) counts apart
    EXPECT_EQ(draw(QString("A B")).number, 105);
    EXPECT_EQ(draw(QString("4711")).serialKey, "Project·4711");
    EXPECT_EQ(stored("PROJECT·4711"), QString("2"));
    prompts.queueAnswer(MessageAnswer::Yes);
    EXPECT_EQ(draw(std::nullopt).serialKey, "Tavik"); // no key item: the shared counter
    EXPECT_TRUE(prompts.boxes().size() == 4 && !prompts.failed());

    // Created by another editor while the question was open: Yes draws from that counter.
    prompts.setBoxListener([&](const RecordedBox &) {
        SettingsStore(settings.path()).write("Tavik", "nextSerialNumbers", "Project·9", "2");
    });
    prompts.queueAnswer(MessageAnswer::Yes);
    EXPECT_EQ(draw(QString("9")).number, 110);
    EXPECT_EQ(stored("Project·9"), QString("3"));
}

TEST_F(Counters, CountingGoesOnThroughRolloverSetAndReset)
{
    counters.set("Tavik", 2);
    EXPECT_EQ(draw(std::nullopt).number, 110);
    EXPECT_EQ(draw(std::nullopt).number, 100);
    EXPECT_EQ(stored("Tavik"), QString("4"));
    EXPECT_EQ(lastBox().text, "Rollover after maxVal [SN-0110]     ");
    counters.reset("TAVIK");
    EXPECT_EQ(counters.entry("Tavik"), QString("1"));
    EXPECT_THROW(counters.set("Tavik", -1), RuntimeError);
    EXPECT_THROW(counters.set("Tavik", 2147483648LL), RuntimeError);
    EXPECT_EQ(counters.entry("Tavik"), QString("1"));
}

TEST_F(Counters, NoNumberWhenTheKeyOrTheEntryIsUnusable)
{
    // Not an index, or one that cannot advance: -1 without a word, the entry as it was.
    for (const QString text : {"twelve", "-3", "", " 4", "2147483647"}) {
        settings.write("Tavik", "nextSerialNumbers", "Tavik", text);
        EXPECT_EQ(draw(std::nullopt).number, -1);
        EXPECT_EQ(stored("Tavik"), text);
    }
    // A key item without a field in the slot fails before a name is known.
    EXPECT_EQ(getNextNum(serial, &key, std::nullopt, counters, prompts).serialKey, "");
    EXPECT_TRUE(prompts.boxes().empty());

    EXPECT_EQ(draw(QString("")).number, -1);
    EXPECT_EQ(lastBox().text, "Key value [Project] is empty.      ");
    EXPECT_EQ(settings.keys("Tavik", "nextSerialNumbers"), QStringList({"Tavik"}));
}

class BrokenStore : public CounterStore {
public:
    Draw next(const QString &, bool) override { throw SettingsError("Settings store x: disk I/O error"); }
    std::optional<QString> entry(const QString &) override { return std::nullopt; }
    void set(const QString &, int64_t) override { }
    void reset(const QString &) override { }
};

TEST_F(Counters, AStoreThatCannotBeUsedIsReported)
{
    BrokenStore broken;
    EXPECT_EQ(getNextNum(serial, nullptr, std::nullopt, broken, prompts).number, -1);
    EXPECT_EQ(lastBox().text, "Settings store x: disk I/O error");

    // Another editor keeps the store locked: the wait ends at the limit, says why, and neither
    // hands out nor uses up a number.
    counters.set("Tavik", 1);
    qputenv("TAVIK_TIMEOUT", "1");
    SettingsStore waiting(settings.path());
    qunsetenv("TAVIK_TIMEOUT");
    LocalCounterStore blocked(waiting);
    {
        SettingsStore holder(settings.path());
        SettingsStore::Transaction lock(holder);
        EXPECT_EQ(getNextNum(serial, nullptr, std::nullopt, blocked, prompts).number, -1);
        EXPECT_EQ(lastBox().text,
            "Settings store " + settings.path()
                + ": another program keeps the store locked; gave up waiting, nothing was read or changed");
    }
    EXPECT_EQ(draw(std::nullopt).number, 105);
}

TEST_F(Counters, EditorsInSeveralProcessesNeverDrawTheSameIndex)
{
    // A fresh file: the processes also race to create the store and the counter.
    const QString shared = tmp.filePath("shared/settings.sqlite");
    constexpr int processes = 4, draws = 60;
    EXPECT_EQ(drawConcurrently(processes, draws, {"local", shared, "Project·4711"}), eachIndexOnce(processes * draws));
    EXPECT_EQ(SettingsStore(shared).read("Tavik", "nextSerialNumbers", "project·4711", ""),
        QString::number(processes * draws));
}

} // namespace
