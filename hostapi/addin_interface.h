#pragma once
// The host's add-in interface: what the host calls on an add-in it has loaded. The add-in answers
// the menu callbacks through sw::AddinCallbacks, which it registers itself when connected.

#include <memory>

namespace sw {

class SldWorks;

class SwAddin {
public:
    virtual ~SwAddin() = default;
    virtual bool SwAddIn_ConnectToSW(const std::shared_ptr<SldWorks> &app, int cookie) = 0;
    virtual bool SwAddIn_DisconnectFromSW() = 0;
};

} // namespace sw
