#pragma once
// What the FreeCAD tests read from a document file by themselves, so as not to rely on the code
// under test: an archive entry's bytes (libzip), and which entry holds each object's shape
// (Document.xml).

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QXmlStreamReader>
#include <zip.h>

// The bytes of one entry of the zip archive at path; empty when the archive or entry is missing.
inline QByteArray zipEntry(const QString &path, const QString &name)
{
    int error = 0;
    zip_t *archive = zip_open(path.toLocal8Bit().constData(), ZIP_RDONLY, &error);
    if (!archive)
        return {};
    QByteArray bytes;
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat(archive, name.toUtf8().constData(), 0, &stat) == 0) {
        if (zip_file_t *file = zip_fopen(archive, name.toUtf8().constData(), 0)) {
            bytes.resize(qsizetype(stat.size));
            if (zip_fread(file, bytes.data(), stat.size) != zip_int64_t(stat.size))
                bytes.clear();
            zip_fclose(file);
        }
    }
    zip_close(archive);
    return bytes;
}

// Object name -> the archive entry of its Shape property, from a Document.xml.
inline QMap<QString, QString> shapeEntries(const QByteArray &documentXml)
{
    QMap<QString, QString> entries;
    QXmlStreamReader xml(documentXml);
    bool inData = false;
    QString object, property;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isEndElement() && xml.name() == QLatin1String("ObjectData"))
            inData = false;
        if (!xml.isStartElement())
            continue;
        const auto name = xml.name();
        const auto attributes = xml.attributes();
        if (name == QLatin1String("ObjectData"))
            inData = true;
        else if (inData && name == QLatin1String("Object"))
            object = attributes.value(QLatin1String("name")).toString();
        else if (inData && name == QLatin1String("Property"))
            property = attributes.value(QLatin1String("type")) == QLatin1String("Part::PropertyPartShape")
                ? attributes.value(QLatin1String("name")).toString()
                : QString();
        else if (inData && name == QLatin1String("Part") && property == QLatin1String("Shape"))
            entries[object] = attributes.value(QLatin1String("file")).toString();
    }
    return entries;
}
