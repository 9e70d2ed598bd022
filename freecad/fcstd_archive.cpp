#include "freecad/fcstd_archive.h"

#include "freecad/fcstd_error.h"

#include <QRegularExpression>

#include <algorithm>
#include <ctime>
#include <zip.h>

namespace tavik {

namespace {

QString quotedName(const QString &name)
{
    return QLatin1Char('"') + name + QLatin1Char('"');
}

// Takes the text of a libzip error and releases it.
QString takeErrorText(zip_error_t &error)
{
    const QString text = QString::fromUtf8(zip_error_strerror(&error));
    zip_error_fini(&error);
    return text;
}

// A libzip source over bytes; doing says what fails when it cannot be made ("read", "written").
zip_source_t *bufferSource(const QByteArray &bytes, const char *doing)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t *source = zip_source_buffer_create(
        bytes.isEmpty() ? nullptr : bytes.constData(), zip_uint64_t(bytes.size()), 0, &error);
    if (!source)
        throw FcstdError(
            QStringLiteral("the zip archive cannot be %1 (%2)").arg(QLatin1String(doing), takeErrorText(error)));
    zip_error_fini(&error);
    return source;
}

// Opens bytes as an archive; the archive owns the source afterwards.
zip_t *openArchive(zip_source_t *source, int flags)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_t *archive = zip_open_from_source(source, flags | ZIP_CHECKCONS, &error);
    if (!archive) {
        zip_source_free(source);
        throw FcstdError(QStringLiteral("the file is not a readable zip archive (%1)").arg(takeErrorText(error)));
    }
    zip_error_fini(&error);
    return archive;
}

// Reads everything a source holds, after libzip has written an archive into it.
QByteArray readSource(zip_source_t *source)
{
    QByteArray bytes;
    if (zip_source_open(source) < 0)
        return bytes;
    char buffer[65536];
    for (zip_int64_t n; (n = zip_source_read(source, buffer, sizeof buffer)) > 0;)
        bytes.append(buffer, qsizetype(n));
    zip_source_close(source);
    return bytes;
}

} // namespace

void FcstdArchive::Discard::operator()(zip *archive) const
{
    zip_discard(archive);
}

bool isSafeEntryName(const QString &name)
{
    if (name.isEmpty() || name.startsWith(QLatin1Char('/')) || name.startsWith(QLatin1Char('\\')))
        return false;
    // A drive letter makes a name absolute on the systems that know them.
    if (name.size() >= 2 && name[1] == QLatin1Char(':') && name[0].isLetter())
        return false;
    static const QRegularExpression separators(QStringLiteral("[/\\\\]"));
    const QStringList parts = name.split(separators);
    return std::none_of(parts.cbegin(), parts.cend(), [](const QString &part) { return part == QLatin1String(".."); });
}

QString byteCountText(qint64 bytes)
{
    if (bytes > 0 && bytes % (qint64(1) << 30) == 0)
        return QStringLiteral("%1 GiB").arg(bytes >> 30);
    if (bytes > 0 && bytes % (qint64(1) << 20) == 0)
        return QStringLiteral("%1 MiB").arg(bytes >> 20);
    return QStringLiteral("%1 bytes").arg(bytes);
}

FcstdArchive::FcstdArchive(QByteArray bytes, FcstdLimits limits)
    : m_bytes(std::move(bytes))
    , m_limits(limits)
{
    if (m_bytes.isEmpty())
        throw FcstdError(QStringLiteral("the file is empty, not a zip archive"));
    m_zip.reset(openArchive(bufferSource(m_bytes, "read"), ZIP_RDONLY));

    const zip_int64_t count = zip_get_num_entries(m_zip.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const char *raw = zip_get_name(m_zip.get(), zip_uint64_t(i), ZIP_FL_ENC_GUESS);
        if (!raw)
            throw FcstdError(QStringLiteral("the zip archive cannot be read (%1)").arg(zip_strerror(m_zip.get())));
        const QString name = QString::fromUtf8(raw);
        if (!isSafeEntryName(name))
            throw FcstdError(QStringLiteral("the zip archive holds an entry named %1, which points outside the archive")
                                 .arg(quotedName(name)));
        if (m_names.contains(name))
            throw FcstdError(QStringLiteral("the zip archive holds two entries named %1").arg(quotedName(name)));
        m_names.append(name);
    }
}

FcstdArchive::~FcstdArchive() = default;

QByteArray FcstdArchive::read(const QString &name, qint64 limit)
{
    const qsizetype index = m_names.indexOf(name);
    if (index < 0)
        throw FcstdError(QStringLiteral("the zip archive holds no entry named %1").arg(quotedName(name)));
    const qint64 bound = limit < 0 ? m_limits.entry : std::min(limit, m_limits.entry);
    const auto tooLarge = [&] {
        return FcstdError(QStringLiteral("the zip archive's entry %1 inflates to more than %2")
                              .arg(quotedName(name), byteCountText(bound)));
    };

    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(m_zip.get(), zip_uint64_t(index), 0, &stat) < 0)
        throw FcstdError(QStringLiteral("the zip archive's entry %1 cannot be read (%2)")
                             .arg(quotedName(name), zip_strerror(m_zip.get())));
    if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE)
        throw FcstdError(QStringLiteral("the zip archive's entry %1 is encrypted").arg(quotedName(name)));
    if ((stat.valid & ZIP_STAT_SIZE) && stat.size > zip_uint64_t(bound))
        throw tooLarge();

    zip_file_t *file = zip_fopen_index(m_zip.get(), zip_uint64_t(index), 0);
    if (!file)
        throw FcstdError(QStringLiteral("the zip archive's entry %1 cannot be read (%2)")
                             .arg(quotedName(name), zip_strerror(m_zip.get())));
    const std::unique_ptr<zip_file_t, int (*)(zip_file_t *)> closer(file, &zip_fclose);

    QByteArray content;
    if (stat.valid & ZIP_STAT_SIZE)
        content.reserve(qsizetype(stat.size));
    char buffer[65536];
    for (;;) {
        const zip_int64_t n = zip_fread(file, buffer, sizeof buffer);
        if (n < 0)
            throw FcstdError(
                QStringLiteral("the zip archive's entry %1 is damaged (%2)")
                    .arg(quotedName(name), QString::fromUtf8(zip_error_strerror(zip_file_get_error(file)))));
        if (n == 0)
            break;
        // The declared size may lie: the bound holds for what actually comes out.
        if (content.size() + n > bound)
            throw tooLarge();
        if (m_read + n > m_limits.total)
            throw FcstdError(
                QStringLiteral("the zip archive inflates to more than %1 in all").arg(byteCountText(m_limits.total)));
        m_read += n;
        content.append(buffer, qsizetype(n));
    }
    return content;
}

QByteArray FcstdArchive::withEntry(const QString &name, const QByteArray &content) const
{
    const qsizetype index = m_names.indexOf(name);
    if (index < 0)
        throw FcstdError(QStringLiteral("the zip archive holds no entry named %1").arg(quotedName(name)));

    // libzip writes the changed archive back into the buffer source it was opened from; entries
    // that did not change are copied from the old archive without being inflated again.
    zip_source_t *source = bufferSource(m_bytes, "written");
    zip_t *archive = openArchive(source, 0);
    zip_source_keep(source);
    const std::unique_ptr<zip_source_t, void (*)(zip_source_t *)> sourceOwner(source, &zip_source_free);

    const auto fail = [&](const QString &reason) {
        zip_discard(archive);
        return FcstdError(QStringLiteral("the zip archive cannot be written (%1)").arg(reason));
    };
    zip_source_t *entry = zip_source_buffer(
        archive, content.isEmpty() ? nullptr : content.constData(), zip_uint64_t(content.size()), 0);
    if (!entry)
        throw fail(QString::fromUtf8(zip_strerror(archive)));
    if (zip_file_replace(archive, zip_uint64_t(index), entry, 0) < 0) {
        zip_source_free(entry);
        throw fail(QString::fromUtf8(zip_strerror(archive)));
    }
    if (zip_set_file_compression(archive, zip_uint64_t(index), ZIP_CM_DEFLATE, 0) < 0
        || zip_file_set_mtime(archive, zip_uint64_t(index), std::time(nullptr), 0) < 0)
        throw fail(QString::fromUtf8(zip_strerror(archive)));
    if (zip_close(archive) < 0)
        throw fail(QString::fromUtf8(zip_strerror(archive)));

    QByteArray written = readSource(source);
    if (written.isEmpty())
        throw FcstdError(QStringLiteral("the zip archive cannot be written (%1)")
                             .arg(QString::fromUtf8(zip_error_strerror(zip_source_error(source)))));
    return written;
}

} // namespace tavik
