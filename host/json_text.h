#pragma once
// Reading the text of a JSON document where Qt's reader loses it: a member given twice in one
// object (Qt keeps one silently), and the exact text of a member's value (Qt rounds numbers), so
// that members the host does not know are written back as they were. The text must already have
// passed Qt's reader; the scan only looks at well-formed JSON.

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

namespace tavik::jsonText {

// The first member given twice in one object, anywhere in the document, as a fault text naming
// it; empty when every object names each member once.
QString firstRepeatedMember(const QByteArray &json);

// The members of the object written in objectText, each with the text of its value as written.
QMap<QString, QByteArray> members(const QByteArray &objectText);

// The elements of the array written in arrayText, each as written.
QList<QByteArray> elements(const QByteArray &arrayText);

} // namespace tavik::jsonText
