#pragma once
// What a document read from a FreeCAD file keeps of that file: the archive as read and its
// parsed Document.xml, which a save edits and copies, and the shapes its mass properties come
// from, measured once.

#include "freecad/document_xml.h"
#include "freecad/shape_measure.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace tavik {

class FreeCadSource {
public:
    using Shapes = std::vector<std::pair<QString, QByteArray>>;
    using Measurer = std::function<ShapeMeasure(const Shapes &)>;

    FreeCadSource(QByteArray archive, DocumentXml xml, QStringList shapeEntries, Measurer measure);

    const QByteArray &archive() const { return m_archive; }
    const DocumentXml &xml() const { return m_xml; }
    // The archive entries whose solids make the part.
    const QStringList &shapeEntries() const { return m_shapeEntries; }

    // The host's mass properties for a density in kg/m³: centre of mass x, y, z in m, volume in
    // m³, area in m², mass in kg. Empty when the document has no shape to measure. The shapes
    // never change in the host, so they are measured on the first call only; a shape that cannot
    // be read makes this and every later call throw RuntimeError.
    std::vector<double> massProperties(double density) const;

private:
    QByteArray m_archive;
    DocumentXml m_xml;
    QStringList m_shapeEntries;
    Measurer m_measure;
    mutable std::optional<ShapeMeasure> m_measured;
    mutable QString m_fault;
};

} // namespace tavik
