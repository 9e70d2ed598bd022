#pragma once
// Zip archives made in memory with libzip for the tests of FreeCAD documents, sound or lying about
// an entry's size.

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <utility>
#include <zip.h>

namespace zipMaker {

// The archive's bytes, entries (name, content) deflated in the order given.
inline QByteArray make(const QList<std::pair<QString, QByteArray>> &entries)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("made.zip"));
    zip_t *archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, nullptr);
    for (const auto &[name, content] : entries) {
        zip_source_t *source = zip_source_buffer(archive, content.constData(), zip_uint64_t(content.size()), 0);
        EXPECT_GE(zip_file_add(archive, name.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8), 0)
            << zip_strerror(archive);
    }
    EXPECT_EQ(zip_close(archive), 0);
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The bytes with the uncompressed size that both headers of the first entry declare changed, so
// that the archive lies about what the entry inflates to.
inline QByteArray withDeclaredSize(QByteArray bytes, quint32 size)
{
    for (const qsizetype at :
        {bytes.indexOf(QByteArray("PK\x03\x04", 4)) + 22, bytes.indexOf(QByteArray("PK\x01\x02", 4)) + 24})
        for (int k = 0; k < 4; ++k)
            bytes[at + k] = char((size >> (8 * k)) & 0xff);
    return bytes;
}

} // namespace zipMaker
