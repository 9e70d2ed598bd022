#include "host/length_units.h"

#include <array>

namespace tavik {

namespace {
const std::array<const char16_t *, 11> unitTexts
    = {u"mm", u"cm", u"m", u"in", u"ft", u"ft-in", u"\u00c5", u"nm", u"\u00b5m", u"mil", u"\u00b5in"};
}

bool isLengthUnit(int code)
{
    return code >= 0 && code < int(unitTexts.size());
}

QString lengthUnitText(int code)
{
    return isLengthUnit(code) ? QString::fromUtf16(unitTexts[code]) : QString();
}

} // namespace tavik
