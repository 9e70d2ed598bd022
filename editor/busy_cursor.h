#pragma once
// The wait cursor over the application while a call that may wait on another program (a numbering
// server, a locked settings file) runs on the GUI thread. Such calls are bounded, so the cursor
// always comes back, also when the call throws.

#include <QGuiApplication>

namespace tavik {

class BusyCursor {
public:
    BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;
};

} // namespace tavik
