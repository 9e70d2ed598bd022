#include "config/prototype_match.h"
#include "platform/runtime_error.h"

#include <gtest/gtest.h>

using namespace tavik;

TEST(PrototypeMatch, WildcardsCoverTheWholeTextCaseSensitively)
{
    EXPECT_TRUE(matchesPrototype("123-AB", "###-??"));
    EXPECT_FALSE(matchesPrototype("12-AB", "###-??"));
    EXPECT_FALSE(matchesPrototype("123-ABC", "###-??"));
    EXPECT_FALSE(matchesPrototype("12A-AB", "###-??"));
    EXPECT_TRUE(matchesPrototype("Cxyz", "[A-C]*"));
    EXPECT_FALSE(matchesPrototype("b", "[A-C]*"));
    EXPECT_FALSE(matchesPrototype("", "[A-C]*"));

    EXPECT_TRUE(matchesPrototype("", "*"));
    EXPECT_TRUE(matchesPrototype("", ""));
    EXPECT_FALSE(matchesPrototype("x", ""));
    EXPECT_TRUE(matchesPrototype("SN-0042-final", "SN-*-*"));
    EXPECT_FALSE(matchesPrototype("SN-0042", "SN-*-*"));
    EXPECT_TRUE(matchesPrototype("abcabd", "*abd"));
    EXPECT_FALSE(matchesPrototype("Steel", "steel"));
    // One "?" is one character, also outside the basic plane.
    EXPECT_TRUE(matchesPrototype(QString::fromUtf8("x\xF0\x9F\x94\xA9"), "x?"));
}

TEST(PrototypeMatch, BracketListsAndLiteralSpecials)
{
    EXPECT_TRUE(matchesPrototype("d", "[!A-C]"));
    EXPECT_FALSE(matchesPrototype("B", "[!A-C]"));
    EXPECT_TRUE(matchesPrototype("-", "[-x]"));
    EXPECT_TRUE(matchesPrototype("-", "[x-]"));
    EXPECT_FALSE(matchesPrototype("-", "[!-x]"));
    EXPECT_TRUE(matchesPrototype("q", "[!-x]"));
    EXPECT_TRUE(matchesPrototype("7", "[a-c0-9]"));
    EXPECT_TRUE(matchesPrototype("a", "[a-a]"));
    EXPECT_FALSE(matchesPrototype("d", "[a-c0-9]"));

    // "?", "*", "#" and "[" inside brackets stand for themselves.
    for (const char *special : {"?", "*", "#", "["})
        EXPECT_TRUE(matchesPrototype(special, "[?*#[]")) << special;
    EXPECT_FALSE(matchesPrototype("a", "[?*#[]"));
    EXPECT_FALSE(matchesPrototype("ab", "[*]"));

    // "]" outside brackets is an ordinary character; "!" outside is one too.
    EXPECT_TRUE(matchesPrototype("a]", "a]"));
    EXPECT_TRUE(matchesPrototype("!1", "!#"));

    EXPECT_THROW(matchesPrototype("a", "[abc"), RuntimeError);
    EXPECT_THROW(matchesPrototype("a", "[z-a]"), RuntimeError);
}

TEST(PrototypeMatch, ManyStarsDoNotBacktrackExponentially)
{
    // A naive recursive matcher needs on the order of text^stars steps here; this would never end.
    const QString pattern = QString("*a").repeated(40) + "b";
    const QString text = QString(5000, 'a');
    EXPECT_FALSE(matchesPrototype(text, pattern));
    EXPECT_TRUE(matchesPrototype(text + "b", pattern));
}
