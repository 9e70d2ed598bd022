#pragma once
// The prompts of script mode: boxes and file dialogs answered from the script's queue, the
// clipboard the real one, so that copy and paste behave as for a person.

#include "platform/scripted_prompts.h"

namespace tavik {

class ScriptPrompts : public ScriptedPrompts {
public:
    void clearClipboard() override;
    void setClipboardText(const QString &text) override;
    QString clipboardText() override;
};

} // namespace tavik
