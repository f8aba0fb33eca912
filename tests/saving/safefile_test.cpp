#include "saving/safefile.h"
#include "tests/saving/faults.h"
#include "tests/support/scripted.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <random>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

// The one writer every save goes through, on real files, with real failures.

namespace {

const QByteArray oldBytes = QByteArray("{\\rtf1 the old document}");
// Under Qt's 16 KiB write buffer, and over the 1 MiB pieces of an in-place copy.
const QByteArray smallBytes = QByteArray(2000, 's');
const QByteArray largeBytes = [] {
    QByteArray bytes;
    for (int i = 0; bytes.size() < 3 * 1024 * 1024; ++i)
        bytes += "line " + QByteArray::number(i) + " of a large document\n";
    return bytes;
}();

struct stat statusOf(const QString& path, bool follow = true) {
    struct stat status {};
    const QByteArray name = QFile::encodeName(path);
    EXPECT_EQ(follow ? ::stat(name.constData(), &status) : ::lstat(name.constData(), &status), 0)
        << name.constData();
    return status;
}

class SafeFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid() && cache.isValid());
        // In-place writes stage the new content in the user's cache folder.
        qputenv("XDG_CACHE_HOME", QFile::encodeName(cache.path()));
    }
    QString path(const QString& name) const { return dir.filePath(name); }
    QStringList cacheEntries() const {
        return folderEntries(cache.path() + QStringLiteral("/ferrotab"));
    }

    QTemporaryDir dir;
    QTemporaryDir cache;
};

TEST_F(SafeFileTest, WritesNewAndExistingFilesKeepingWhatTheyWere) {
    const mode_t savedMask = ::umask(027);
    EXPECT_EQ(SafeFile::save(path(QStringLiteral("new.rtf")), smallBytes), QString());
    ::umask(savedMask);
    EXPECT_EQ(fileBytes(path(QStringLiteral("new.rtf"))), smallBytes);
    EXPECT_EQ(statusOf(path(QStringLiteral("new.rtf"))).st_mode & 07777, 0640u)
        << "a new file follows the umask";

    // Mode bits, a symbolic link (relative, into another folder), hard links.
    putFileBytes(path(QStringLiteral("mode.rtf")), oldBytes);
    ::chmod(QFile::encodeName(path(QStringLiteral("mode.rtf"))).constData(), 0604);
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("real")));
    putFileBytes(path(QStringLiteral("real/target.rtf")), oldBytes);
    ASSERT_EQ(::symlink("real/target.rtf",
                        QFile::encodeName(path(QStringLiteral("link.rtf"))).constData()),
              0);
    putFileBytes(path(QStringLiteral("one.rtf")), oldBytes);
    ASSERT_EQ(::link(QFile::encodeName(path(QStringLiteral("one.rtf"))).constData(),
                     QFile::encodeName(path(QStringLiteral("two.rtf"))).constData()),
              0);
    const ino_t linkedInode = statusOf(path(QStringLiteral("one.rtf"))).st_ino;
    for (const QByteArray& bytes : {smallBytes, largeBytes, QByteArray()}) {
        for (const char* name : {"mode.rtf", "link.rtf", "two.rtf"})
            EXPECT_EQ(SafeFile::save(path(QString::fromLatin1(name)), bytes), QString()) << name;
        EXPECT_EQ(fileBytes(path(QStringLiteral("mode.rtf"))), bytes);
        EXPECT_EQ(statusOf(path(QStringLiteral("mode.rtf"))).st_mode & 07777, 0604u);
        EXPECT_TRUE(S_ISLNK(statusOf(path(QStringLiteral("link.rtf")), false).st_mode));
        EXPECT_EQ(fileBytes(path(QStringLiteral("real/target.rtf"))), bytes);
        EXPECT_EQ(fileBytes(path(QStringLiteral("one.rtf"))), bytes)
            << "every hard link sees the new content";
        EXPECT_EQ(statusOf(path(QStringLiteral("one.rtf"))).st_ino, linkedInode);
        EXPECT_EQ(statusOf(path(QStringLiteral("one.rtf"))).st_nlink, 2u);
    }
    // A link to a file not there yet creates it where the link points.
    ASSERT_EQ(::symlink("real/later.rtf",
                        QFile::encodeName(path(QStringLiteral("later.rtf"))).constData()),
              0);
    EXPECT_EQ(SafeFile::save(path(QStringLiteral("later.rtf")), smallBytes), QString());
    EXPECT_EQ(fileBytes(path(QStringLiteral("real/later.rtf"))), smallBytes);

    EXPECT_EQ(folderEntries(dir.path()), QStringList({"later.rtf", "link.rtf", "mode.rtf",
                                                      "new.rtf", "one.rtf", "real", "two.rtf"}));
    EXPECT_EQ(folderEntries(path(QStringLiteral("real"))),
              QStringList({"later.rtf", "target.rtf"}));
    EXPECT_EQ(cacheEntries(), QStringList());
}

TEST_F(SafeFileTest, RefusesWhatIsNoDocumentFile) {
    EXPECT_EQ(SafeFile::save(dir.path(), smallBytes), QStringLiteral("Is a directory"));
    EXPECT_EQ(SafeFile::save(path(QStringLiteral("missing/x.rtf")), smallBytes),
              QStringLiteral("No such file or directory"));
    EXPECT_EQ(SafeFile::save(QStringLiteral("/dev/null"), smallBytes),
              QStringLiteral("Not a regular file"));
    EXPECT_EQ(SafeFile::save(QString(), smallBytes), QStringLiteral("No such file or directory"));
    ASSERT_EQ(
        ::symlink("loop.rtf", QFile::encodeName(path(QStringLiteral("loop.rtf"))).constData()), 0);
    EXPECT_EQ(SafeFile::save(path(QStringLiteral("loop.rtf")), smallBytes),
              QStringLiteral("Too many levels of symbolic links"));
    EXPECT_EQ(folderEntries(dir.path()), QStringList({"loop.rtf"}));
}

// Each step of a save fails in turn, for a small and a large document, for a
// file replaced by rename and for one written in place (hard-linked).
TEST_F(SafeFileTest, EveryFailingStepIsReportedAndLeavesTheOldFile) {
    ASSERT_TRUE(InjectedFault::available())
        << "run under fiu-run -x: libfiu's POSIX wrappers are not loaded";
    struct Step {
        const char* point;
        int error;
        int pass; // calls of the point let through first
    };
    const int partWay = -1; // after the first piece of the copy, when there are several
    const Step replaceSteps[] = {{"posix/io/oc/open", EACCES, 0},
                                 {"posix/io/rw/write", ENOSPC, 0},
                                 {"posix/io/sync/fsync", EIO, 0},
                                 {"posix/io/oc/close", ENOSPC, 0},
                                 {"posix/io/dir/rename", EXDEV, 0}};
    // In place: the staged copy and its sync, opening the target, the copy,
    // the cut to size, the target's sync and its close; each fails once, so
    // that the old bytes can be put back.
    const Step inPlaceSteps[] = {
        {"posix/io/rw/write", ENOSPC, 0},  {"posix/io/sync/fsync", EIO, 0},
        {"posix/io/oc/open", EACCES, 2},   {"posix/io/rw/pwrite", ENOSPC, partWay},
        {"posix/io/rw/ftruncate", EIO, 0}, {"posix/io/sync/fsync", EIO, 1},
        {"posix/io/oc/close", EIO, 1}};
    const QString target = path(QStringLiteral("doc.rtf"));
    const QString other = path(QStringLiteral("other-link.rtf"));
    for (const QByteArray& bytes : {smallBytes, largeBytes}) {
        for (const bool inPlace : {false, true}) {
            QFile::remove(other);
            putFileBytes(target, oldBytes);
            if (inPlace) {
                ASSERT_EQ(::link(QFile::encodeName(target).constData(),
                                 QFile::encodeName(other).constData()),
                          0);
            }
            const QStringList before = folderEntries(dir.path());
            for (const Step& step :
                 inPlace ? std::vector<Step>(std::begin(inPlaceSteps), std::end(inPlaceSteps))
                         : std::vector<Step>(std::begin(replaceSteps), std::end(replaceSteps))) {
                const int pass =
                    step.pass == partWay ? (bytes.size() > (1 << 20) ? 1 : 0) : step.pass;
                SCOPED_TRACE(std::string(step.point) + (inPlace ? " in place" : " replacing") +
                             ", " + std::to_string(bytes.size()) + " bytes, after " +
                             std::to_string(pass));
                QString error;
                {
                    InjectedFault fault(step.point, step.error, pass, inPlace ? 1 : -1);
                    error = SafeFile::save(target, bytes);
                    EXPECT_GE(fault.failures(), 1);
                }
                EXPECT_EQ(error, qt_error_string(step.error));
                EXPECT_EQ(fileBytes(target), oldBytes);
                if (inPlace) {
                    EXPECT_EQ(fileBytes(other), oldBytes);
                }
                EXPECT_EQ(folderEntries(dir.path()), before);
                EXPECT_EQ(cacheEntries(), QStringList());
            }
        }
    }
}

TEST_F(SafeFileTest, OldBytesThatCannotBePutBackAreKeptAndNamed) {
    ASSERT_TRUE(InjectedFault::available())
        << "run under fiu-run -x: libfiu's POSIX wrappers are not loaded";
    const QString target = path(QStringLiteral("doc.rtf"));
    putFileBytes(target, oldBytes);
    ASSERT_EQ(::link(QFile::encodeName(target).constData(),
                     QFile::encodeName(path(QStringLiteral("b.rtf"))).constData()),
              0);
    QString error;
    {
        InjectedFault fault("posix/io/rw/pwrite", ENOSPC, 1);
        error = SafeFile::save(target, largeBytes);
    }
    const QString rescue = cache.path() + QStringLiteral("/ferrotab/doc.rtf.before-save");
    EXPECT_EQ(error,
              QStringLiteral("No space left on device; the file's previous content is kept in ") +
                  rescue);
    EXPECT_EQ(fileBytes(rescue), oldBytes);
    EXPECT_EQ(cacheEntries(), QStringList({"doc.rtf.before-save"}));
}

TEST_F(SafeFileTest, AFileSizeLimitIsReportedForSmallAndLargeDocuments) {
    const QString target = path(QStringLiteral("doc.rtf"));
    putFileBytes(target, oldBytes);
    for (const QByteArray& bytes : {smallBytes, largeBytes}) {
        FileSizeLimit limit(static_cast<unsigned long long>(bytes.size() / 2));
        EXPECT_EQ(SafeFile::save(target, bytes), QStringLiteral("File too large"));
        EXPECT_EQ(fileBytes(target), oldBytes);
        EXPECT_EQ(folderEntries(dir.path()), QStringList({"doc.rtf"}));
    }
}

// A real full disk: a tiny tmpfs filled to the last byte. Mounting needs root.
TEST_F(SafeFileTest, AFullDiskIsReportedAndTheOldFileStays) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "mounting a tmpfs needs root";
    const QString mountPoint = path(QStringLiteral("disk"));
    ASSERT_TRUE(QDir().mkpath(mountPoint));
    if (::mount("tmpfs", QFile::encodeName(mountPoint).constData(), "tmpfs", 0, "size=256k") != 0)
        GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
    struct Unmount {
        QByteArray at;
        ~Unmount() { ::umount2(at.constData(), MNT_DETACH); }
    } unmount{QFile::encodeName(mountPoint)};

    const QString small = mountPoint + QStringLiteral("/small.rtf");
    const QString large = mountPoint + QStringLiteral("/large.rtf");
    putFileBytes(small, oldBytes);
    const QByteArray oldLarge(100000, 'o');
    putFileBytes(large, oldLarge);
    {
        QFile filler(mountPoint + QStringLiteral("/filler"));
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray block(4096, 'f');
        while (filler.write(block) == block.size()) {
        }
        while (filler.write("f", 1) == 1) {
        }
    }
    const QStringList before = folderEntries(mountPoint);
    for (const auto& [target, was] : {std::pair{small, oldBytes}, std::pair{large, oldLarge}}) {
        for (const QByteArray& bytes : {smallBytes, largeBytes}) {
            EXPECT_EQ(SafeFile::save(target, bytes), QStringLiteral("No space left on device"));
            EXPECT_EQ(fileBytes(target), was);
            EXPECT_EQ(folderEntries(mountPoint), before);
        }
    }
    // With room again the same saves go through.
    ASSERT_TRUE(QFile::remove(mountPoint + QStringLiteral("/filler")));
    EXPECT_EQ(SafeFile::save(small, smallBytes), QString());
    EXPECT_EQ(fileBytes(small), smallBytes);
}

TEST_F(SafeFileTest, OwnerAndGroupStayWhereTheProcessMaySetThem) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "giving a file to another user needs root";
    const QString target = path(QStringLiteral("theirs.rtf"));
    putFileBytes(target, oldBytes);
    const QByteArray name = QFile::encodeName(target);
    ASSERT_EQ(::chown(name.constData(), 65534, 65534), 0);
    ASSERT_EQ(::chmod(name.constData(), 02640), 0);
    EXPECT_EQ(SafeFile::save(target, smallBytes), QString());
    const struct stat status = statusOf(target);
    EXPECT_EQ(status.st_uid, 65534u);
    EXPECT_EQ(status.st_gid, 65534u);
    EXPECT_EQ(status.st_mode & 07777, 02640u)
        << "the set-group-id bit survives the change of owner";
}

// A save killed at any moment leaves the complete old or the complete new
// content, never a mix or nothing.
TEST_F(SafeFileTest, AKilledSaveLeavesTheOldOrTheNewContent) {
    const QString target = path(QStringLiteral("doc.rtf"));
    QByteArray first = largeBytes;
    QByteArray second = largeBytes;
    first.replace(0, 5, "first");
    second.replace(0, 6, "second");
    putFileBytes(target, first);
    std::mt19937 random(20261209);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    int kills = 0;
    int seenFirst = 0;
    for (; kills < 200 && std::chrono::steady_clock::now() < deadline; ++kills) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int round = 0;; ++round)
                SafeFile::save(target, round % 2 ? first : second);
        }
        ::usleep(std::uniform_int_distribution<useconds_t>(0, 40000)(random));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        const QByteArray now = fileBytes(target);
        ASSERT_TRUE(now == first || now == second)
            << "after kill " << kills << ": " << now.size() << " bytes";
        seenFirst += now == first;
    }
    EXPECT_EQ(kills, 200) << "the time bound cut the run short";
    EXPECT_GT(seenFirst, 0);
    EXPECT_LT(seenFirst, kills) << "the saves were not interrupted at varied moments";
}

} // namespace
