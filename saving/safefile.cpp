#include "saving/safefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace {

QByteArray folderOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : path.left(slash);
}

QByteArray joined(const QByteArray& folder, const QByteArray& name) {
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

// Writes all of the bytes at the offset, going on after short writes and
// signals. False with errno set on failure.
bool writeAt(int fd, const char* data, qint64 size, qint64 offset) {
    while (size > 0) {
        const ssize_t written =
            ::pwrite(fd, data, static_cast<size_t>(std::min<qint64>(size, 1 << 30)),
                     static_cast<off_t>(offset));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = EIO;
            return false;
        }
        data += written;
        size -= written;
        offset += written;
    }
    return true;
}

// The folder's entry for a renamed file is only durable once the folder is
// synced. Some file systems cannot sync a folder (EINVAL): nothing more can
// be done there.
int syncFolder(const QByteArray& folder) {
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    const int error = ::fsync(fd) == 0 || errno == EINVAL ? 0 : errno;
    ::close(fd);
    return error;
}

} // namespace

SafeFile::SafeFile(QString path) : path_(std::move(path)) {}

SafeFile::~SafeFile() {
    rollback();
}

QString SafeFile::save(const QString& path, QByteArrayView bytes) {
    SafeFile file(path);
    if (file.open() && file.write(bytes) && file.commit())
        return {};
    return file.errorString();
}

bool SafeFile::fail(int error) {
    return fail(qt_error_string(error));
}

bool SafeFile::fail(const QString& error) {
    error_ = error.isEmpty() ? QStringLiteral("Unknown error") : error;
    rollback();
    return false;
}

void SafeFile::closeTemporary() {
    if (fd_ >= 0)
        ::close(std::exchange(fd_, -1));
    if (!temporary_.isEmpty())
        ::unlink(std::exchange(temporary_, {}).constData());
}

void SafeFile::rollback() {
    closeTemporary();
    original_.clear();
    opened_ = false;
}

bool SafeFile::resolveTarget() {
    QByteArray path = QFile::encodeName(path_);
    if (path.isEmpty())
        return fail(ENOENT);
    for (int links = 0;; ++links) {
        struct stat status {};
        if (::lstat(path.constData(), &status) != 0) {
            if (errno != ENOENT)
                return fail(errno);
            target_ = path; // a new file (or a link to one not there yet)
            exists_ = false;
            return true;
        }
        if (!S_ISLNK(status.st_mode)) {
            if (S_ISDIR(status.st_mode))
                return fail(EISDIR);
            if (!S_ISREG(status.st_mode))
                return fail(QStringLiteral("Not a regular file"));
            target_ = path;
            exists_ = true;
            old_ = status;
            return true;
        }
        // A link stays a link: the file it points to is the one written.
        if (links == 40)
            return fail(ELOOP);
        QByteArray link(PATH_MAX, Qt::Uninitialized);
        const ssize_t length =
            ::readlink(path.constData(), link.data(), static_cast<size_t>(link.size()));
        if (length < 0)
            return fail(errno);
        link.truncate(length);
        path = link.startsWith('/') ? link : joined(folderOf(path), link);
    }
}

bool SafeFile::createTemporary(const QByteArray& folder, int mode) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        // A short fixed-length name: the target's own may already be as long
        // as a name can be.
        const QByteArray name = joined(
            folder, ".ferrotab-" +
                        QByteArray::number(QRandomGenerator::global()->generate64(), 36) + ".tmp");
        const int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0) {
            fd_ = fd;
            temporary_ = name;
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
    errno = EEXIST;
    return false;
}

bool SafeFile::open() {
    rollback();
    error_.clear();
    size_ = 0;
    if (!resolveTarget())
        return false;
    // A folder the user may write to would let a rename replace a file they
    // may not: ask for the file itself.
    if (exists_ && ::faccessat(AT_FDCWD, target_.constData(), W_OK, AT_EACCESS) != 0)
        return fail(errno);
    method_ = exists_ && old_.st_nlink > 1 ? Method::InPlace : Method::Replace;
    if (method_ == Method::Replace) {
        // Private until complete; a new file gets the user's umask.
        if (createTemporary(folderOf(target_), exists_ ? 0600 : 0666)) {
            opened_ = true;
            return true;
        }
        const int error = errno;
        if (!exists_ || (error != EACCES && error != EPERM && error != EROFS))
            return fail(error);
        method_ = Method::InPlace;
    }

    // In place: keep the old bytes to put back should the copy fail part way.
    const int in = ::open(target_.constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return fail(errno);
    for (;;) {
        char buffer[65536];
        const ssize_t got = ::read(in, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            const int error = errno;
            ::close(in);
            return fail(error);
        }
        if (got == 0)
            break;
        original_.append(buffer, got);
    }
    ::close(in);
    // The new content goes first where the user may always write; the
    // system's temporary folder serves a user without a home.
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
                          QStringLiteral("/ferrotab");
    const bool cached = QDir().mkpath(cache) && createTemporary(QFile::encodeName(cache), 0600);
    if (!cached && !createTemporary(QFile::encodeName(QDir::tempPath()), 0600))
        return fail(errno);
    opened_ = true;
    return true;
}

bool SafeFile::write(QByteArrayView bytes) {
    if (!opened_)
        return fail(error_.isEmpty() ? qt_error_string(EBADF) : error_);
    const char* data = bytes.data();
    qint64 left = bytes.size();
    while (left > 0) {
        const ssize_t written =
            ::write(fd_, data, static_cast<size_t>(std::min<qint64>(left, 1 << 30)));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return fail(written == 0 ? EIO : errno);
        data += written;
        left -= written;
        size_ += written;
    }
    return true;
}

bool SafeFile::commit() {
    if (!opened_)
        return fail(error_.isEmpty() ? qt_error_string(EBADF) : error_);
    if (!(method_ == Method::Replace ? commitReplace() : commitInPlace()))
        return false;
    rollback(); // only the temporary copy of an in-place write is left to remove
    return true;
}

bool SafeFile::commitReplace() {
    if (exists_) {
        // The owner first: giving a file away clears its set-id bits.
        if (::fchown(fd_, old_.st_uid, old_.st_gid) != 0 &&
            ::fchown(fd_, static_cast<uid_t>(-1), old_.st_gid) != 0) {
            // Not ours to give away: the file becomes the user's, as with any editor.
        }
        if (::fchmod(fd_, old_.st_mode & 07777) != 0)
            return fail(errno);
    }
    if (::fsync(fd_) != 0)
        return fail(errno);
    if (::close(std::exchange(fd_, -1)) != 0)
        return fail(errno);
    if (::rename(temporary_.constData(), target_.constData()) != 0)
        return fail(errno);
    temporary_.clear();
    if (const int error = syncFolder(folderOf(target_)))
        return fail(error);
    return true;
}

bool SafeFile::commitInPlace() {
    if (::fsync(fd_) != 0)
        return fail(errno);
    const int out = ::open(target_.constData(), O_WRONLY | O_CLOEXEC);
    if (out < 0)
        return fail(errno);
    // From here on the target changes: any failure puts the old bytes back.
    // Writing over the old bytes before cutting the file to size means that
    // putting them back never needs more room than they had.
    int error = 0;
    QByteArray chunk(1 << 20, Qt::Uninitialized);
    for (qint64 offset = 0; offset < size_;) {
        const ssize_t got = ::pread(
            fd_, chunk.data(), static_cast<size_t>(std::min<qint64>(chunk.size(), size_ - offset)),
            static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            error = got == 0 ? EIO : errno;
            break;
        }
        if (!writeAt(out, chunk.constData(), got, offset)) {
            error = errno;
            break;
        }
        offset += got;
    }
    if (!error && ::ftruncate(out, static_cast<off_t>(size_)) != 0)
        error = errno;
    if (!error && ::fsync(out) != 0)
        error = errno;
    if (::close(out) != 0 && !error)
        error = errno;
    if (!error)
        return true;
    if (restoreOriginal())
        return fail(error);
    // Worst case: the old bytes could not be put back either. They are not
    // lost: they are kept in the cache folder and the report says where.
    const QString rescue = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
                           QStringLiteral("/ferrotab/") + QFileInfo(path_).fileName() +
                           QStringLiteral(".before-save");
    const QString reason = qt_error_string(error);
    if (SafeFile::save(rescue, original_).isEmpty())
        return fail(reason + QStringLiteral("; the file's previous content is kept in ") + rescue);
    return fail(reason);
}

bool SafeFile::restoreOriginal() {
    const int out = ::open(target_.constData(), O_WRONLY | O_CLOEXEC);
    if (out < 0)
        return false;
    bool restored = writeAt(out, original_.constData(), original_.size(), 0) &&
                    ::ftruncate(out, static_cast<off_t>(original_.size())) == 0 &&
                    ::fsync(out) == 0;
    if (::close(out) != 0)
        restored = false;
    return restored;
}
