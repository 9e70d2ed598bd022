#include "platform/file_info.h"

#include <QFileInfo>

namespace tavik {

FileInfo::FileInfo(const QString &path)
{
    if (path.isEmpty())
        return;
    const QFileInfo info(path);
    if (!info.isFile())
        return;
    m_exists = true;
    // Qt reads the birth time through statx where the kernel and file system provide it; older
    // file systems (and some network mounts) do not, and then the status change time is the
    // nearest thing Linux keeps.
    m_created = info.birthTime();
    if (!m_created.isValid())
        m_created = info.metadataChangeTime();
    m_modified = info.lastModified();
    m_accessed = info.lastRead();
    m_size = info.size();
}

bool FileInfo::fileExists(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}

} // namespace tavik
