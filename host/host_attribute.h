#pragma once
// Attribute instances on a bundled-host document, their parameters, and the feature through
// which a document finds an instance by name. They read and write the document's "attributes".

#include "host/host_document.h"
#include "hostapi/host.h"

namespace tavik {

class HostAttribute : public sw::Attribute {
public:
    HostAttribute(std::shared_ptr<HostDocument> doc, QString name)
        : m_doc(std::move(doc))
        , m_name(std::move(name))
    {
    }
    // None when the instance has no parameter of that name.
    std::shared_ptr<sw::Parameter> GetParameter(const QString &name) override;
    // Purging custom properties leaves the attribute as it is.
    void AfterPurge(int option) override;

    QString name() const { return m_name; }

private:
    std::shared_ptr<HostDocument> m_doc;
    QString m_name;
};

class HostParameter : public sw::Parameter {
public:
    HostParameter(std::shared_ptr<HostDocument> doc, QString attribute, QString name)
        : m_doc(std::move(doc))
        , m_attribute(std::move(attribute))
        , m_name(std::move(name))
    {
    }
    double GetDoubleValue() override;
    // False for a value that the document file cannot hold (not finite).
    bool SetDoubleValue(double value) override;

private:
    double &value();

    std::shared_ptr<HostDocument> m_doc;
    QString m_attribute;
    QString m_name;
};

class HostFeature : public sw::Feature {
public:
    HostFeature(std::shared_ptr<HostDocument> doc, QString name)
        : m_doc(std::move(doc))
        , m_name(std::move(name))
    {
    }
    std::shared_ptr<sw::Attribute> GetSpecificFeature() override;

private:
    std::shared_ptr<HostDocument> m_doc;
    QString m_name;
};

} // namespace tavik
