#include "host/host_frame.h"

#include "host/host_calls.h"

namespace tavik {

void HostFrame::SetStatusBarText(const QString &text)
{
    m_calls->enter(QStringLiteral("MainFrame"), QStringLiteral("SetStatusBarText"), {text});
    m_text = text;
    m_history.append(text);
    if (m_listener)
        m_listener(text);
}

} // namespace tavik
