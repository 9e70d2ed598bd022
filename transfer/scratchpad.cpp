#include "transfer/scratchpad.h"

#include "config/product.h"
#include "platform/settings_store.h"

namespace tavik {

QString Scratchpad::application()
{
    return product::title();
}

QString Scratchpad::section()
{
    return QStringLiteral("Scratch");
}

void Scratchpad::save(const QString &CPTag, const QString &text)
{
    m_store.write(application(), section(), CPTag, text);
}

std::optional<QString> Scratchpad::value(const QString &CPTag) const
{
    return m_store.value(application(), section(), CPTag);
}

void Scratchpad::clear()
{
    m_store.deleteSection(application(), section());
}

} // namespace tavik
