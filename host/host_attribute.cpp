#include "host/host_attribute.h"

#include "platform/runtime_error.h"

#include <cmath>

namespace tavik {

std::shared_ptr<sw::Parameter> HostAttribute::GetParameter(const QString &name)
{
    m_doc->enter(QStringLiteral("Attribute"), QStringLiteral("GetParameter"), {name});
    const AttributeInstance *instance = m_doc->attribute(m_name);
    if (!instance)
        throw RuntimeError(err::ObjectNotSet, errorDescription(err::ObjectNotSet));
    for (const auto &p : instance->parameters)
        if (p.first == name)
            return std::make_shared<HostParameter>(m_doc, m_name, name);
    return nullptr;
}

void HostAttribute::AfterPurge(int option)
{
    m_doc->enter(QStringLiteral("Attribute"), QStringLiteral("AfterPurge"), {QString::number(option)});
}

double &HostParameter::value()
{
    AttributeInstance *instance = m_doc->attribute(m_attribute);
    if (instance)
        for (auto &p : instance->parameters)
            if (p.first == m_name)
                return p.second;
    throw RuntimeError(err::ObjectNotSet, errorDescription(err::ObjectNotSet));
}

double HostParameter::GetDoubleValue()
{
    m_doc->enter(QStringLiteral("Parameter"), QStringLiteral("GetDoubleValue"), {m_name});
    return value();
}

bool HostParameter::SetDoubleValue(double v)
{
    m_doc->enter(QStringLiteral("Parameter"), QStringLiteral("SetDoubleValue"), {m_name, QString::number(v)});
    if (!std::isfinite(v))
        return false;
    double &stored = value();
    if (stored != v) {
        stored = v;
        m_doc->markChanged();
    }
    return true;
}

std::shared_ptr<sw::Attribute> HostFeature::GetSpecificFeature()
{
    m_doc->enter(QStringLiteral("Feature"), QStringLiteral("GetSpecificFeature"));
    return std::make_shared<HostAttribute>(m_doc, m_name);
}

} // namespace tavik
