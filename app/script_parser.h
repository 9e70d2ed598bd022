#pragma once
// Reads the lines of a tavik-host script into words: blanks separate words, a word in double
// quotes may hold blanks and the escapes \" \\ \n \r, and a line whose first word starts with #
// is a comment.

#include <QString>
#include <QStringList>
#include <vector>

namespace tavik {

struct ScriptLine {
    int number = 0; // 1-based line number in the file
    QStringList words; // the verb first
};

struct ScriptSyntaxError {
    int line = 0;
    QString reason;
};

class ScriptParser {
public:
    // The words of one line; an empty list for blank and comment lines. On a malformed line the
    // reason is put into error and the result is empty.
    static QStringList splitLine(const QString &line, QString *error);

    // Every line with words, in order; the first malformed line stops the reading.
    static std::vector<ScriptLine> parse(const QString &script, ScriptSyntaxError *error);
};

} // namespace tavik
