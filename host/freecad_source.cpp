#include "host/freecad_source.h"

#include "freecad/fcstd_archive.h"
#include "freecad/fcstd_error.h"
#include "platform/runtime_error.h"

namespace tavik {

FreeCadSource::FreeCadSource(QByteArray archive, DocumentXml xml, QStringList shapeEntries, Measurer measure)
    : m_archive(std::move(archive))
    , m_xml(std::move(xml))
    , m_shapeEntries(std::move(shapeEntries))
    , m_measure(std::move(measure))
{
}

std::vector<double> FreeCadSource::massProperties(double density) const
{
    if (m_shapeEntries.isEmpty())
        return {};
    if (!m_measured && m_fault.isEmpty()) {
        try {
            FcstdArchive archive(m_archive);
            Shapes shapes;
            for (const QString &entry : m_shapeEntries)
                shapes.emplace_back(entry, archive.read(entry));
            m_measured = m_measure(shapes);
        } catch (const FcstdError &e) {
            m_fault = e.fault;
        } catch (const RuntimeError &e) {
            m_fault = e.description;
        } catch (const std::exception &e) {
            m_fault = QString::fromLocal8Bit(e.what());
        }
    }
    if (!m_measured)
        throw RuntimeError(
            err::Automation, QStringLiteral("The mass properties could not be computed (%1)").arg(m_fault));
    // The shapes are measured in millimetres; the host's figures are in metres.
    const ShapeMeasure &m = *m_measured;
    const double volume = m.volume * 1e-9;
    return {m.centreOfMass[0] * 1e-3, m.centreOfMass[1] * 1e-3, m.centreOfMass[2] * 1e-3, volume, m.area * 1e-6,
        volume * density};
}

} // namespace tavik
