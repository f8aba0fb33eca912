#include "x11session.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace {

// Toolbar buttons by their designed left edge and width, in twips.
constexpr int kTop = 120;
void clickNew(X11Session& s) { s.clickControl(120, kTop, 1560); }
void clickOpen(X11Session& s) { s.clickControl(1800, kTop, 1800); }
void clickSave(X11Session& s) { s.clickControl(3720, kTop, 1560); }
// A click into the text below its last line: the caret goes to the end, and
// the document has the focus again after a button took it.
void clickIntoText(X11Session& s) { s.clickControl(1000, 6000, 3000, 1000); }

TEST(FilesEndToEnd, SaveThroughTheRealDialogThenSaveAgainAndOpenInANewTab) {
    if (X11Session::display().isEmpty())
        GTEST_SKIP() << "no X display for end-to-end tests";
    X11Session session;
    ASSERT_TRUE(session.start());
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("letter.rtf"));

    clickNew(session);
    session.type(QStringLiteral("Written through the real dialog"));
    clickSave(session);
    const auto dialog = session.waitForWindow(QStringLiteral("^Save \\[Untitled2\\.rtf\\] As$"));
    ASSERT_TRUE(dialog) << "the save dialog is titled after the tab, without its mark";
    session.screenshot(*dialog, QStringLiteral("save-dialog"));
    session.type(path);
    session.key(QStringLiteral("Return"));
    ASSERT_TRUE(waitFor([&] { return QFileInfo(path).size() > 0; })) << "the file was written";
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().startsWith("{\\rtf1"));
    EXPECT_EQ(session.documentText(path), QStringLiteral("Written through the real dialog"));

    // A document with a path is saved again without a dialog.
    clickIntoText(session);
    session.type(QStringLiteral(", twice"));
    clickSave(session);
    EXPECT_FALSE(session.waitForWindow(QStringLiteral("^Save \\["), 800));
    EXPECT_TRUE(waitFor([&] { return session.documentText(path).endsWith(QStringLiteral(", twice")); }));

    // Open it through the real open dialog: a new tab that owns the path.
    clickOpen(session);
    const auto open = session.waitForWindow(QStringLiteral("^Select File$"));
    ASSERT_TRUE(open);
    session.type(path);
    session.key(QStringLiteral("Return"));
    EXPECT_TRUE(waitFor([&] { return !session.waitForWindow(QStringLiteral("^Select File$"), 100); }));
    session.type(QStringLiteral("Reopened: "));
    clickSave(session);
    EXPECT_FALSE(session.waitForWindow(QStringLiteral("^Save \\["), 800));
    EXPECT_TRUE(waitFor([&] {
        return session.documentText(path) == QStringLiteral("Reopened: Written through the real dialog, twice");
    })) << session.documentText(path).toStdString();
    session.screenshot(session.mainWindow(), QStringLiteral("after-open"));
}

} // namespace
