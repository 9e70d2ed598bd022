#include "host/host_user_unit.h"

#include "host/host_calls.h"

namespace tavik {

QString HostUserUnit::GetUnitsString(bool full)
{
    m_calls->enter(QStringLiteral("UserUnit"), QStringLiteral("GetUnitsString"),
                   {full ? QStringLiteral("True") : QStringLiteral("False")});
    return m_text;
}

int HostUserUnit::SpecificUnitType()
{
    m_calls->enter(QStringLiteral("UserUnit"), QStringLiteral("SpecificUnitType"));
    return m_code;
}

} // namespace tavik
