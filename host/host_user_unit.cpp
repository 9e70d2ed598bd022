#include "host/host_user_unit.h"

#include "host/host_calls.h"
#include "host/host_document.h"

namespace tavik {

void HostUserUnit::enter(const QString &member, const QStringList &args)
{
    if (m_doc)
        m_doc->enter(QStringLiteral("UserUnit"), member, args);
    else
        m_calls->enter(QStringLiteral("UserUnit"), member, args);
}

QString HostUserUnit::GetUnitsString(bool full)
{
    enter(QStringLiteral("GetUnitsString"), {full ? QStringLiteral("True") : QStringLiteral("False")});
    return m_text;
}

int HostUserUnit::SpecificUnitType()
{
    enter(QStringLiteral("SpecificUnitType"));
    return m_code;
}

} // namespace tavik
