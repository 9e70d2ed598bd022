#include "platform/scripted_prompts.h"
#include "serial/serial_format.h"

#include <gtest/gtest.h>

using namespace tavik;

namespace {

struct Case {
    const char *proto;
    const char *text;
    int32_t number = -1;
};

TEST(SerialFormat, FormatsAndParsesPlacesLiteralsAndEscapes)
{
    // Display texts; a leading backslash escapes like any other.
    for (Case c :
        std::initializer_list<Case>{{"SN-####", "SN-0042", 42}, {"??-##", "AA-00", 0}, {"??-##", "AM-34", 1234},
            {"X\\#-##", "X#-05", 5}, {"A\\\\#", "A\\#", 5}, {"", "7", 7}, {"SN-####", "", -1}, {"", "", -1},
            {"##", "56", 123456}, {"LOT", "LOT", 99}, {"\\###", "#05", 5}, {"##########", "2147483647", 2147483647}})
        EXPECT_EQ(formatSerialNumber(c.number, c.proto), c.text) << c.proto << " " << c.number;

    ScriptedPrompts prompts;
    for (Case c :
        std::initializer_list<Case>{{"??-##", "AM-34", 1234}, {"??-##", "am-34", -1}, {"X\\#-##", "X\\#-05", 5},
            {"X\\#-##", "X#-05", -1}, {"SN-####", "SN-042", -1}, {"SN-####", "SN-00420", -1},
            {"SN-####", "sn-0042", -1}, {"SN-####", "", -1}, {"", "", -1}, {"LOT", "LOT", 0}, {"", "17", 17},
            {"\\###", "\\#05", 5}, {"A\\\\#", "A\\\\5", -1}, {"??-######", "ZZ-999999", 675999999},
            {"#########", "999999999", 999999999}, {"??????", "ZZZZZZ", 308915775},
            {"??-#######", "AA-x000000", -1}}) // fails a place before the one that would overflow
        EXPECT_EQ(unformatSerialNumber(c.text, c.proto, prompts), c.number) << c.proto << " " << c.text;
    EXPECT_TRUE(prompts.boxes().empty());

    // A prototype whose capacity passes the 32-bit range overflows whatever the digits.
    for (Case c : std::initializer_list<Case>{
             {"??-#######", "AA-0000000"}, {"???????", "AAAAAAA"}, {"", "99999999999999999999"}, {"", "12a"}})
        EXPECT_EQ(unformatSerialNumber(c.text, c.proto, prompts), -1) << c.proto;
    QStringList boxes;
    for (const RecordedBox &box : prompts.boxes())
        boxes << box.text;
    EXPECT_EQ(boxes,
        QStringList({"Overflow\r\nin unformatSerialNumber", "Overflow\r\nin unformatSerialNumber",
            "Overflow\r\nin unformatSerialNumber", "Type mismatch\r\nin unformatSerialNumber"}));
}

TEST(SerialFormat, IndicesMapIntoTheRangeAndWrapWithACaution)
{
    ScriptedPrompts prompts;
    auto serial = [&](int32_t index, int32_t &inc, const char *minVal = "SN-0100", const char *maxVal = "SN-0110") {
        return validateSerialNumber(index, "SN-####", minVal, maxVal, inc, prompts);
    };
    int32_t five = 5;
    EXPECT_EQ(serial(0, five), 100);
    EXPECT_EQ(serial(2, five), 110);
    EXPECT_TRUE(prompts.boxes().empty());
    EXPECT_EQ(serial(3, five), 100);
    EXPECT_EQ(serial(4, five), 105);
    ASSERT_EQ(prompts.boxes().size(), 2u);
    EXPECT_EQ(prompts.boxes()[1].text, "Rollover after maxVal [SN-0110]     ");

    int32_t inc = -4; // raised to 1, in the caller's variable too
    EXPECT_EQ(serial(7, inc), 107);
    EXPECT_EQ(inc, 1);
    EXPECT_EQ(serial(-1, inc), -1);
    // Absent bounds, and bounds that do not fit the prototype, give 0 .. 2 147 483 646.
    EXPECT_EQ(serial(7, inc, "", ""), 7);
    EXPECT_EQ(serial(7, inc, "XX-1", "sn-0009"), 7);
    EXPECT_EQ(validateSerialNumber(2147483646, "", "", "", inc, prompts), 2147483646);
    EXPECT_EQ(prompts.boxes().size(), 2u);
    EXPECT_EQ(serial(3, inc, "SN-0042", "SN-0042"), 42);
    EXPECT_EQ(prompts.boxes().size(), 3u);

    EXPECT_EQ(serial(0, five, "SN-0100", "SN-0050"), -1);
    EXPECT_EQ(prompts.boxes().back().text,
        "Maximum Value [SN-0050] is below Minimum Value [SN-0100]\r\nin validateSerialNumber");
}

TEST(SerialFormat, ValueRefusalsComeInOrderMinimumMaximumIncrement)
{
    ScriptedPrompts prompts;
    QString reason = "stale";
    auto indexOf = [&](const char *entry, const char *maxVal = "SN-0110") {
        int32_t inc = 5;
        return validateValue(entry, "SN-####", "SN-0100", maxVal, inc, reason, prompts);
    };
    EXPECT_EQ(indexOf("SN-0105"), 1);
    EXPECT_EQ(reason, "");
    for (auto [entry, why] : std::initializer_list<std::pair<const char *, const char *>>{
             {"SN-0107", "Incorrect Incremental Step [SN-0100 + 5*n]"},
             {"SN-0097", "Lower than Minimum Value [SN-0100]"}, // off the step as well
             {"SN-0115", "Greater then Maximum Value [SN-0110]"}, {"SN-01x5", "String does not match prototype"}}) {
        EXPECT_EQ(indexOf(entry), -1);
        EXPECT_EQ(reason, why);
    }
    EXPECT_EQ(indexOf("SN-0100", "SN-0050"), -1);
    EXPECT_EQ(reason, "Maximum Value [SN-0050] is below Minimum Value [SN-0100]");
    EXPECT_TRUE(prompts.boxes().empty());

    // Reasons name the bounds in entry form, an absent one as nothing.
    int32_t inc = 0;
    EXPECT_EQ(validateValue("X\\#-03", "X\\#-##", "X#-10", "", inc, reason, prompts), -1);
    EXPECT_EQ(reason, "Lower than Minimum Value [X\\#-10]");
    EXPECT_EQ(inc, 1);
    inc = 3;
    EXPECT_EQ(validateValue("X\\#-04", "X\\#-##", "", "", inc, reason, prompts), -1);
    EXPECT_EQ(reason, "Incorrect Incremental Step [ + 3*n]");
}

} // namespace
