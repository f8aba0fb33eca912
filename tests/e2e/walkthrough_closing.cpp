// Close with each answer, Close All, and leaving the installed program with
// and without changes.
#include "walkthrough_support.h"

#include <QFileInfo>
#include <QRegularExpression>

using namespace walk;

namespace {

// The caption of the current tab, as a user reads it in Save As's title
// (which drops the change mark); the dialog is cancelled.
QString currentTab(Walk& walk) {
    walk.click(kSaveAs);
    const QString dialog = walk.dialog(QStringLiteral("^Save \\[.*\\] As$"));
    if (dialog.isEmpty())
        return {};
    const QString title = walk.session().title(dialog);
    walk.close(dialog, QStringLiteral("Escape"));
    walk.backToWindow();
    return QRegularExpression(QStringLiteral("^Save \\[(.*)\\] As$")).match(title).captured(1);
}

const QString kSaveChanges =
    QStringLiteral("File has been changed. \r\nDo you want to save changes?");

TEST(ClosingWalk, CloseAsksOnlyForAChangedTabAndHonoursEachAnswer) {
    WALK_NEEDS_DISPLAY();
    Walk walk(QStringLiteral("close"));
    ASSERT_TRUE(walk.start());

    // Unchanged: closed at once; the last tab gives way to a new document.
    walk.click(kClose);
    EXPECT_TRUE(walk.noDialog(QStringLiteral("^Save Changes$")));
    EXPECT_EQ(currentTab(walk), QStringLiteral("Untitled2.rtf"));

    // Changed, No: the tab goes, nothing is written.
    walk.clickIntoText();
    walk.type(QStringLiteral("thrown away"));
    walk.click(kClose);
    QString box = walk.dialog(QStringLiteral("^Save Changes$"));
    ASSERT_FALSE(box.isEmpty());
    EXPECT_TRUE(showsMessage(walk.session(), box, QStringLiteral("Save Changes"), kSaveChanges,
                             Buttons::YesNo, Icon::Question, QStringLiteral("close-question")));
    ASSERT_TRUE(walk.close(box, QStringLiteral("alt+n")));
    walk.backToWindow();
    EXPECT_EQ(currentTab(walk), QStringLiteral("Untitled3.rtf"));

    // Changed, Yes, and the save dialog cancelled: the document stays, as the
    // user asked for its changes to be kept.
    walk.clickIntoText();
    walk.type(QStringLiteral("kept"));
    walk.click(kClose);
    box = walk.dialog(QStringLiteral("^Save Changes$"));
    ASSERT_TRUE(walk.close(box, QStringLiteral("Return")));
    const QString save = walk.dialog(QStringLiteral("^Save \\[Untitled3\\.rtf\\] As$"));
    ASSERT_FALSE(save.isEmpty());
    ASSERT_TRUE(walk.close(save, QStringLiteral("Escape")));
    walk.backToWindow();
    EXPECT_EQ(currentTab(walk), QStringLiteral("Untitled3.rtf"));

    // Changed, Yes, and a name given: saved, then closed.
    const QString path = walk.file(QStringLiteral("kept.rtf"));
    walk.click(kClose);
    box = walk.dialog(QStringLiteral("^Save Changes$"));
    ASSERT_TRUE(walk.close(box, QStringLiteral("Return")));
    ASSERT_TRUE(walk.answerFileDialog(QStringLiteral("^Save \\[Untitled3\\.rtf\\] As$"), path));
    EXPECT_TRUE(waitFor([&] { return text(path) == QStringLiteral("kept"); }));
    walk.backToWindow();
    EXPECT_EQ(currentTab(walk), QStringLiteral("Untitled4.rtf"));
}

TEST(ClosingWalk, CloseAllAsksWhenAnythingChangedAndStartsOverWithUntitled1) {
    WALK_NEEDS_DISPLAY();
    Walk walk(QStringLiteral("close-all"));
    ASSERT_TRUE(walk.start());
    walk.click(kNew);
    walk.click(kNew);
    walk.click(kCloseAll); // nothing changed: no question
    EXPECT_TRUE(walk.noDialog(QStringLiteral("^Continue Close$")));
    EXPECT_EQ(currentTab(walk), QStringLiteral("Untitled1.rtf"));

    walk.click(kNew);
    walk.clickIntoText();
    walk.type(QStringLiteral("unsaved"));
    walk.click(kNew);
    walk.click(kCloseAll);
    QString box = walk.dialog(QStringLiteral("^Continue Close$"));
    ASSERT_FALSE(box.isEmpty());
    EXPECT_TRUE(
        showsMessage(walk.session(), box, QStringLiteral("Continue Close"),
                     QStringLiteral("There are some file(s) that has been changed.\r\n"
                                    "Do you wish to continue closing all files without saving?"),
                     Buttons::YesNo, Icon::Question, QStringLiteral("close-all-question")));
    ASSERT_TRUE(walk.answerQuestion(box, QStringLiteral("n"))); // No: everything stays
    walk.backToWindow();
    EXPECT_EQ(currentTab(walk), QStringLiteral("Untitled3.rtf"));

    walk.click(kCloseAll);
    box = walk.dialog(QStringLiteral("^Continue Close$"));
    ASSERT_TRUE(walk.close(box, QStringLiteral("Return"))); // Yes
    walk.backToWindow();
    EXPECT_EQ(currentTab(walk), QStringLiteral("Untitled1.rtf"));
    walk.click(kNew);
    EXPECT_EQ(currentTab(walk), QStringLiteral("Untitled2.rtf")) << "the numbers start over";
    walk.screenshot(QStringLiteral("after-close-all"));
}

TEST(ClosingWalk, LeavingAsksOnlyWithChangesAndNoKeepsEverything) {
    WALK_NEEDS_DISPLAY();
    {
        Walk walk(QStringLiteral("leave-unchanged"));
        ASSERT_TRUE(walk.start());
        requestClose(walk.session().mainWindow());
        EXPECT_TRUE(walk.session().process().waitForFinished(5000))
            << "no question without changes";
        EXPECT_EQ(walk.session().process().exitCode(), 0);
    }
    Walk walk(QStringLiteral("leave-changed"));
    ASSERT_TRUE(walk.start());
    const QString path = walk.file(QStringLiteral("left.rtf"));
    walk.clickIntoText();
    walk.type(QStringLiteral("saved once"));
    walk.click(kSave);
    ASSERT_TRUE(walk.answerFileDialog(QStringLiteral("^Save \\[Untitled1\\.rtf\\] As$"), path));
    ASSERT_TRUE(waitFor([&] { return text(path) == QStringLiteral("saved once"); }));
    walk.backToWindow();
    walk.clickIntoText();
    walk.type(QStringLiteral(" and changed"));

    requestClose(walk.session().mainWindow());
    QString box = walk.dialog(QStringLiteral("^Continue Exit$"));
    ASSERT_FALSE(box.isEmpty());
    EXPECT_TRUE(showsMessage(walk.session(), box, QStringLiteral("Continue Exit"),
                             QStringLiteral("Exit without saving?"), Buttons::YesNo, Icon::Question,
                             QStringLiteral("exit-question")));
    ASSERT_TRUE(walk.answerQuestion(box, QStringLiteral("n"))); // No
    EXPECT_EQ(walk.session().process().state(), QProcess::Running);
    walk.backToWindow();
    EXPECT_EQ(currentTab(walk), QStringLiteral("left.rtf"));

    requestClose(walk.session().mainWindow());
    box = walk.dialog(QStringLiteral("^Continue Exit$"));
    ASSERT_FALSE(box.isEmpty()) << "a second close asks again";
    walk.session().focus(box);
    walk.key(QStringLiteral("Return")); // Yes
    EXPECT_TRUE(walk.session().process().waitForFinished(5000));
    EXPECT_EQ(walk.session().process().exitCode(), 0);
    EXPECT_EQ(text(path), QStringLiteral("saved once")) << "leaving saves nothing";
}

} // namespace
