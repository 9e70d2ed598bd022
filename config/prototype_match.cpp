#include "config/prototype_match.h"

#include "platform/runtime_error.h"

#include <utility>
#include <vector>

namespace tavik {

namespace {

constexpr int InvalidPattern = 93;

struct Token {
    enum Kind { Literal, AnyChar, AnyRun, Digit, List } kind = Literal;
    char32_t ch = 0;
    bool negated = false;
    std::vector<std::pair<char32_t, char32_t>> ranges; // single characters are ranges of one

    bool matches(char32_t c) const
    {
        switch (kind) {
        case Literal:
            return c == ch;
        case AnyChar:
            return true;
        case Digit:
            return c >= U'0' && c <= U'9';
        case List: {
            bool inList = false;
            for (const auto &[low, high] : ranges)
                if (c >= low && c <= high) {
                    inList = true;
                    break;
                }
            return inList != negated;
        }
        case AnyRun:
            break;
        }
        return false;
    }
};

[[noreturn]] void invalidPattern()
{
    throw RuntimeError(InvalidPattern, QStringLiteral("Invalid pattern string"));
}

// Reads the list that starts after the "[" at p[i - 1]; returns the index after its "]".
size_t parseList(const std::u32string &p, size_t i, Token &token)
{
    token.kind = Token::List;
    if (i < p.size() && p[i] == U'!') {
        token.negated = true;
        ++i;
    }
    // Inside a list "[", "?", "*" and "#" are plain characters; only "]" ends it. A "-" between two
    // characters makes a range, anywhere else it stands for itself.
    while (true) {
        if (i >= p.size())
            invalidPattern();
        const char32_t c = p[i];
        if (c == U']')
            return i + 1;
        if (i + 2 < p.size() && p[i + 1] == U'-' && p[i + 2] != U']') {
            const char32_t high = p[i + 2];
            if (c > high)
                invalidPattern();
            token.ranges.emplace_back(c, high);
            i += 3;
        } else {
            token.ranges.emplace_back(c, c);
            ++i;
        }
    }
}

std::vector<Token> compile(const std::u32string &p)
{
    std::vector<Token> tokens;
    size_t i = 0;
    while (i < p.size()) {
        Token t;
        const char32_t c = p[i++];
        switch (c) {
        case U'?':
            t.kind = Token::AnyChar;
            break;
        case U'#':
            t.kind = Token::Digit;
            break;
        case U'*':
            // A run of stars matches what one star matches.
            if (!tokens.empty() && tokens.back().kind == Token::AnyRun)
                continue;
            t.kind = Token::AnyRun;
            break;
        case U'[':
            i = parseList(p, i, t);
            break;
        default:
            t.ch = c;
            break;
        }
        tokens.push_back(std::move(t));
    }
    return tokens;
}

} // namespace

bool matchesPrototype(const QString &text, const QString &prototype)
{
    const std::vector<Token> tokens = compile(prototype.toStdU32String());
    const std::u32string s = text.toStdU32String();

    // Greedy matching that remembers only the latest "*": when a later token fails, that star takes
    // one more character and matching resumes behind it. Earlier stars never need to be revisited,
    // so the work stays within text length times pattern length, however many stars there are.
    size_t ti = 0, si = 0;
    size_t starToken = SIZE_MAX, starText = 0;
    while (si < s.size()) {
        if (ti < tokens.size() && tokens[ti].kind == Token::AnyRun) {
            starToken = ti++;
            starText = si;
        } else if (ti < tokens.size() && tokens[ti].matches(s[si])) {
            ++ti;
            ++si;
        } else if (starToken != SIZE_MAX) {
            ti = starToken + 1;
            si = ++starText;
        } else {
            return false;
        }
    }
    while (ti < tokens.size() && tokens[ti].kind == Token::AnyRun)
        ++ti;
    return ti == tokens.size();
}

} // namespace tavik
