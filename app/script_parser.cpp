#include "app/script_parser.h"

namespace tavik {

namespace {
bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}
} // namespace

QStringList ScriptParser::splitLine(const QString &line, QString *error)
{
    QStringList words;
    const qsizetype n = line.size();
    qsizetype i = 0;
    auto failWith = [&](const QString &reason) {
        if (error)
            *error = reason;
        return QStringList();
    };

    while (true) {
        while (i < n && isBlank(line[i]))
            ++i;
        if (i >= n)
            break;
        if (words.isEmpty() && line[i] == QLatin1Char('#'))
            break;

        QString word;
        if (line[i] == QLatin1Char('"')) {
            const qsizetype start = i + 1;
            ++i;
            bool closed = false;
            while (i < n) {
                const QChar c = line[i];
                if (c == QLatin1Char('"')) {
                    closed = true;
                    ++i;
                    break;
                }
                if (c == QLatin1Char('\\')) {
                    if (i + 1 >= n)
                        return failWith(QStringLiteral("a backslash ends the line inside a quoted word"));
                    const QChar e = line[i + 1];
                    if (e == QLatin1Char('"'))
                        word += QLatin1Char('"');
                    else if (e == QLatin1Char('\\'))
                        word += QLatin1Char('\\');
                    else if (e == QLatin1Char('n'))
                        word += QLatin1Char('\n');
                    else if (e == QLatin1Char('r'))
                        word += QLatin1Char('\r');
                    else
                        return failWith(QStringLiteral("unknown escape \\%1 in a quoted word").arg(e));
                    i += 2;
                    continue;
                }
                word += c;
                ++i;
            }
            if (!closed)
                return failWith(QStringLiteral("the quoted word starting at column %1 is not closed").arg(start));
            if (i < n && !isBlank(line[i]))
                return failWith(QStringLiteral("a closing quote must be followed by a blank (column %1)").arg(i + 1));
        } else {
            while (i < n && !isBlank(line[i])) {
                // A quote inside a bare word is almost always a slip; make the author say it.
                if (line[i] == QLatin1Char('"'))
                    return failWith(
                        QStringLiteral("a double quote inside a word (column %1); quote the whole word").arg(i + 1));
                word += line[i];
                ++i;
            }
        }
        words << word;
    }
    return words;
}

std::vector<ScriptLine> ScriptParser::parse(const QString &script, ScriptSyntaxError *error)
{
    std::vector<ScriptLine> lines;
    const QStringList raw = script.split(QLatin1Char('\n'));
    for (qsizetype k = 0; k < raw.size(); ++k) {
        QString text = raw[k];
        if (text.endsWith(QLatin1Char('\r')))
            text.chop(1);
        QString reason;
        const QStringList words = splitLine(text, &reason);
        if (!reason.isEmpty()) {
            if (error)
                *error = {int(k + 1), reason};
            return {};
        }
        if (!words.isEmpty())
            lines.push_back({int(k + 1), words});
    }
    return lines;
}

} // namespace tavik
