#include "host/host_extension.h"

#include "host/freecad_source.h"
#include "platform/runtime_error.h"

namespace tavik {

std::vector<double> HostExtension::GetMassProperties(int accuracy, int &status)
{
    m_doc->enter(QStringLiteral("ModelDocExtension"), QStringLiteral("GetMassProperties"), {QString::number(accuracy)});
    if (const auto &freecad = m_doc->data().freecad) {
        // The mass follows the density the document has now, also one written since it was read.
        std::vector<double> properties = freecad->massProperties(m_doc->data().density);
        status = properties.empty() ? 1 : 0;
        return properties;
    }
    if (m_doc->data().massPropertiesFail)
        throw RuntimeError(err::Automation, QStringLiteral("The mass properties could not be computed"));
    status = m_doc->data().massProperties.empty() ? 1 : 0;
    return m_doc->data().massProperties;
}

} // namespace tavik
