#include "host/host_extension.h"

#include "platform/runtime_error.h"

namespace tavik {

std::vector<double> HostExtension::GetMassProperties(int accuracy, int &status)
{
    m_doc->enter(QStringLiteral("ModelDocExtension"), QStringLiteral("GetMassProperties"), {QString::number(accuracy)});
    if (m_doc->data().massPropertiesFail)
        throw RuntimeError(err::Automation, QStringLiteral("The mass properties could not be computed"));
    status = m_doc->data().massProperties.empty() ? 1 : 0;
    return m_doc->data().massProperties;
}

} // namespace tavik
