#include "platform/scripted_prompts.h"

#include <algorithm>

namespace tavik {

std::vector<MessageAnswer> buttonsOf(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::Ok:
        return {MessageAnswer::Ok};
    case MessageButtons::OkCancel:
        return {MessageAnswer::Ok, MessageAnswer::Cancel};
    case MessageButtons::YesNo:
        return {MessageAnswer::Yes, MessageAnswer::No};
    case MessageButtons::YesNoCancel:
        return {MessageAnswer::Yes, MessageAnswer::No, MessageAnswer::Cancel};
    }
    return {MessageAnswer::Ok};
}

void ScriptedPrompts::queueAnswer(MessageAnswer answer)
{
    m_answers.push_back(answer);
}

void ScriptedPrompts::queueFile(std::optional<QString> path)
{
    m_files.push_back(std::move(path));
}

MessageAnswer ScriptedPrompts::message(
    const QString &text, const QString &title, MessageIcon icon, MessageButtons buttons)
{
    RecordedBox box{title, text, icon, buttons, MessageAnswer::Ok};
    const auto offered = buttonsOf(buttons);
    const auto fits = [&](MessageAnswer a) { return std::find(offered.begin(), offered.end(), a) != offered.end(); };

    if (buttons == MessageButtons::Ok) {
        // A box with only OK needs no answer; an OK queued for it is taken, anything else stays
        // queued for the question it was meant for.
        if (!m_answers.empty() && m_answers.front() == MessageAnswer::Ok)
            m_answers.pop_front();
    } else if (m_answers.empty()) {
        // Nobody can answer: take the least harmful button so that nothing is changed on the
        // way out, and leave the failure for the caller.
        box.answer = fits(MessageAnswer::Cancel) ? MessageAnswer::Cancel : MessageAnswer::No;
        fail(QStringLiteral("the message box \"%1\" asks a question and no answer is queued").arg(title));
    } else {
        const MessageAnswer queued = m_answers.front();
        m_answers.pop_front();
        if (fits(queued)) {
            box.answer = queued;
        } else {
            box.answer = fits(MessageAnswer::Cancel) ? MessageAnswer::Cancel : MessageAnswer::No;
            QStringList names;
            for (auto a : offered)
                names << answerName(a);
            fail(QStringLiteral("the queued answer %1 is not a button of the message box \"%2\" (%3)")
                     .arg(answerName(queued), title, names.join(QLatin1String(", "))));
        }
    }
    m_boxes.push_back(box);
    if (m_boxListener)
        m_boxListener(m_boxes.back());
    return box.answer;
}

std::optional<QString> ScriptedPrompts::openFile(const FileOpenRequest &request)
{
    m_fileRequests.push_back(request);
    if (m_files.empty()) {
        fail(QStringLiteral("a file dialog \"%1\" opened and no file answer is queued").arg(request.title));
        return std::nullopt;
    }
    // A queued cancel (no path) answers std::nullopt.
    const QString path = m_files.front().value_or(QString());
    const bool cancelled = !m_files.front().has_value();
    m_files.pop_front();
    if (cancelled)
        return std::nullopt;
    return path;
}

void ScriptedPrompts::clearClipboard()
{
    m_clipboard.clear();
}

void ScriptedPrompts::setClipboardText(const QString &text)
{
    m_clipboard = text;
}

QString ScriptedPrompts::clipboardText()
{
    return m_clipboard;
}

void ScriptedPrompts::fail(const QString &reason)
{
    // The first failure is the cause; later ones usually follow from it.
    if (m_failure.isEmpty())
        m_failure = reason;
    if (m_failureListener)
        m_failureListener(reason);
}

} // namespace tavik
