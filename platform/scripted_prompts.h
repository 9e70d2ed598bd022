#pragma once
// Prompts answered from queues instead of a person: the script mode of tavik-host and the tests
// queue the answers of the boxes and file dialogs to come, and every box shown is recorded with
// the answer it got. A question that finds no fitting answer is a failure the caller reports.

#include "platform/prompts.h"

#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace tavik {

struct RecordedBox {
    QString title;
    QString text;
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
    MessageAnswer answer = MessageAnswer::Ok;
};

class ScriptedPrompts : public Prompts {
public:
    void queueAnswer(MessageAnswer answer);
    // A path, or nothing for a dialog that is to be cancelled.
    void queueFile(std::optional<QString> path);

    MessageAnswer message(const QString &text, const QString &title, MessageIcon icon, MessageButtons buttons) override;
    std::optional<QString> openFile(const FileOpenRequest &request) override;

    // The clipboard is kept in memory here; subclasses may put it on the system clipboard.
    void clearClipboard() override;
    void setClipboardText(const QString &text) override;
    QString clipboardText() override;

    const std::vector<RecordedBox> &boxes() const { return m_boxes; }
    const std::vector<FileOpenRequest> &fileRequests() const { return m_fileRequests; }
    size_t pendingAnswers() const { return m_answers.size(); }
    size_t pendingFiles() const { return m_files.size(); }

    // The first prompt that could not be answered; empty while every prompt had its answer.
    bool failed() const { return !m_failure.isEmpty(); }
    const QString &failure() const { return m_failure; }
    void clearFailure() { m_failure.clear(); }

    // Called for every box as it is answered, and for every failure as it happens.
    void setBoxListener(std::function<void(const RecordedBox &)> listener) { m_boxListener = std::move(listener); }
    void setFailureListener(std::function<void(const QString &)> listener) { m_failureListener = std::move(listener); }

private:
    void fail(const QString &reason);

    std::deque<MessageAnswer> m_answers;
    std::deque<std::optional<QString>> m_files;
    std::vector<RecordedBox> m_boxes;
    std::vector<FileOpenRequest> m_fileRequests;
    QString m_clipboard;
    QString m_failure;
    std::function<void(const RecordedBox &)> m_boxListener;
    std::function<void(const QString &)> m_failureListener;
};

// The buttons of a box in the order they are shown.
std::vector<MessageAnswer> buttonsOf(MessageButtons buttons);

} // namespace tavik
