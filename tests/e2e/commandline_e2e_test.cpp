#include "x11session.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(CommandLineEndToEnd, NamedFilesOpenInTabsThatSaveBackToTheirFiles) {
    if (X11Session::display().isEmpty())
        GTEST_SKIP() << "no X display for end-to-end tests";
    QTemporaryDir dir;
    const QString letter = dir.filePath(QStringLiteral("letter.rtf"));
    {
        QFile file(letter);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 Dear {\\b friend}\\par}");
    }
    X11Session session;
    ASSERT_TRUE(session.start({dir.filePath(QStringLiteral("missing.rtf")), letter}));

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
}

} // namespace
