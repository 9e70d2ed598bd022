#pragma once
// Zip archives made in memory with libzip for the tests of FreeCAD documents, sound or lying about
// an entry's size.

#include <QByteArray>
#include <QList>
#include <QString>
#include <gtest/gtest.h>
#include <utility>
#include <zip.h>

namespace zipMaker {

// The archive's bytes, entries (name, content) deflated in the order given.
inline QByteArray make(const QList<std::pair<QString, QByteArray>> &entries)
{
    zip_source_t *target = zip_source_buffer_create(nullptr, 0, 0, nullptr);
    zip_t *archive = zip_open_from_source(target, ZIP_TRUNCATE, nullptr);
    zip_source_keep(target);
    for (const auto &[name, content] : entries) {
        zip_source_t *source = zip_source_buffer(archive, content.constData(), zip_uint64_t(content.size()), 0);
        const zip_int64_t index = zip_file_add(archive, name.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8);
        EXPECT_GE(index, 0) << zip_strerror(archive);
        zip_set_file_compression(archive, zip_uint64_t(index), ZIP_CM_DEFLATE, 1);
    }
    EXPECT_EQ(zip_close(archive), 0);
    QByteArray bytes;
    zip_stat_t st;
    if (zip_source_stat(target, &st) == 0 && zip_source_open(target) == 0) {
        bytes.resize(qsizetype(st.size));
        bytes.resize(qsizetype(std::max<zip_int64_t>(0, zip_source_read(target, bytes.data(), st.size))));
        zip_source_close(target);
    }
    zip_source_free(target);
    return bytes;
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
