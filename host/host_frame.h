#pragma once
// The main frame of the bundled host: it holds the status bar text and tells a listener (the
// host window) when the text changes.

#include "hostapi/host.h"

#include <functional>
#include <memory>

namespace tavik {

class HostCalls;

class HostFrame : public sw::MainFrame {
public:
    explicit HostFrame(std::shared_ptr<HostCalls> calls)
        : m_calls(std::move(calls))
    {
    }
    void SetStatusBarText(const QString &text) override;

    QString statusBarText() const { return m_text; }
    // Every text set, in order.
    const QStringList &history() const { return m_history; }
    void setListener(std::function<void(const QString &)> listener) { m_listener = std::move(listener); }

private:
    std::shared_ptr<HostCalls> m_calls;
    QString m_text;
    QStringList m_history;
    std::function<void(const QString &)> m_listener;
};

} // namespace tavik
