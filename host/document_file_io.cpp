// Reading and writing document files on disk: the reader takes only a regular file, and stamps
// what it read; the writer replaces the file atomically, under a lock on its folder, keeping the
// file's permissions and refusing to write over another program's save when asked to.

#include "host/document_file.h"

#include "host/document_file_error.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavik {

namespace {

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Closes a descriptor when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int fd = -1)
        : m_fd(fd)
    {
    }
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return m_fd; }
    // Closes now and reports the error a close can give (a delayed write error).
    int close()
    {
        const int rc = ::close(m_fd);
        m_fd = -1;
        return rc == 0 ? 0 : errno;
    }

private:
    int m_fd;
};

FileStamp stampOf(const struct stat &st, const QByteArray &content)
{
    FileStamp s;
    s.read = true;
    s.device = st.st_dev;
    s.inode = st.st_ino;
    s.size = st.st_size;
    s.modifiedNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    s.sha256 = QCryptographicHash::hash(content, QCryptographicHash::Sha256);
    return s;
}

// Reads a regular file whole. The file is opened without waiting, and the descriptor itself is
// checked, so that a FIFO or device put in the file's place cannot hang the read.
QByteArray readRegular(const QString &path, FileStamp *stamp)
{
    const QByteArray name = QFile::encodeName(path);
    Descriptor fd(::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) {
        if (errno == ENOENT)
            throw DocumentFileError(path, QStringLiteral("no such file"));
        throw DocumentFileError(path, QStringLiteral("the file cannot be read (%1)").arg(systemError(errno)));
    }
    struct stat st { };
    if (::fstat(fd.get(), &st) != 0)
        throw DocumentFileError(path, QStringLiteral("the file cannot be read (%1)").arg(systemError(errno)));
    if (!S_ISREG(st.st_mode))
        throw DocumentFileError(path, QStringLiteral("not a file"));
    ::fcntl(fd.get(), F_SETFL, ::fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK);
    QByteArray content;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw DocumentFileError(path, QStringLiteral("the file cannot be read (%1)").arg(systemError(errno)));
        }
        content.append(buffer, n);
    }
    if (stamp)
        *stamp = stampOf(st, content);
    return content;
}

// Holds an exclusive lock on a folder while a file in it is checked and replaced, so that two
// hosts saving one document cannot both pass the check. The wait is bounded: a lock held longer
// than a write takes belongs to a program that is stuck.
class FolderLock {
public:
    FolderLock(const QString &folder, const QString &path)
        : m_fd(::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
    {
        if (m_fd.get() < 0)
            throw DocumentFileError(path, QStringLiteral("the file cannot be written (%1)").arg(systemError(errno)));
        for (int attempt = 0; ::flock(m_fd.get(), LOCK_EX | LOCK_NB) != 0; ++attempt) {
            if ((errno != EWOULDBLOCK && errno != EINTR) || attempt == 200)
                throw DocumentFileError(path,
                    errno == EWOULDBLOCK ? QStringLiteral("the file cannot be written: another program "
                                                          "has been writing in its folder for 10 seconds")
                                         : QStringLiteral("the file cannot be written (%1)").arg(systemError(errno)));
            QThread::msleep(50);
        }
    }
    int fd() const { return m_fd.get(); }

private:
    Descriptor m_fd;
};

void writeAll(int fd, const QByteArray &content)
{
    const char *p = content.constData();
    qsizetype left = content.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw errno;
        }
        p += n;
        left -= n;
    }
}

} // namespace

DocumentData DocumentFile::read(const QString &path, int typeHint)
{
    FileStamp stamp;
    const QByteArray content = readRegular(path, &stamp);
    DocumentData d = parse(content, path, typeHint);
    d.stamp = stamp;
    return d;
}

bool DocumentFile::changedSince(const QString &path, const FileStamp &stamp)
{
    if (!stamp.read)
        return false;
    struct stat st { };
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return false; // gone: nothing of another program's is lost by writing it
    const qint64 modified = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    if (st.st_dev == stamp.device && st.st_ino == stamp.inode && st.st_size == stamp.size
        && modified == stamp.modifiedNs)
        return false;
    try {
        FileStamp now;
        readRegular(path, &now);
        return now.sha256 != stamp.sha256;
    } catch (const DocumentFileError &) {
        return true; // something else stands there now
    }
}

FileStamp DocumentFile::write(const DocumentData &data, const QString &path, Overwrite overwrite)
{
    const QByteArray content = DocumentFile::content(data, path);
    // A link is followed: the file it names is the document.
    const QFileInfo info(path);
    const QString target = info.isSymLink() ? info.symLinkTarget() : info.absoluteFilePath();
    const QString folder = QFileInfo(target).absolutePath();
    const QByteArray name = QFile::encodeName(QFileInfo(target).fileName());
    const auto fail = [&](int error) -> FileStamp {
        throw DocumentFileError(path, QStringLiteral("the file cannot be written (%1)").arg(systemError(error)));
    };

    const FolderLock lock(folder, path);
    struct stat old { };
    const bool exists = ::fstatat(lock.fd(), name.constData(), &old, 0) == 0;
    if (exists && !S_ISREG(old.st_mode))
        throw DocumentFileError(path, QStringLiteral("not a file"));
    if (exists && ::faccessat(lock.fd(), name.constData(), W_OK, AT_EACCESS) != 0)
        return fail(errno);
    if (overwrite == Overwrite::IfUnchanged && changedSince(target, data.stamp))
        throw DocumentChangedError(path);

    // One temporary name per document: a save killed before its rename leaves at most this one
    // file behind, and the next save takes it over.
    const QByteArray temporary = "." + name + ".tavik-save";
    if (::unlinkat(lock.fd(), temporary.constData(), 0) != 0 && errno != ENOENT)
        return fail(errno);
    Descriptor fd(::openat(
        lock.fd(), temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, exists ? 0600 : 0666));
    if (fd.get() < 0)
        return fail(errno);
    int error = 0;
    struct stat written { };
    try {
        if (exists) {
            // The new file takes the old one's permissions, also a read-only file saved by root,
            // and its owner where this process may give it.
            if (::fchmod(fd.get(), old.st_mode & 07777) != 0)
                throw errno;
            if (::geteuid() == 0 && (old.st_uid != ::geteuid() || old.st_gid != ::getegid()))
                (void)!::fchown(fd.get(), old.st_uid, old.st_gid);
        }
        writeAll(fd.get(), content);
        if (::fsync(fd.get()) != 0 || ::fstat(fd.get(), &written) != 0)
            throw errno;
        if (const int closeError = fd.close())
            throw closeError;
        if (::renameat(lock.fd(), temporary.constData(), lock.fd(), name.constData()) != 0)
            throw errno;
    } catch (int e) {
        error = e;
    }
    if (error) {
        ::unlinkat(lock.fd(), temporary.constData(), 0);
        return fail(error);
    }
    ::fsync(lock.fd());
    return stampOf(written, content);
}

} // namespace tavik
