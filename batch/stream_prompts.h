#pragma once
// Message boxes of a program without a window: each box's title and text go to a stream, and it
// takes its safe answer (OK, or No to a question) since nobody is there to choose.

#include "platform/prompts.h"

#include <cstdio>

namespace tavik {

class StreamPrompts : public Prompts {
public:
    explicit StreamPrompts(FILE *stream)
        : m_stream(stream)
    {
    }

    MessageAnswer message(const QString &text, const QString &title, MessageIcon, MessageButtons buttons) override
    {
        std::fprintf(m_stream, "%s: %s\n", title.toUtf8().constData(), text.trimmed().toUtf8().constData());
        return buttons == MessageButtons::Ok || buttons == MessageButtons::OkCancel ? MessageAnswer::Ok
                                                                                    : MessageAnswer::No;
    }
    std::optional<QString> openFile(const FileOpenRequest &) override { return std::nullopt; }
    void clearClipboard() override { }
    void setClipboardText(const QString &) override { }
    QString clipboardText() override { return {}; }

private:
    FILE *m_stream;
};

} // namespace tavik
