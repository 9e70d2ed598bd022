#pragma once
// The extension object of a bundled-host document: its mass properties.

#include "host/host_document.h"
#include "hostapi/host.h"

namespace tavik {

class HostExtension : public sw::ModelDocExtension {
public:
    explicit HostExtension(std::shared_ptr<HostDocument> doc)
        : m_doc(std::move(doc))
    {
    }
    // The document file's numbers, or those measured from a FreeCAD document's shapes; an empty
    // result gives status 1. A file that says "error", or a shape that cannot be read, makes the
    // call fail.
    std::vector<double> GetMassProperties(int accuracy, int &status) override;

private:
    std::shared_ptr<HostDocument> m_doc;
};

} // namespace tavik
