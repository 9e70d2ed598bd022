#include "app/script_prompts.h"

#include "editor/qt_prompts.h"

namespace tavik {

void ScriptPrompts::clearClipboard()
{
    systemClipboard::clear();
}

void ScriptPrompts::setClipboardText(const QString &text)
{
    systemClipboard::setText(text);
}

QString ScriptPrompts::clipboardText()
{
    return systemClipboard::text();
}

} // namespace tavik
