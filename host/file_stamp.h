#pragma once
// What a document file was when it was read: its identity on disk, its size and time, and a hash
// of the bytes read, so that a save can tell whether another program has written it since.

#include <QByteArray>
#include <QtGlobal>

namespace tavik {

struct FileStamp {
    bool read = false; // false: no file was read (a new document)
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    QByteArray sha256;
};

} // namespace tavik
