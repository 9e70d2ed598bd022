#pragma once
// A configuration of a bundled-host document, as the document's active-configuration call gives it.

#include "host/host_document.h"
#include "hostapi/host.h"

namespace tavik {

class HostConfiguration : public sw::Configuration {
public:
    HostConfiguration(std::shared_ptr<HostDocument> doc, QString name)
        : m_doc(std::move(doc))
        , m_name(std::move(name))
    {
    }
    QString Name() override
    {
        m_doc->enter(QStringLiteral("Configuration"), QStringLiteral("Name"));
        return m_name;
    }

private:
    std::shared_ptr<HostDocument> m_doc;
    QString m_name;
};

} // namespace tavik
