#include "platform/xml_written_mark.h"

namespace tavik {

namespace {
char g_writtenMark;
} // namespace

void markWrittenAttributes(xmlNodePtr element)
{
    for (xmlAttr *attr = element->properties; attr; attr = attr->next)
        attr->_private = &g_writtenMark;
}

bool isMarkedWritten(const xmlAttr *attr)
{
    return attr && attr->_private == &g_writtenMark;
}

} // namespace tavik
