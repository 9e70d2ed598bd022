#include "config/model_json.h"

namespace tavik {

QJsonArray refToJson(const CPRef &ref)
{
    return QJsonArray{ref.f_idx, ref.g_idx, ref.i_idx};
}

namespace {
QJsonObject optionToJson(const CPOption &option)
{
    return QJsonObject{
        {QStringLiteral("values"), QJsonArray{option.values[0], option.values[1], option.values[2]}},
        {QStringLiteral("useValue"), option.useValue},
    };
}

template <typename T, typename F>
QJsonArray arrayOf(const std::vector<T> &elements, F toJson)
{
    QJsonArray array;
    for (const auto &element : elements)
        array.append(toJson(element));
    return array;
}
} // namespace

QJsonObject itemToJson(const CPItem &item)
{
    QJsonArray compositeRefs;
    for (int16_t r : item.compositeRefs)
        compositeRefs.append(r);
    return QJsonObject{
        {QStringLiteral("f_idx"), item.f_idx},
        {QStringLiteral("g_idx"), item.g_idx},
        {QStringLiteral("i_idx"), item.i_idx},
        {QStringLiteral("inList"), item.inList},
        {QStringLiteral("listRef"), refToJson(item.listRef)},
        {QStringLiteral("listIndex"), item.listIndex},
        {QStringLiteral("hasPrototype"), item.hasPrototype},
        {QStringLiteral("saveDefaults"), item.saveDefaults},
        {QStringLiteral("compositeRefs"), compositeRefs},
        {QStringLiteral("compositeRefsUpper"), item.compositeRefsUpper},
        {QStringLiteral("isListTarget"), item.isListTarget},
        {QStringLiteral("sourceList"), refToJson(item.sourceList)},
        {QStringLiteral("CPTag"), item.CPTag},
        {QStringLiteral("type"), item.type},
        {QStringLiteral("displayName"), item.displayName},
        {QStringLiteral("units"), item.units},
        {QStringLiteral("sameForAllConfigs"), item.sameForAllConfigs},
        {QStringLiteral("prototype"), item.prototype},
        {QStringLiteral("length"), item.length},
        {QStringLiteral("minVal"), item.minVal},
        {QStringLiteral("maxVal"), item.maxVal},
        {QStringLiteral("incVal"), item.incVal},
        {QStringLiteral("allCaps"), item.allCaps},
        {QStringLiteral("location"), item.location},
        {QStringLiteral("visible"), item.visible},
        {QStringLiteral("editable"), item.editable},
        {QStringLiteral("systemWrite"), item.systemWrite},
        {QStringLiteral("systemWriteValue"), item.systemWriteValue},
        {QStringLiteral("defaultValue"), item.defaultValue},
        {QStringLiteral("options"), arrayOf(item.options, optionToJson)},
    };
}

QJsonObject listToJson(const CPList &list)
{
    return QJsonObject{
        {QStringLiteral("position"), refToJson(list.position)},
        {QStringLiteral("visible"), list.visible},
        {QStringLiteral("editable"), list.editable},
        {QStringLiteral("linked"), list.linked},
        {QStringLiteral("linkTo"), list.linkTo},
        {QStringLiteral("target"), refToJson(list.target)},
        {QStringLiteral("defaultIndex"), list.defaultIndex},
        {QStringLiteral("members"), arrayOf(list.members, refToJson)},
    };
}

QJsonObject compositeToJson(const Composite &composite)
{
    auto partToJson = [](const CompositePart &part) {
        return QJsonObject{
            {QStringLiteral("ref"), refToJson(part.ref)},
            {QStringLiteral("useValue"), part.useValue},
            {QStringLiteral("text"), part.text},
        };
    };
    return QJsonObject{
        {QStringLiteral("owner"), refToJson(composite.owner)},
        {QStringLiteral("parts"), arrayOf(composite.parts, partToJson)},
    };
}

QJsonObject frameToJson(const Frame &frame)
{
    auto groupToJson = [](const Group &group) {
        return QJsonObject{
            {QStringLiteral("name"), group.name},
            {QStringLiteral("items"), arrayOf(group.items, itemToJson)},
            {QStringLiteral("lists"), arrayOf(group.lists, listToJson)},
        };
    };
    return QJsonObject{
        {QStringLiteral("name"), frame.name},
        {QStringLiteral("groups"), arrayOf(frame.groups, groupToJson)},
        {QStringLiteral("composites"), arrayOf(frame.composites, compositeToJson)},
    };
}

QJsonObject modelToJson(const SharedState &state)
{
    const QJsonObject settings{
        {QStringLiteral("useConfigs"), state.useConfigs},
        {QStringLiteral("defaultFrame"), state.defaultFrame},
        {QStringLiteral("remoteOperation"), state.remoteOperation},
        {QStringLiteral("serverName"), state.serverName},
        {QStringLiteral("serverPort"), state.serverPort},
        {QStringLiteral("operationLabel"), state.operationLabel},
    };
    return QJsonObject{
        {QStringLiteral("settings"), settings},
        {QStringLiteral("frames"), arrayOf(state.frames, frameToJson)},
    };
}

} // namespace tavik
