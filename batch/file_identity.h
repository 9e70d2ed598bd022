#pragma once
// What a document file was when it was read: its size and a digest of its bytes, so that a change
// made on disk since then is seen whatever its modification time says.

#include <QByteArray>
#include <QString>

namespace tavik {

struct FileIdentity {
    qint64 size = -1; // -1: no file
    QByteArray sha256; // lower-case hexadecimal

    bool operator==(const FileIdentity &) const = default;
    static FileIdentity of(const QByteArray &content);
    // The file as it is now; size -1 when it cannot be read.
    static FileIdentity ofFile(const QString &path);
};

} // namespace tavik
