#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <sys/stat.h>

// Writes one file so that it ends either with all of the new content on disk,
// durable, or exactly as it was. Every write of a document goes through here.
//
// open() finds the file a path names (following symbolic links), write()
// collects the new content in a temporary file, commit() puts it in place:
// - normally the temporary file lies beside the target and is synced, given
//   the target's permission bits, owner and group, and renamed over it; the
//   folder is synced after the rename, so after a power cut the file holds
//   the old content or the new, never a mix;
// - a file with several hard links, or one in a folder the user may not write
//   to, is overwritten in place instead (a rename would cut the links or is not
//   allowed): the new content is first synced in full in the user's cache
//   folder, and the old bytes, read beforehand, are written back should the
//   copy fail part way.
// Each step's result is checked, none is trusted to a library; a failure
// leaves no temporary file behind and errorString() holds the system's own
// text ("No space left on device"). The destructor rolls back whatever was
// not committed. Not for devices or pipes: those are refused.
class SafeFile {
public:
    explicit SafeFile(QString path);
    ~SafeFile();
    SafeFile(const SafeFile&) = delete;
    SafeFile& operator=(const SafeFile&) = delete;

    bool open();
    bool write(QByteArrayView bytes);
    bool commit();
    // Removes the temporary file; the target is left as it was.
    void rollback();
    const QString& errorString() const { return error_; }

    // open, write and commit in one: an empty text on success, else the reason.
    static QString save(const QString& path, QByteArrayView bytes);

private:
    enum class Method { Replace, InPlace };

    bool fail(int error);
    bool fail(const QString& error);
    bool resolveTarget();
    bool createTemporary(const QByteArray& folder, int mode);
    bool commitReplace();
    bool commitInPlace();
    bool restoreOriginal();
    void closeTemporary();

    QString path_;
    QString error_;
    QByteArray target_;    // the file written, symbolic links followed
    QByteArray temporary_; // empty when there is none
    int fd_ = -1;
    bool exists_ = false;
    struct stat old_ {}; // the target as it was, when it exists
    Method method_ = Method::Replace;
    QByteArray original_; // the old bytes, kept for an in-place write
    qint64 size_ = 0;     // bytes written so far
    bool opened_ = false;
};
