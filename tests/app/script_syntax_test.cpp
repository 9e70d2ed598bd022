// Reading script lines into words, and writing transcript records that stay on one line.

#include "app/script_parser.h"
#include "app/script_runner.h"
#include "app/transcript.h"

#include <gtest/gtest.h>

using namespace tavik;

TEST(ScriptParser, SplitsWordsQuotesAndEscapes)
{
    // Quotes hold blanks, escapes and empty words; a bare backslash outside quotes is literal.
    QString error;
    EXPECT_EQ(ScriptParser::splitLine(QStringLiteral(R"(expect-prop "" "Part No" "a \"b\" \\ c\r\n" C:\dir)"), &error),
        (QStringList{"expect-prop", "", "Part No", "a \"b\" \\ c\r\n", "C:\\dir"}));
    EXPECT_TRUE(error.isEmpty());

    // Comments start with # as the first word only; # inside a line is an ordinary character.
    EXPECT_TRUE(ScriptParser::splitLine(QStringLiteral("   # print 000:000:000:000"), &error).isEmpty());
    EXPECT_EQ(ScriptParser::splitLine(QStringLiteral("type 000:000:001:000 #12"), &error),
        (QStringList{"type", "000:000:001:000", "#12"}));
    EXPECT_TRUE(error.isEmpty());
}

TEST(ScriptParser, RefusesMalformedLinesWithTheirLineNumber)
{
    const char *bad[] = {
        R"(type 000 "open)", // quote never closed
        R"(type 000 "a\tb")", // escape that scripts do not have
        R"(type 000 "ab"c)", // text glued to a closing quote
        R"(type 000 ab"c")", // quote inside a bare word
        R"(type 000 "ends in \)", // backslash at the end of the line
    };
    for (const char *line : bad) {
        QString error;
        EXPECT_TRUE(ScriptParser::splitLine(QString::fromUtf8(line), &error).isEmpty()) << line;
        EXPECT_FALSE(error.isEmpty()) << line;
    }
    QString error;
    ScriptParser::splitLine(QString::fromUtf8(bad[4]), &error);
    EXPECT_EQ(error, "a backslash ends the line inside a quoted word");

    ScriptSyntaxError syntax;
    const auto lines = ScriptParser::parse(QStringLiteral("# tour\r\n\r\ncommand\r\nprint \"000\r\nprops\n"), &syntax);
    EXPECT_TRUE(lines.empty());
    EXPECT_EQ(syntax.line, 4);
    // Words the runner has no verb for, or too few for it, are refused before anything runs.
    EXPECT_FALSE(ScriptRunner::check(ScriptParser::parse("command\ntab 0\n", &syntax), &syntax));
    EXPECT_EQ(syntax.line, 2);

    syntax = {};
    const auto good = ScriptParser::parse(QStringLiteral("# tour\r\n\r\ncommand\r\n  click Quit\n"), &syntax);
    ASSERT_EQ(good.size(), 2u);
    EXPECT_EQ(good[0].number, 3);
    EXPECT_EQ(good[1].number, 4);
    EXPECT_EQ(good[1].words, (QStringList{"click", "Quit"}));
    EXPECT_EQ(syntax.line, 0);
}

TEST(Transcript, EscapesBreaksTabsAndBackslashesKeepingTrailingBlanks)
{
    // Message boxes and status lines are in every scripted run's expected transcript.
    QStringList out;
    Transcript transcript([&](const QString &line) { out << line; });
    transcript.property(QString(), "Path", "C:\\parts\tA  ");
    transcript.property("Long", "Finish", QString());
    transcript.field({"000:000:001:000", "x\ny\r", "-"});
    EXPECT_EQ(out,
        QStringList(
            {"PROP\t\"\"\tPath\tC:\\\\parts\\tA  ", "PROP\tLong\tFinish\t", "FIELD\t000:000:001:000\tx\\ny\\r\t-"}));
}
