#pragma once
// A folder tree of the sample documents (parts in parts/ and parts/bought/, the assembly in asm/),
// each with its configurations, and the add-in's configuration from the source tree.

#include "scratch_base.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

class BatchTree : public ScratchTest {
protected:
    BatchTree()
        : ScratchTest(QStringLiteral("batch"))
    {
        const QString samples = QStringLiteral(TAVIK_SOURCE_DIR "/data/samples/");
        for (const auto &[from, to] : std::initializer_list<std::pair<const char *, const char *>>{
                 {"Bracket.sldprt", "docs/parts/Bracket.sldprt"}, {"Gusset.sldprt", "docs/parts/Gusset.sldprt"},
                 {"Hinge.sldprt", "docs/parts/bought/Hinge.sldprt"}, {"Plate.sldprt", "docs/parts/Plate.sldprt"},
                 {"Frame.sldasm", "docs/asm/Frame.sldasm"}})
            write(QString::fromLatin1(to), readFile(samples + QString::fromLatin1(from)));
    }

    QString doc(const QString &relative) const { return dir.filePath(QStringLiteral("docs/") + relative); }

    // The value of a property at a level ("" the document), or nothing when the level lacks it.
    std::optional<QString> property(const QString &relative, const QString &level, const QString &name) const
    {
        const QJsonObject props
            = QJsonDocument::fromJson(readFile(doc(relative))).object()["customProperties"].toObject();
        for (const QJsonValue &pair : props[level].toArray())
            if (pair.toArray()[0].toString() == name)
                return pair.toArray()[1].toString();
        return std::nullopt;
    }

    // Sets a property in a document file directly, as another program would.
    void setProperty(const QString &relative, const QString &level, const QString &name, const QString &value)
    {
        QJsonObject o = QJsonDocument::fromJson(readFile(doc(relative))).object();
        QJsonObject props = o["customProperties"].toObject();
        QJsonArray list = props[level].toArray();
        bool found = false;
        for (qsizetype k = 0; k < list.size(); ++k)
            if (list[k].toArray()[0].toString() == name) {
                list[k] = QJsonArray{name, value};
                found = true;
            }
        if (!found)
            list.append(QJsonArray{name, value});
        props[level] = list;
        o["customProperties"] = props;
        writeFile(doc(relative), QJsonDocument(o).toJson());
    }

    // Every document's bytes, to show that nothing was written.
    QList<QByteArray> snapshot() const
    {
        QList<QByteArray> all;
        for (const char *name : {"parts/Bracket.sldprt", "parts/Gusset.sldprt", "parts/bought/Hinge.sldprt",
                 "parts/Plate.sldprt", "asm/Frame.sldasm"})
            all << readFile(doc(QString::fromLatin1(name)));
        return all;
    }

    const QString addin = QStringLiteral(TAVIK_SOURCE_DIR "/data");
    QString settings() const { return dir.filePath(QStringLiteral("settings.sqlite")); }
};
