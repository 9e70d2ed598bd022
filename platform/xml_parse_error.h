#pragma once
// Why an XML document or schema could not be loaded: the line the parser or validator was at, and
// its reason text (ending in a line break). Line 0 and an empty reason when nothing was reported.

#include <QString>

namespace tavik {

struct XmlParseError {
    long line = 0;
    QString reason;
};

} // namespace tavik
