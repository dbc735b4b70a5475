#include "base/FileSave.h"

#include <QFile>
#include <QRandomGenerator>
#include <QtGlobal>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace rebar {

namespace {

std::atomic<qint64> g_failAfter{-1};

FileSaveOutcome failed(int error) {
    return {false, qt_error_string(error)};
}

FileSaveOutcome failed(const QString& reason) {
    return {false, reason};
}

// A file descriptor closed when it goes out of scope (unless released).
class Fd {
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    ~Fd() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    // Closes and reports the error of the close (data that could not be stored shows here on
    // some file systems).
    int close() {
        const int fd = m_fd;
        m_fd = -1;
        return fd >= 0 && ::close(fd) != 0 ? errno : 0;
    }

private:
    int m_fd;
};

// Writes n bytes, going on after short writes and interrupted calls. budget is what the test
// seam still allows (negative: no limit). Returns 0 or the error.
int writeAll(int fd, const char* p, qint64 n, qint64& budget) {
    while (n > 0) {
        qint64 chunk = std::min<qint64>(n, qint64(1) << 30);
        if (budget >= 0) {
            if (budget == 0)
                return ENOSPC;
            chunk = std::min(chunk, budget);
        }
        const ssize_t w = ::write(fd, p, static_cast<size_t>(chunk));
        if (w < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (w == 0)
            return ENOSPC;
        p += w;
        n -= w;
        if (budget >= 0)
            budget -= w;
    }
    return 0;
}

int writeParts(int fd, std::span<const QByteArrayView> parts, qint64& budget) {
    for (const QByteArrayView& part : parts)
        if (const int e = writeAll(fd, part.data(), part.size(), budget))
            return e;
    return 0;
}

int syncFd(int fd) {
    return ::fsync(fd) != 0 ? errno : 0;
}

// The directory part and the name part of a path in bytes.
QByteArray directoryOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : path.left(slash);
}

QByteArray nameOf(const QByteArray& path) {
    return path.mid(path.lastIndexOf('/') + 1);
}

// Creates a new temporary file beside target; the file system's default mode applies (0666
// less the umask). Returns the descriptor or -1 with errno set.
int createTemporary(const QByteArray& target, QByteArray& tempPath) {
    const QByteArray dir = directoryOf(target);
    const QByteArray name = nameOf(target);
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = dir + "/." + name + '.' +
                   QByteArray::number(QRandomGenerator::global()->generate(), 36) + ".tmp";
        const int fd = ::open(tempPath.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

void syncDirectory(const QByteArray& target) {
    const int fd = ::open(directoryOf(target).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Reads the whole current content of a file (to put it back after a failed in-place write).
int readWhole(const QByteArray& path, qint64 size, QByteArray& out) {
    Fd fd(::open(path.constData(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid())
        return errno;
    out.resize(size);
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd.get(), out.data() + done, static_cast<size_t>(size - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            break;
        done += n;
    }
    out.truncate(done);
    return 0;
}

// Writes the new content over an existing file. The space a longer file needs is reserved
// before anything is written; if a write fails all the same, the old content is written back.
FileSaveOutcome saveInPlace(Fd& fd, const QByteArray& target, qint64 oldSize,
                            std::span<const QByteArrayView> parts, qint64 total, qint64 budget) {
    QByteArray old;
    if (const int e = readWhole(target, oldSize, old))
        return failed(e);
    if (total > oldSize && ::fallocate(fd.get(), FALLOC_FL_KEEP_SIZE, 0, total) != 0) {
        const int e = errno;
        if (e != EOPNOTSUPP && e != ENOSYS && e != EINVAL) {
            // Gives back what was reserved; the content is untouched either way.
            if (::ftruncate(fd.get(), oldSize) != 0) {
            }
            return failed(e);
        }
    }
    int e = 0;
    if (::lseek(fd.get(), 0, SEEK_SET) != 0)
        e = errno;
    if (!e)
        e = writeParts(fd.get(), parts, budget);
    if (!e && ::ftruncate(fd.get(), total) != 0)
        e = errno;
    if (!e)
        e = syncFd(fd.get());
    if (e) {
        qint64 unlimited = -1;
        const bool restored = ::lseek(fd.get(), 0, SEEK_SET) == 0 &&
                              writeAll(fd.get(), old.constData(), old.size(), unlimited) == 0 &&
                              ::ftruncate(fd.get(), old.size()) == 0 && syncFd(fd.get()) == 0;
        FileSaveOutcome out = failed(e);
        if (!restored)
            out.reason += QStringLiteral(" (the old content could not be written back)");
        return out;
    }
    if (const int c = fd.close())
        return failed(c);
    return {true, {}};
}

} // namespace

void SetFileSaveFailureAfter(qint64 bytes) {
    g_failAfter = bytes;
}

FileSaveOutcome SaveFileBytes(const QString& path, std::span<const QByteArrayView> parts) {
    if (path.isEmpty())
        return failed(ENOENT);
    QByteArray target = QFile::encodeName(path);
    // A link is followed: the file it names is replaced and the link stays a link.
    struct stat st {};
    if (::lstat(target.constData(), &st) == 0 && S_ISLNK(st.st_mode)) {
        std::unique_ptr<char, decltype(&std::free)> real(::realpath(target.constData(), nullptr),
                                                         &std::free);
        if (real)
            target = real.get();
    }
    const bool exists = ::stat(target.constData(), &st) == 0;
    if (!exists && errno != ENOENT)
        return failed(errno);
    if (exists && S_ISDIR(st.st_mode))
        return failed(EISDIR);
    if (exists && !S_ISREG(st.st_mode))
        return failed(QStringLiteral("Not a regular file"));
    // A file the user may not write stays as it is, even where the folder would allow
    // replacing it.
    Fd existing(exists ? ::open(target.constData(), O_WRONLY | O_CLOEXEC | O_NOCTTY) : -1);
    if (exists && !existing.valid())
        return failed(errno);
    qint64 total = 0;
    for (const QByteArrayView& part : parts)
        total += part.size();
    qint64 budget = g_failAfter;

    QByteArray tempPath;
    Fd temp(createTemporary(target, tempPath));
    if (!temp.valid()) {
        const int e = errno;
        if (exists && (e == EACCES || e == EPERM))
            return saveInPlace(existing, target, st.st_size, parts, total, budget);
        return failed(e);
    }
    auto discard = [&temp, &tempPath](int e) {
        temp.close();
        ::unlink(tempPath.constData());
        return failed(e);
    };
    if (exists) {
        // The replacement takes the owner and the permissions of the file it replaces. Where the
        // owner cannot be given to it, the file is written in place, which keeps both.
        struct stat ts {};
        if (::fstat(temp.get(), &ts) != 0)
            return discard(errno);
        if ((ts.st_uid != st.st_uid || ts.st_gid != st.st_gid) &&
            ::fchown(temp.get(), st.st_uid, st.st_gid) != 0) {
            temp.close();
            ::unlink(tempPath.constData());
            return saveInPlace(existing, target, st.st_size, parts, total, budget);
        }
        if (::fchmod(temp.get(), st.st_mode & 07777) != 0)
            return discard(errno);
    }
    if (const int e = writeParts(temp.get(), parts, budget))
        return discard(e);
    if (const int e = syncFd(temp.get()))
        return discard(e);
    if (const int e = temp.close()) {
        ::unlink(tempPath.constData());
        return failed(e);
    }
    if (::rename(tempPath.constData(), target.constData()) != 0) {
        const int e = errno;
        ::unlink(tempPath.constData());
        return failed(e);
    }
    syncDirectory(target);
    return {true, {}};
}

} // namespace rebar
