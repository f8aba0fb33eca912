#include "x11session.h"

#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace {

TEST(CommandLineEndToEnd, NamedFilesOpenInTabsThatSaveBackToTheirFiles) {
    if (X11Session::display().isEmpty())
        GTEST_SKIP() << "no X display for end-to-end tests";
    QTemporaryDir dir;
    const QString notes = dir.filePath(QStringLiteral("Meeting notes.rtf"));
    const QString letter = dir.filePath(QStringLiteral("letter.rtf"));
    const auto write = [](const QString& path, const QByteArray& rtf) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(rtf) == rtf.size();
    };
    ASSERT_TRUE(write(
        notes, "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f1 Times New Roman;}}"
               "{\\colortbl ;\\red192\\green0\\blue0;\\red0\\green64\\blue160;}"
               "\\pard\\qc\\f1\\fs40\\b\\cf2 Meeting notes\\b0\\cf0\\par"
               "\\pard\\f0\\fs22 Decided: ship on {\\b Friday}, {\\i after} the last test run.\\par"
               "{\\pntext\\'b7\\tab}{\\*\\pn\\pnlvlblt{\\pntxtb\\'b7}}\\fi-360\\li720 "
               "{\\cf1 Open items} stay open\\par"
               "{\\pntext\\'b7\\tab}{\\ul underlined} and {\\strike struck} words\\par}"));
    ASSERT_TRUE(write(letter, "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 Dear {\\b friend}\\par}"));
    X11Session session;
    ASSERT_TRUE(session.start({notes, dir.filePath(QStringLiteral("missing.rtf")), letter}));

    // The file that is not there is reported; the next one still opens.
    const auto report = session.waitForWindow(QStringLiteral("^Application Error$"));
    ASSERT_TRUE(report) << "an unreadable file named on the command line is reported";
    session.screenshot(*report, QStringLiteral("command-line-report"));
    session.key(QStringLiteral("Return"));
    EXPECT_TRUE(waitFor(
        [&] { return !session.waitForWindow(QStringLiteral("^Application Error$"), 100); }));

    // The opened document has the focus and its path: Save writes it back
    // without asking for a name.
    session.type(QStringLiteral("Hello, "));
    session.clickControl(3720, 120, 1560); // Save (Ctrl+S)
    EXPECT_FALSE(session.waitForWindow(QStringLiteral("^Save \\["), 800));
    EXPECT_TRUE(waitFor([&] {
        return session.documentText(letter) == QStringLiteral("Hello, Dear friend");
    })) << session.documentText(letter).toStdString();
    session.screenshot(session.mainWindow(), QStringLiteral("command-line-open"));

    // The first file's tab, with its formats as they were written.
    session.clickControl(1650, 1680, 1800, 300);
    QThread::msleep(300);
    session.screenshot(session.mainWindow(), QStringLiteral("several-tabs"));
}

} // namespace
