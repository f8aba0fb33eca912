#include "tests/saving/faults.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

// ferrotab-rtf convert as a separate process: its writes failed by fiu-run,
// by a file-size limit, and refused or allowed by permissions for a user
// without root's exemption.

namespace {

const QString tool = QStringLiteral(FERROTAB_RTF_TOOL);

struct Result {
    int exitCode = -1;
    QByteArray err;
};

// Runs a program with a clean environment of its own (no preloaded libfiu
// from this test process); `cache` becomes the user's cache folder.
Result run(const QString& program, const QStringList& arguments, const QString& cache) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("LD_PRELOAD"));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), cache);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(60000)) << program.toStdString();
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardError()};
}

class ToolSave : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid() && cache.isValid());
        // An unprivileged user must reach into both.
        ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
        ::chmod(QFile::encodeName(cache.path()).constData(), 0777);
        // A small document and one whose RTF is well over Qt's 16 KiB buffer.
        putFileBytes(path(QStringLiteral("small.rtf")), "{\\rtf1\\ansi {\\b small} document\\par}");
        QByteArray large = "{\\rtf1\\ansi ";
        for (int i = 0; i < 2000; ++i)
            large += "{\\i paragraph} number " + QByteArray::number(i) + "\\par\n";
        putFileBytes(path(QStringLiteral("large.rtf")), large + "}");
        for (const char* name : {"small.rtf", "large.rtf"})
            ::chmod(QFile::encodeName(path(QString::fromLatin1(name))).constData(), 0644);
    }
    QString path(const QString& name) const { return dir.filePath(name); }
    Result convert(const QString& in, const QString& out, const QStringList& before = {}) {
        if (before.isEmpty())
            return run(tool, {QStringLiteral("convert"), in, out}, cache.path());
        return run(before.first(),
                   before.mid(1) + QStringList{tool, QStringLiteral("convert"), in, out},
                   cache.path());
    }

    QTemporaryDir dir;
    QTemporaryDir cache;
};

TEST_F(ToolSave, FailedStepsAndASizeLimitExitNonZeroAndKeepTheOldFile) {
    const QString fiuRun = QStandardPaths::findExecutable(QStringLiteral("fiu-run"));
    ASSERT_FALSE(fiuRun.isEmpty()) << "fiu-run (fiu-utils) is missing";
    const QByteArray old = "{\\rtf1 the old file}";
    for (const char* input : {"small.rtf", "large.rtf"}) {
        for (const char* output : {"out.rtf", "out.txt"}) {
            const QString target = path(QString::fromLatin1(output));
            putFileBytes(target, old);
            const QStringList entries = folderEntries(dir.path());
            struct Case {
                QStringList before;
                QByteArray message;
            };
            const Case cases[] = {
                {{fiuRun, "-x", "-f", "", "-c", "enable name=posix/io/rw/write,failinfo=28"},
                 "No space left on device"},
                {{fiuRun, "-x", "-f", "", "-c", "enable name=posix/io/sync/fsync,failinfo=5"},
                 "Input/output error"},
                {{fiuRun, "-x", "-f", "", "-c", "enable name=posix/io/oc/close,failinfo=28"},
                 "No space left on device"},
                {{fiuRun, "-x", "-f", "", "-c", "enable name=posix/io/dir/rename,failinfo=28"},
                 "No space left on device"},
                {{QStringLiteral("prlimit"), "--fsize=10"}, "File too large"},
            };
            for (const Case& c : cases) {
                SCOPED_TRACE(std::string(input) + " to " + output + " under " +
                             c.before.join(' ').toStdString());
                const Result result = convert(path(QString::fromLatin1(input)), target, c.before);
                EXPECT_EQ(result.exitCode, 1) << result.err.constData();
                EXPECT_TRUE(result.err.contains("ferrotab-rtf: " + c.message))
                    << result.err.constData();
                EXPECT_EQ(fileBytes(target), old);
                EXPECT_EQ(folderEntries(dir.path()), entries);
            }
            EXPECT_EQ(convert(path(QString::fromLatin1(input)), target).exitCode, 0);
            EXPECT_NE(fileBytes(target), old);
        }
    }
}

// Root ignores permissions, so these run the tool as nobody.
TEST_F(ToolSave, AnUnprivilegedUserWritesInPlaceWhereTheFolderIsReadOnlyButNotOverAReadOnlyFile) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "switching to another user needs root";
    const QStringList asNobody{QStringLiteral("setpriv"), QStringLiteral("--reuid=nobody"),
                               QStringLiteral("--regid=nogroup"), QStringLiteral("--clear-groups")};
    const QByteArray old = "{\\rtf1 shared}";
    // The folder is root's (nobody may not create files in it); the file is
    // nobody's, with an unusual mode and a second hard link.
    const QString shared = path(QStringLiteral("theirs.rtf"));
    putFileBytes(shared, old);
    const QByteArray sharedName = QFile::encodeName(shared);
    ASSERT_EQ(::chown(sharedName.constData(), 65534, 65534), 0);
    ASSERT_EQ(::chmod(sharedName.constData(), 0606), 0);
    struct stat before {};
    ::stat(sharedName.constData(), &before);
    const QStringList entries = folderEntries(dir.path());
    for (const char* input : {"small.rtf", "large.rtf"}) {
        const Result written = convert(path(QString::fromLatin1(input)), shared, asNobody);
        EXPECT_EQ(written.exitCode, 0) << written.err.constData();
        EXPECT_TRUE(fileBytes(shared).startsWith("{\\rtf1\\ansi"));
        EXPECT_NE(fileBytes(shared), old);
        struct stat after {};
        ::stat(sharedName.constData(), &after);
        EXPECT_EQ(after.st_ino, before.st_ino) << "written in place";
        EXPECT_EQ(after.st_mode, before.st_mode);
        EXPECT_EQ(after.st_uid, 65534u);
        EXPECT_EQ(folderEntries(dir.path()), entries);
        EXPECT_EQ(folderEntries(cache.path() + QStringLiteral("/ferrotab")), QStringList());
    }
    // A new file in that folder, and a read-only file of nobody's in a
    // folder nobody may write to: refused, nothing changes.
    putFileBytes(shared, old);
    ASSERT_EQ(::chmod(sharedName.constData(), 0444), 0);
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("own")));
    const QString ownFolder = path(QStringLiteral("own"));
    ASSERT_EQ(::chown(QFile::encodeName(ownFolder).constData(), 65534, 65534), 0);
    const QString readOnly = ownFolder + QStringLiteral("/readonly.rtf");
    putFileBytes(readOnly, old);
    ASSERT_EQ(::chown(QFile::encodeName(readOnly).constData(), 65534, 65534), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(readOnly).constData(), 0444), 0);
    for (const QString& target : {path(QStringLiteral("new.rtf")), shared, readOnly}) {
        SCOPED_TRACE(target.toStdString());
        const Result refused = convert(path(QStringLiteral("large.rtf")), target, asNobody);
        EXPECT_EQ(refused.exitCode, 1);
        EXPECT_TRUE(refused.err.contains("ferrotab-rtf: Permission denied"))
            << refused.err.constData();
    }
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("new.rtf"))));
    EXPECT_EQ(fileBytes(shared), old);
    EXPECT_EQ(fileBytes(readOnly), old);
    QStringList withOwn = entries + QStringList{QStringLiteral("own")};
    withOwn.sort();
    EXPECT_EQ(folderEntries(dir.path()), withOwn);
    EXPECT_EQ(folderEntries(ownFolder), QStringList{QStringLiteral("readonly.rtf")});
}

} // namespace
