#include "batch/document_walk.h"

#include "batch/batch_document.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace tavik {

qint64 DocumentWalk::run(const std::function<void(const QString &)> &visit)
{
    problems.clear();
    m_seen.clear();
    m_several = m_paths.size() > 1;
    qint64 visited = 0;
    const auto once = [&](const QString &path) {
        if (m_several) {
            const QString canonical = QFileInfo(path).canonicalFilePath();
            if (m_seen.contains(canonical))
                return;
            m_seen.insert(canonical);
        }
        ++visited;
        visit(path);
    };
    for (const QString &path : m_paths) {
        const QFileInfo info(path);
        if (info.isDir())
            walkFolder(path, once);
        else if (info.isFile())
            once(path);
        else
            problems << QStringLiteral("%1: no such file or folder").arg(path);
    }
    return visited;
}

qint64 DocumentWalk::count()
{
    const QStringList kept = problems;
    const qint64 n = run([](const QString &) {});
    problems = kept;
    return n;
}

void DocumentWalk::walkFolder(const QString &folder, const std::function<void(const QString &)> &visit)
{
    // Links to folders are not followed: a link back up the tree would never end.
    const QDir dir(folder);
    const QFileInfoList entries
        = dir.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
    const QString prefix = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    for (const QFileInfo &entry : entries) {
        const QString path = prefix + entry.fileName();
        if (entry.isDir()) {
            if (!entry.isSymLink())
                walkFolder(path, visit);
        } else if (isBatchDocumentPath(path)) {
            visit(path);
        }
    }
}

} // namespace tavik
