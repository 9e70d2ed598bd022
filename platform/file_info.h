#pragma once
// What the file system says about one file: whether it exists, its three dates and its size.
// Read once when the object is made; later changes to the file are not seen.

#include <QDateTime>
#include <QString>

namespace tavik {

class FileInfo {
public:
    explicit FileInfo(const QString &path);

    // True for a regular file (following symbolic links); a folder is not a file.
    static bool fileExists(const QString &path);

    bool exists() const { return m_exists; }
    // Birth time where the file system records it, else the last status change time.
    QDateTime created() const { return m_created; }
    QDateTime modified() const { return m_modified; }
    QDateTime accessed() const { return m_accessed; }
    qint64 size() const { return m_size; }

private:
    bool m_exists = false;
    QDateTime m_created;
    QDateTime m_modified;
    QDateTime m_accessed;
    qint64 m_size = 0;
};

} // namespace tavik
