#include "x11session.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// The installed editor saving onto a disk that fails: the failure is
// reported, the old file keeps its bytes, and the editor goes on running.
// A failed sync (libfiu, as a disk that cannot flush) and a file-size limit
// (a write cut short), each with a small and a large document.
TEST(SaveFaultsEndToEnd, AFailingSaveIsReportedAndTheFileKeepsItsBytes) {
    if (X11Session::display().isEmpty())
        GTEST_SKIP() << "no X display for end-to-end tests";
    const QString fiuRun = QStandardPaths::findExecutable(QStringLiteral("fiu-run"));
    ASSERT_FALSE(fiuRun.isEmpty()) << "fiu-run (fiu-utils) is missing";
    QByteArray large = "{\\rtf1\\ansi ";
    for (int i = 0; i < 1500; ++i)
        large += "paragraph " + QByteArray::number(i) + "\\par\n";
    large += "}";
    struct Case {
        QString program;
        QStringList options;
        QByteArray document;
    };
    const Case cases[] = {
        {fiuRun,
         {"-x", "-f", "", "-c", "enable name=posix/io/sync/fsync,failinfo=28"},
         "{\\rtf1 small}"},
        {fiuRun, {"-x", "-f", "", "-c", "enable name=posix/io/sync/fsync,failinfo=28"}, large},
        {QStringLiteral("prlimit"), {"--fsize=4"}, "{\\rtf1 small}"},
        {QStringLiteral("prlimit"), {"--fsize=4096"}, large},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(
            (c.program + QLatin1Char(' ') + c.options.join(QLatin1Char(' '))).toStdString() + ", " +
            std::to_string(c.document.size()) + " bytes");
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("kept.rtf"));
        {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly) &&
                        file.write(c.document) == c.document.size());
        }
        X11Session session;
        session.setProgram(c.program);
        ASSERT_TRUE(session.start(c.options + QStringList{QStringLiteral(FERROTAB_BINARY), path}));
        session.type(QStringLiteral("changed "));
        session.clickControl(3720, 120, 1560); // Save (Ctrl+S)
        const auto report = session.waitForWindow(QStringLiteral("^Application Error$"));
        ASSERT_TRUE(report) << "the failed save is reported";
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), c.document);
        EXPECT_EQ(
            QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList{QStringLiteral("kept.rtf")});
        session.key(QStringLiteral("Return"));
        EXPECT_TRUE(session.waitUntilGone(*report));
        EXPECT_EQ(session.process().state(), QProcess::Running) << "the editor is still there";
    }
}

} // namespace
