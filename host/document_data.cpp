#include "host/document_data.h"

namespace tavik {

const std::array<const char *, 6> summaryInfoKeys = {"title", "subject", "author", "keywords", "comments", "savedBy"};

PropertyList *DocumentData::level(const QString &configuration)
{
    if (!configuration.isEmpty() && !configurations.contains(configuration))
        return nullptr;
    return &customProperties[configuration];
}

const PropertyList *DocumentData::level(const QString &configuration) const
{
    static const PropertyList none;
    if (!configuration.isEmpty() && !configurations.contains(configuration))
        return nullptr;
    const auto it = customProperties.constFind(configuration);
    return it == customProperties.cend() ? &none : &*it;
}

AttributeInstance *DocumentData::attribute(const QString &name)
{
    for (AttributeInstance &a : attributes)
        if (a.name == name)
            return &a;
    return nullptr;
}

} // namespace tavik
