#include "batch/file_identity.h"

#include <QCryptographicHash>
#include <QFile>

namespace tavik {

FileIdentity FileIdentity::of(const QByteArray &content)
{
    return {content.size(), QCryptographicHash::hash(content, QCryptographicHash::Sha256).toHex()};
}

FileIdentity FileIdentity::ofFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return {};
    return of(content);
}

} // namespace tavik
