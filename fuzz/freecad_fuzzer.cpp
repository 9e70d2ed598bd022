// Feeds FreeCAD's Document.xml reader arbitrary bytes. A document it accepts must take an edit of
// its Meta map and its Label, and the edited text must read again to the same document with just
// those two changed: the byte positions the edits are spliced at agree with the XML parser's view.

#include "freecad/document_xml.h"
#include "freecad/fcstd_error.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstdlib>

namespace {

bool same(const tavik::FreeCadProperty &a, const tavik::FreeCadProperty &b)
{
    return a.name == b.name && a.type == b.type && a.text == b.text && a.items == b.items && a.integer == b.integer;
}

bool same(const tavik::FreeCadObject &a, const tavik::FreeCadObject &b)
{
    return a.name == b.name && a.type == b.type && a.visible == b.visible && a.shapeEntry == b.shapeEntry
        && a.dependencies == b.dependencies && a.linksOtherFile == b.linksOtherFile;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace tavik;
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString text = QString::fromUtf8("a&b<c>\"d'\n\r\t ß 😀");
    const FreeCadItems items{{QStringLiteral("Fuzz"), text}, {QString(), QString()}};
    QByteArray edited;
    try {
        DocumentXml doc(input);
        doc.setMap(QStringLiteral("Meta"), items);
        doc.setString(QStringLiteral("Label"), text);
        edited = doc.bytes();
    } catch (const FcstdError &) {
        return 0;
    }
    try {
        const DocumentXml before(input);
        const DocumentXml after(edited);
        if (after.property(QStringLiteral("Meta"))->items != items
            || after.property(QStringLiteral("Label"))->text != text)
            std::abort();
        const auto isEdited
            = [](const QString &name) { return name == QLatin1String("Meta") || name == QLatin1String("Label"); };
        qsizetype kept = 0;
        for (const FreeCadProperty &p : before.properties()) {
            if (isEdited(p.name))
                continue;
            const FreeCadProperty *again = after.property(p.name);
            if (!again || !same(p, *again))
                std::abort();
            ++kept;
        }
        if (after.properties().size() != kept + 2)
            std::abort();
        if (before.objects().size() != after.objects().size())
            std::abort();
        for (qsizetype i = 0; i < before.objects().size(); ++i)
            if (!same(before.objects()[i], after.objects()[i]))
                std::abort();
    } catch (const FcstdError &) {
        std::abort(); // the reader refuses what an edit wrote
    }
    return 0;
}
