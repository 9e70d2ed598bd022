#pragma once
// An attribute definition of the bundled host: parameters are added to it, then it is registered
// with the application, and then it creates instances on documents.

#include "hostapi/host.h"

#include <QList>
#include <QMap>
#include <memory>
#include <utility>

namespace tavik {

class HostCalls;

// The definitions registered with the application: name -> parameters with their defaults.
using AttributeRegistry = QMap<QString, QList<std::pair<QString, double>>>;

class HostAttributeDef : public sw::AttributeDef {
public:
    HostAttributeDef(std::shared_ptr<HostCalls> calls, std::shared_ptr<AttributeRegistry> registry, QString name)
        : m_calls(std::move(calls))
        , m_registry(std::move(registry))
        , m_name(std::move(name))
    {
    }

    // Only double parameters (type 2) with new names, and only before Register.
    bool AddParameter(const QString &name, int type, double defaultValue, int options) override;
    // False when another definition of that name, with other parameters, is registered; the
    // same definition again (an add-in connecting anew) registers.
    bool Register() override;
    // None when the definition is not registered, or the document already holds an instance of
    // that name. The new instance carries the parameters' defaults.
    std::shared_ptr<sw::Attribute> CreateInstance5(const std::shared_ptr<sw::ModelDoc2> &doc, const void *component,
        const void *ownerObj, const QString &name, int options, int configurationOption) override;

    QString name() const { return m_name; }
    bool isRegistered() const { return m_registered; }

private:
    std::shared_ptr<HostCalls> m_calls;
    std::shared_ptr<AttributeRegistry> m_registry;
    QString m_name;
    QList<std::pair<QString, double>> m_parameters;
    bool m_registered = false;
};

} // namespace tavik
