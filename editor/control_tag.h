#pragma once
// The tag every created control carries: frame ":" group ":" item ":" slot, each number with at
// least three digits; pages carry "---" in the item place, frame containers and tab strips the
// frame alone.

#include <QString>

#include <cstdint>

class QObject;

namespace tavik {

QString tagNumber(int n); // "007", "1234"
QString controlTag(int f, int g, int i, int c); // "000:002:005:001"
QString pageTag(int f, int g, int c); // "000:002:---:001"

void setTag(QObject *control, const QString &tag);
QString tagOf(const QObject *control);

// The frame, group, item and slot a control's tag names, as M::splitTag reads them.
struct FieldIndex {
    int16_t f = 0, g = 0, i = 0, c = 0;
};

} // namespace tavik
