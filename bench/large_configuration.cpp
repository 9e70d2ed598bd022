#include "large_configuration.h"

#include <QFile>
#include <QSaveFile>

namespace tavik::bench {

namespace {
// Children of a group besides its two lists: plain items, a pick list, a composite.
constexpr int plainItems = 8;

QString tag(int f, int g, int i)
{
    return QStringLiteral("P%1_%2_%3").arg(f).arg(g).arg(i);
}
} // namespace

int LargeConfiguration::itemCount() const
{
    return frames * groupsPerFrame * (plainItems + 2 + 2 * listMembers);
}

QString LargeConfiguration::xml() const
{
    QString out;
    out.reserve(itemCount() * 160);
    out += QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                          "<Tavik xmlns=\"urn:tavik:configuration\">\n"
                          "  <settings useConfigs=\"true\" defaultFrame=\"0\" operation=\"local\"/>\n");
    for (int f = 0; f < frames; ++f) {
        out += QStringLiteral("  <frame name=\"Frame %1\">\n").arg(f);
        for (int g = 0; g < groupsPerFrame; ++g) {
            out += QStringLiteral("    <group name=\"Group %1\">\n").arg(g);
            int i = 0;
            for (; i < plainItems; ++i) {
                out += QStringLiteral("      <item CPTag=\"%1\" displayName=\"Field %2\" units=\"mm\" "
                                      "length=\"20\" allCaps=\"%3\" prototype=\"*\">"
                                      "<option>V%2</option><option default=\"true\">W%2</option></item>\n")
                           .arg(tag(f, g, i))
                           .arg(i)
                           .arg(i % 2 ? QStringLiteral("true") : QStringLiteral("false"));
            }
            const QString pick = tag(f, g, i++);
            out += QStringLiteral("      <item CPTag=\"%1\" type=\"list\">"
                                  "<option><value>Steel</value><value>S235</value><value>7850</value></option>"
                                  "<option default=\"true\"><value>Alu</value><value>6082</value></option>"
                                  "</item>\n")
                       .arg(pick);
            out += QStringLiteral("      <custPropList linkTo=\"%1\">\n").arg(tag(f, g, 0));
            for (int m = 0; m < listMembers; ++m)
                out += QStringLiteral("        <item CPTag=\"%1\" location=\"onlyDocument\"/>\n").arg(tag(f, g, i++));
            out += QStringLiteral("      </custPropList>\n      <custPropList>\n");
            for (int m = 0; m < listMembers; ++m)
                out += QStringLiteral("        <item CPTag=\"%1\"><option>x</option></item>\n").arg(tag(f, g, i++));
            out += QStringLiteral("      </custPropList>\n");
            out += QStringLiteral("      <item CPTag=\"%1\" type=\"composite\" length=\"60\">"
                                  "<option>%2</option><option>-</option><option useValue=\"y\">%3</option>"
                                  "</item>\n")
                       .arg(tag(f, g, i), tag(f, g, 1), pick);
            out += QStringLiteral("    </group>\n");
        }
        out += QStringLiteral("  </frame>\n");
    }
    out += QStringLiteral("</Tavik>\n");
    return out;
}

bool writeLargeConfiguration(const LargeConfiguration &config, const QString &folder, const QString &schemaPath)
{
    QFile schema(schemaPath);
    if (!schema.open(QIODevice::ReadOnly))
        return false;
    const QByteArray schemaText = schema.readAll();

    auto write = [&folder](const QString &name, const QByteArray &bytes) {
        QSaveFile file(folder + QLatin1Char('/') + name);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
    };
    return write(QStringLiteral("Tavik.xsd"), schemaText) && write(QStringLiteral("Tavik.xml"), config.xml().toUtf8());
}

} // namespace tavik::bench
