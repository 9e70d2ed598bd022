#include "serial/serial_format.h"

#include "config/product.h"
#include "platform/prompts.h"
#include "platform/runtime_error.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace tavik {

namespace {

constexpr int64_t Int32Max = std::numeric_limits<int32_t>::max();
// An absent maxVal leaves the largest number below the 32-bit limit, so that an index one past
// it can still be counted.
constexpr int64_t DefaultMaxNum = Int32Max - 1;

// One character of a prototype (or an escape pair), read from the right end.
struct Token {
    QChar symbol;
    int radix = 0; // 10 for "#", 26 for "?", 0 for a literal
    bool escaped = false; // the literal stands behind a backslash in the prototype
};

// Format and parse share this reading of the prototype, so both decide escapes alike.
std::vector<Token> tokensFromRight(const QString &proto)
{
    std::vector<Token> tokens;
    tokens.reserve(size_t(proto.size()));
    for (qsizetype j = proto.size() - 1; j >= 0; --j) {
        if (j >= 1 && proto[j - 1] == QLatin1Char('\\')) {
            tokens.push_back({proto[j], 0, true});
            --j;
            continue;
        }
        const QChar c = proto[j];
        const int radix = c == QLatin1Char('#') ? 10 : c == QLatin1Char('?') ? 26 : 0;
        tokens.push_back({c, radix, false});
    }
    return tokens;
}

[[noreturn]] void fail(int number)
{
    throw RuntimeError(number, errorDescription(number));
}

int64_t checked(int64_t v)
{
    if (v > Int32Max || v < std::numeric_limits<int32_t>::min())
        fail(err::Overflow);
    return v;
}

// The one place where the guarded operations report an arithmetic failure: a box with the
// description and the operation's name, OK only, no icon and the application's default title.
void showFailure(Prompts &prompts, const QString &description, const char *operation)
{
    prompts.message(description + QStringLiteral("\r\nin ") + QLatin1String(operation), QString(), MessageIcon::None,
        MessageButtons::Ok);
}

// Runs body; a failure is shown and yields -1. failureText, when given, receives the description.
template <typename Body>
int32_t guarded(Prompts &prompts, const char *operation, Body body, QString *failureText = nullptr)
{
    try {
        return body();
    } catch (const std::exception &e) {
        const QString description = errorFromException(e).description;
        if (failureText)
            *failureText = description;
        showFailure(prompts, description, operation);
        return -1;
    }
}

bool allDigits(const QString &text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) {
        return c >= QLatin1Char('0') && c <= QLatin1Char('9');
    });
}

int32_t parseDecimal(const QString &str)
{
    if (const std::optional<int32_t> v = parseDecimalDigits(str))
        return *v;
    fail(allDigits(str) ? err::Overflow : err::TypeMismatch);
}

int32_t unformatUnguarded(const QString &str, const QString &proto)
{
    if (str.isEmpty())
        return -1;
    if (proto.isEmpty())
        return parseDecimal(str);
    if (str.size() != proto.size())
        return -1;

    int64_t acc = 0;
    int64_t mult = 1;
    qsizetype j = str.size() - 1;
    for (const Token &t : tokensFromRight(proto)) {
        const QChar s = str[j];
        if (t.escaped) {
            // The entry text carries the backslash of the escape as well.
            if (s != t.symbol || str[j - 1] != QLatin1Char('\\'))
                return -1;
            j -= 2;
            continue;
        }
        --j;
        int digit;
        if (t.radix == 10) {
            if (s < QLatin1Char('0') || s > QLatin1Char('9'))
                return -1;
            digit = s.unicode() - '0';
        } else if (t.radix == 26) {
            if (s < QLatin1Char('A') || s > QLatin1Char('Z'))
                return -1;
            digit = s.unicode() - 'A';
        } else {
            if (s != t.symbol)
                return -1;
            continue;
        }
        // The multiplier advances after every place, the leftmost too, so a prototype whose
        // capacity exceeds the 32-bit range fails here whatever the text.
        acc = checked(acc + digit * mult);
        mult = checked(mult * t.radix);
    }
    return int32_t(acc);
}

struct Bounds {
    int64_t minNum = 0;
    int64_t maxNum = DefaultMaxNum;
};

Bounds rangeBounds(
    const QString &prototype, const QString &minVal, const QString &maxVal, int32_t &incVal, Prompts &prompts)
{
    Bounds b;
    const int32_t lo = unformatSerialNumber(escapeSerialText(minVal), prototype, prompts);
    if (lo >= 0)
        b.minNum = lo;
    const int32_t hi = unformatSerialNumber(escapeSerialText(maxVal), prototype, prompts);
    if (hi >= 0)
        b.maxNum = hi;
    if (incVal < 1)
        incVal = 1;
    return b;
}

QString invertedRangeText(const QString &minVal, const QString &maxVal)
{
    return QStringLiteral("Maximum Value [") + maxVal + QStringLiteral("] is below Minimum Value [") + minVal
        + QStringLiteral("]");
}

} // namespace

QString formatSerialNumber(int32_t value, const QString &prototype)
{
    if (value < 0)
        return {};
    if (prototype.isEmpty())
        return QString::number(value);

    int64_t n = value;
    QString reversed;
    reversed.reserve(prototype.size());
    for (const Token &t : tokensFromRight(prototype)) {
        if (t.radix == 0) {
            reversed.append(t.symbol);
            continue;
        }
        const int digit = int(n % t.radix);
        n /= t.radix;
        reversed.append(QChar((t.radix == 10 ? '0' : 'A') + digit));
    }
    std::reverse(reversed.begin(), reversed.end());
    return reversed;
}

int32_t unformatSerialNumber(const QString &str, const QString &proto, Prompts &prompts)
{
    return guarded(prompts, "unformatSerialNumber", [&] { return unformatUnguarded(str, proto); });
}

std::optional<int32_t> parseDecimalDigits(const QString &text)
{
    if (!allDigits(text))
        return std::nullopt;
    bool ok = false;
    const qlonglong v = text.toLongLong(&ok);
    if (!ok || v > Int32Max)
        return std::nullopt;
    return int32_t(v);
}

QString escapeSerialText(const QString &displayText)
{
    QString s = displayText;
    s.replace(QLatin1Char('#'), QStringLiteral("\\#"));
    s.replace(QLatin1Char('?'), QStringLiteral("\\?"));
    return s;
}

int32_t validateSerialNumber(int32_t value, const QString &prototype, const QString &minVal, const QString &maxVal,
    int32_t &incVal, Prompts &prompts)
{
    return guarded(prompts, "validateSerialNumber", [&]() -> int32_t {
        const Bounds b = rangeBounds(prototype, minVal, maxVal, incVal, prompts);
        if (b.maxNum < b.minNum)
            throw RuntimeError(err::InvalidCall, invertedRangeText(minVal, maxVal));
        if (value < 0)
            return -1;
        const int64_t lastIndex = (b.maxNum - b.minNum) / incVal;
        const int64_t count = lastIndex + 1;
        const int64_t result = (value % count) * incVal + b.minNum;
        if (value > lastIndex)
            prompts.message(QStringLiteral("Rollover after maxVal [") + maxVal + QStringLiteral("]     "),
                product::title() + QStringLiteral(": Caution"), MessageIcon::Exclamation, MessageButtons::Ok);
        return int32_t(result);
    });
}

int32_t validateValue(const QString &str, const QString &proto, const QString &minVal, const QString &maxVal,
    int32_t &incVal, QString &errorMessage, Prompts &prompts)
{
    return guarded(
        prompts, "validateValue",
        [&]() -> int32_t {
            const int32_t num = unformatSerialNumber(str, proto, prompts);
            const Bounds b = rangeBounds(proto, minVal, maxVal, incVal, prompts);
            const QString escMin = escapeSerialText(minVal);
            const QString escMax = escapeSerialText(maxVal);
            if (b.maxNum < b.minNum) {
                errorMessage = invertedRangeText(escMin, escMax);
                return -1;
            }
            // Callers report a mismatch before they ask for the index; refusing here as well keeps
            // a text that is no number from passing as index 0.
            if (num < 0) {
                errorMessage = QStringLiteral("String does not match prototype");
                return -1;
            }
            if (!minVal.isEmpty() && num < b.minNum) {
                errorMessage = QStringLiteral("Lower than Minimum Value [") + escMin + QStringLiteral("]");
                return -1;
            }
            if (!maxVal.isEmpty() && num > b.maxNum) {
                errorMessage = QStringLiteral("Greater then Maximum Value [") + escMax + QStringLiteral("]");
                return -1;
            }
            if ((num - b.minNum) % incVal != 0) {
                errorMessage = QStringLiteral("Incorrect Incremental Step [") + escMin + QStringLiteral(" + ")
                    + QString::number(incVal) + QStringLiteral("*n]");
                return -1;
            }
            errorMessage.clear();
            return int32_t((num - b.minNum) / incVal);
        },
        &errorMessage);
}

} // namespace tavik
