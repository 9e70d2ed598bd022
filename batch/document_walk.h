#pragma once
// The documents named on a command line: each path is a document file or a folder walked
// recursively, in path order (names sorted within each folder), one document at a time so that
// nothing is gathered. A document named twice (a file inside a folder also given) is visited once.

#include <QSet>
#include <QString>
#include <QStringList>
#include <functional>

namespace tavik {

class DocumentWalk {
public:
    explicit DocumentWalk(QStringList paths)
        : m_paths(std::move(paths))
    {
    }

    // Calls visit with each document's path, as given or joined to the folder given. Returns the
    // number of documents visited. A path that does not exist is named in problems.
    qint64 run(const std::function<void(const QString &path)> &visit);
    // The number of documents run() would visit, without visiting them.
    qint64 count();

    QStringList problems;

private:
    void walkFolder(const QString &folder, const std::function<void(const QString &)> &visit);

    QStringList m_paths;
    bool m_several = false;
    QSet<QString> m_seen; // canonical paths, kept only when several paths could overlap
};

} // namespace tavik
