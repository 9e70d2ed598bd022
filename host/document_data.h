#pragma once
// The content of one document of the bundled host, as read from and written to its file: a JSON
// file of the host's own, or a FreeCAD document.

#include "host/file_stamp.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <array>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace tavik {

class FreeCadSource;

using PropertyList = QList<std::pair<QString, QString>>; // [name, value] in the host's order

struct AttributeInstance {
    QString name;
    QString definition;
    QList<std::pair<QString, double>> parameters;
    QJsonObject original; // the instance as read, so that members the host does not know survive
    QMap<QString, QByteArray> rawMembers; // each member's value as written in the file
};

struct DocumentData {
    QJsonObject original; // the file as read, so that members the host does not know survive
    // Each member's value as written in the file, and those of "summaryInfo": members the host
    // does not know are written back in these words, numbers exactly as they were.
    QMap<QString, QByteArray> rawMembers;
    QMap<QString, QByteArray> rawSummaryMembers;
    FileStamp stamp; // the file as read

    int type = 1;
    std::optional<QString> title; // absent: the file name stands for it
    QStringList configurations;
    std::optional<QString> activeConfiguration;
    QMap<QString, PropertyList> customProperties; // "" the document, else a configuration
    std::array<QString, 6> summaryInfo;
    int lengthUnit = 0;
    QString unitsString = QStringLiteral("mm");
    double density = 1000.0;
    bool massPropertiesFail = false; // the file says "error": the mass-property call fails
    std::vector<double> massProperties;
    QList<AttributeInstance> attributes;
    // Set for a document read from a FreeCAD file: the file as read, which a save edits, and the
    // shapes its mass properties come from (massProperties is not used then).
    std::shared_ptr<const FreeCadSource> freecad;

    PropertyList *level(const QString &configuration);
    const PropertyList *level(const QString &configuration) const;
    AttributeInstance *attribute(const QString &name);
};

// The JSON member names of the six summary fields, 0 title ... 5 saved by.
extern const std::array<const char *, 6> summaryInfoKeys;

} // namespace tavik
