#include "platform/prompts.h"

namespace tavik {

QString answerName(MessageAnswer answer)
{
    switch (answer) {
    case MessageAnswer::Ok:
        return QStringLiteral("OK");
    case MessageAnswer::Cancel:
        return QStringLiteral("Cancel");
    case MessageAnswer::Yes:
        return QStringLiteral("Yes");
    case MessageAnswer::No:
        return QStringLiteral("No");
    }
    return {};
}

std::optional<MessageAnswer> answerFromName(const QString &name)
{
    for (auto a : {MessageAnswer::Ok, MessageAnswer::Cancel, MessageAnswer::Yes, MessageAnswer::No})
        if (answerName(a).compare(name, Qt::CaseInsensitive) == 0)
            return a;
    return std::nullopt;
}

} // namespace tavik
