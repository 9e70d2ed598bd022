#include "host/host_attribute_def.h"

#include "host/host_attribute.h"
#include "host/host_calls.h"
#include "host/host_document.h"
#include "platform/runtime_error.h"

#include <cmath>

namespace tavik {

bool HostAttributeDef::AddParameter(const QString &name, int type, double defaultValue, int options)
{
    m_calls->enter(QStringLiteral("AttributeDef"), QStringLiteral("AddParameter"),
        {name, QString::number(type), QString::number(defaultValue), QString::number(options)});
    if (m_registered || name.isEmpty() || type != sw::swParamTypeDouble || !std::isfinite(defaultValue))
        return false;
    for (const auto &p : m_parameters)
        if (p.first == name)
            return false;
    m_parameters.append({name, defaultValue});
    return true;
}

bool HostAttributeDef::Register()
{
    m_calls->enter(QStringLiteral("AttributeDef"), QStringLiteral("Register"), {m_name});
    const auto it = m_registry->constFind(m_name);
    if (it != m_registry->cend() && *it != m_parameters)
        return false;
    m_registry->insert(m_name, m_parameters);
    m_registered = true;
    return true;
}

std::shared_ptr<sw::Attribute> HostAttributeDef::CreateInstance5(const std::shared_ptr<sw::ModelDoc2> &doc,
    const void *, const void *, const QString &name, int options, int configurationOption)
{
    m_calls->enter(QStringLiteral("AttributeDef"), QStringLiteral("CreateInstance5"),
        {name, QString::number(options), QString::number(configurationOption)});
    if (!doc)
        throw RuntimeError(err::ObjectNotSet, errorDescription(err::ObjectNotSet));
    const auto hostDoc = std::dynamic_pointer_cast<HostDocument>(doc);
    if (!hostDoc)
        throw RuntimeError(err::InvalidCall, QStringLiteral("The document does not belong to this host"));
    if (hostDoc->isClosed())
        throw RuntimeError(err::ObjectNotSet, errorDescription(err::ObjectNotSet));
    if (!m_registered || name.isEmpty())
        return nullptr;
    AttributeInstance instance;
    instance.name = name;
    instance.definition = m_name;
    instance.parameters = m_parameters;
    if (!hostDoc->addAttribute(instance))
        return nullptr;
    return std::make_shared<HostAttribute>(hostDoc, name);
}

} // namespace tavik
