#pragma once
// Zip archives made in memory for the tests of FreeCAD documents: entries given by content, or
// an entry of zeros that is deflated without ever being held whole; and raw looks into an archive
// (an entry's compressed bytes, its time) to check what a writer copied.

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstring>
#include <gtest/gtest.h>
#include <utility>
#include <zip.h>

namespace zipMaker {

struct Entry {
    QString name;
    QByteArray content;
    qint64 zeros = 0; // when set, the content is that many zero bytes instead
};

namespace detail {

struct Zeros {
    zip_uint64_t size;
    zip_uint64_t left;
    zip_error_t error;
};

inline zip_int64_t zerosSource(void *state, void *data, zip_uint64_t length, zip_source_cmd_t command)
{
    auto *z = static_cast<Zeros *>(state);
    switch (command) {
    case ZIP_SOURCE_OPEN:
        z->left = z->size;
        return 0;
    case ZIP_SOURCE_READ: {
        const zip_uint64_t n = std::min(length, z->left);
        std::memset(data, 0, n);
        z->left -= n;
        return zip_int64_t(n);
    }
    case ZIP_SOURCE_CLOSE:
        return 0;
    case ZIP_SOURCE_STAT: {
        auto *st = static_cast<zip_stat_t *>(data);
        zip_stat_init(st);
        st->size = z->size;
        st->valid |= ZIP_STAT_SIZE;
        return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_ERROR:
        return zip_error_to_data(&z->error, data, length);
    case ZIP_SOURCE_FREE:
        delete z;
        return 0;
    case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
            ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
    default:
        zip_error_set(&z->error, ZIP_ER_OPNOTSUPP, 0);
        return -1;
    }
}

} // namespace detail

// The archive's bytes, entries in the order given.
inline QByteArray make(const QList<Entry> &entries)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t *target = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_t *archive = zip_open_from_source(target, ZIP_TRUNCATE, &error);
    EXPECT_NE(archive, nullptr);
    if (!archive)
        return {};
    zip_source_keep(target);
    for (const Entry &e : entries) {
        zip_source_t *source = nullptr;
        if (e.zeros > 0)
            source = zip_source_function_create(
                &detail::zerosSource, new detail::Zeros{zip_uint64_t(e.zeros), 0, {}}, &error);
        else
            source = zip_source_buffer(archive, e.content.constData(), zip_uint64_t(e.content.size()), 0);
        const zip_int64_t index = zip_file_add(archive, e.name.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8);
        EXPECT_GE(index, 0) << zip_strerror(archive);
        zip_set_file_compression(archive, zip_uint64_t(index), ZIP_CM_DEFLATE, 1);
    }
    EXPECT_EQ(zip_close(archive), 0);
    QByteArray bytes;
    if (zip_source_open(target) == 0) {
        char buffer[65536];
        for (zip_int64_t n; (n = zip_source_read(target, buffer, sizeof buffer)) > 0;)
            bytes.append(buffer, qsizetype(n));
        zip_source_close(target);
    }
    zip_source_free(target);
    return bytes;
}

// Opens bytes for a look inside; close with zip_discard.
inline zip_t *open(const QByteArray &bytes)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t *source = zip_source_buffer_create(bytes.constData(), zip_uint64_t(bytes.size()), 0, &error);
    zip_t *archive = zip_open_from_source(source, ZIP_RDONLY, &error);
    if (!archive)
        zip_source_free(source);
    return archive;
}

// Each entry's name, compressed bytes and modification time, in the archive's order.
struct RawEntry {
    QString name;
    QByteArray compressed;
    time_t modified = 0;
    bool operator==(const RawEntry &) const = default;
};

inline QList<RawEntry> rawEntries(const QByteArray &bytes)
{
    QList<RawEntry> entries;
    zip_t *archive = open(bytes);
    EXPECT_NE(archive, nullptr);
    if (!archive)
        return entries;
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
        zip_stat_t st;
        zip_stat_index(archive, zip_uint64_t(i), 0, &st);
        RawEntry e{QString::fromUtf8(st.name), {}, st.mtime};
        zip_file_t *f = zip_fopen_index(archive, zip_uint64_t(i), ZIP_FL_COMPRESSED);
        char buffer[65536];
        for (zip_int64_t n; f && (n = zip_fread(f, buffer, sizeof buffer)) > 0;)
            e.compressed.append(buffer, qsizetype(n));
        if (f)
            zip_fclose(f);
        entries.append(e);
    }
    zip_discard(archive);
    return entries;
}

// The bytes with the uncompressed size that the headers of the first entry declare changed, so
// that the archive lies about what the entry inflates to.
inline QByteArray withDeclaredSize(QByteArray bytes, quint32 size)
{
    const auto put = [&](qsizetype at) {
        for (int k = 0; k < 4; ++k)
            bytes[at + k] = char((size >> (8 * k)) & 0xff);
    };
    const qsizetype local = bytes.indexOf(QByteArray("PK\x03\x04", 4));
    const qsizetype central = bytes.indexOf(QByteArray("PK\x01\x02", 4));
    EXPECT_TRUE(local >= 0 && central >= 0);
    put(local + 22);
    put(central + 24);
    return bytes;
}

} // namespace zipMaker
