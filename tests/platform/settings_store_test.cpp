#include "platform/settings_store.h"
#include "platform/wait_limit.h"
#include "scratch_base.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <stdexcept>

using namespace tavik;

namespace {

class Settings : public ::testing::Test {
protected:
    QString file(const QString &name) const { return tmp.filePath(name); }
    QTemporaryDir tmp{scratchBase() + "/settings-XXXXXX"};
};

TEST_F(Settings, SectionsAndKeysIgnoreCaseAndKeepTheirWrittenText)
{
    SettingsStore s(file("sub/folder/settings.sqlite"));
    EXPECT_EQ(s.read("Tavik", "Scratch", "PartNo", "none"), "none");
    s.write("Tavik", "Scratch", "PartNo", "  A-1 ");
    s.write("Tavik", "Scratch", "Ärger", "");
    s.write("Tavik", "nextSerialNumbers", "PartNo", "7");
    s.write("TAVIK", "scratch", "PARTNO", "B-2");
    EXPECT_EQ(s.value("Tavik", "Scratch", "ÄRGER"), QString(""));
    EXPECT_EQ(s.keys("tavik", "SCRATCH"), QStringList({"PartNo", "Ärger"}));

    SettingsStore again(s.path()); // another connection sees the same entries
    EXPECT_EQ(again.read("Tavik", "Scratch", "partno", ""), "B-2");
    again.deleteKey("Tavik", "Scratch", "ärger");
    EXPECT_EQ(again.keys("Tavik", "Scratch"), QStringList({"PartNo"}));
    again.deleteSection("Tavik", "SCRATCH");
    again.deleteSection("Tavik", "Scratch"); // deleting what is gone is no fault
    EXPECT_TRUE(s.keys("Tavik", "Scratch").isEmpty());
    EXPECT_EQ(s.read("Tavik", "nextSerialNumbers", "partno", ""), "7");
}

TEST_F(Settings, UpdateHoldsOffOtherWritersAndRollsBackOnFailure)
{
    SettingsStore s(file("settings.sqlite"));
    SettingsStore other(s.path(), 0);
    s.write("Tavik", "c", "n", "1");
    s.update("Tavik", "c", "n", [&](const std::optional<QString> &v) -> std::optional<QString> {
        // Another editor may read meanwhile, but cannot start its own read-and-advance or write.
        EXPECT_EQ(other.read("Tavik", "c", "n", ""), "1");
        EXPECT_THROW(other.update("Tavik", "c", "n", [](auto &) { return QString("9"); }), SettingsError);
        EXPECT_THROW(other.write("Tavik", "c", "m", "x"), SettingsError);
        return QString::number(v->toInt() + 1);
    });
    EXPECT_EQ(other.read("Tavik", "c", "n", ""), "2");

    EXPECT_THROW(s.update("Tavik", "c", "n",
                     [&](auto &) -> std::optional<QString> {
                         s.write("Tavik", "c", "m", "inside");
                         throw std::runtime_error("change failed");
                     }),
        std::runtime_error);
    EXPECT_EQ(s.value("Tavik", "c", "m"), std::nullopt);
    other.write("Tavik", "c", "n", "5"); // no transaction was left open
    s.update("Tavik", "c", "n", [](auto &) { return std::nullopt; });
    EXPECT_EQ(s.read("Tavik", "c", "n", ""), "5");
}

TEST_F(Settings, AFileThatIsNoStoreIsReportedAndLeftAlone)
{
    const QByteArray text = QByteArray("counters kept by hand\n").repeated(200);
    const QString path = writeFile(file("settings.sqlite"), text);
    try {
        SettingsStore s(path);
        ADD_FAILURE() << "a text file was opened as a store";
    } catch (const SettingsError &e) {
        EXPECT_EQ(e.description, "Settings store " + path + ": file is not a database");
    }
    EXPECT_EQ(readFile(path), text);
    ASSERT_TRUE(QDir().mkpath(file("folder.sqlite")));
    EXPECT_THROW(SettingsStore(file("folder.sqlite")), SettingsError);
}

TEST(WaitLimit, WholeSecondsFromOneToAnHourElseTheDefault)
{
    for (const auto &[text, seconds] : std::initializer_list<std::pair<const char *, int>>{
             {"1", 1}, {"3600", 3600}, {"3601", 10}, {"0", 10}, {"x", 10}}) {
        qputenv("TAVIK_TIMEOUT", text);
        EXPECT_EQ(waitLimitSeconds(), seconds) << text;
    }
    qunsetenv("TAVIK_TIMEOUT");
}

TEST_F(Settings, DefaultPathFollowsTheEnvironment)
{
    const QByteArray saved = qgetenv("TAVIK_SETTINGS"), savedXdg = qgetenv("XDG_CONFIG_HOME");
    qunsetenv("TAVIK_SETTINGS");
    qputenv("XDG_CONFIG_HOME", file("xdg").toUtf8());
    EXPECT_EQ(SettingsStore::defaultPath(), file("xdg") + "/Tavik/settings.sqlite");
    qputenv("TAVIK_SETTINGS", file("mine.sqlite").toUtf8());
    EXPECT_EQ(SettingsStore::defaultPath(), file("mine.sqlite"));
    qputenv("TAVIK_SETTINGS", saved);
    qputenv("XDG_CONFIG_HOME", savedXdg);
}

} // namespace
