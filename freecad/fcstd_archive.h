#pragma once
// The zip archive a FreeCAD document is kept in, opened from the file's bytes. Its entries are
// read with a bound on what they inflate to, and the archive is written again with one entry's
// content replaced and every other entry copied as it was. Every fault throws FcstdError.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <memory>

struct zip;

namespace tavik {

// How much an archive may inflate to: one entry, and everything read from one archive.
struct FcstdLimits {
    qint64 entry = qint64(512) << 20;
    qint64 total = qint64(2) << 30;
};

class FcstdArchive {
public:
    // Refuses bytes that are not a consistent zip archive, and entry names that are absolute or
    // climb out of the archive with "..".
    explicit FcstdArchive(QByteArray bytes, FcstdLimits limits = {});
    ~FcstdArchive();
    FcstdArchive(const FcstdArchive &) = delete;
    FcstdArchive &operator=(const FcstdArchive &) = delete;

    const QByteArray &bytes() const { return m_bytes; }
    // Entry names in the archive's order.
    const QStringList &entryNames() const { return m_names; }
    bool contains(const QString &name) const { return m_names.contains(name); }

    // The inflated content of an entry, read no further than limit (and the archive's own bound
    // on one entry), whatever size the archive declares for it.
    QByteArray read(const QString &name, qint64 limit = -1);

    // The archive's bytes with the content of an existing entry replaced. The other entries keep
    // their compressed bytes, order, names, times and attributes, and the archive its comment.
    QByteArray withEntry(const QString &name, const QByteArray &content) const;

private:
    struct Discard {
        void operator()(zip *archive) const;
    };

    QByteArray m_bytes;
    FcstdLimits m_limits;
    std::unique_ptr<zip, Discard> m_zip;
    QStringList m_names;
    qint64 m_read = 0;
};

// Whether an entry name stays inside the archive: not absolute, no ".." component.
bool isSafeEntryName(const QString &name);

// A byte count as a fault text shows it ("512 MiB", "1000 bytes").
QString byteCountText(qint64 bytes);

} // namespace tavik
