#pragma once
// The configuration model as JSON, with the model's own field names: what tavik-check prints, so
// that an administrator can see how the editor reads a configuration file. Item references are
// [frame, group, item] arrays; editor-owned fields (controls, pages, tabs) are left out.

#include "config/shared_state.h"

#include <QJsonArray>
#include <QJsonObject>

namespace tavik {

QJsonArray refToJson(const CPRef &ref);
QJsonObject itemToJson(const CPItem &item);
QJsonObject listToJson(const CPList &list);
QJsonObject compositeToJson(const Composite &composite);
QJsonObject frameToJson(const Frame &frame);

// {"settings": {...}, "frames": [...]}
QJsonObject modelToJson(const SharedState &state);

} // namespace tavik
